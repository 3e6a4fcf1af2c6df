; The QZB sound program (Z80, assembled with pasmo).
;
; Commands arrive from the main CPU through port 0 on the NMI and wait in a small queue; the main
; loop takes them and leaves requests that the timer interrupt acts on, so that only the
; interrupt talks to the sound chip once the program runs. Timer B ticks the sequencer about 96
; times a second: four FM channels of music, ADPCM-A drums, SSG effects and the ADPCM-B voice.
;
; Fixed places: 0x38 timer interrupt, 0x3E the identification text, 0x66 NMI, 0x133 the main
; waiting loop whose JR Z at 0x13C is the one the machine turns into its idle opcode.

        include "samples.inc"

; ---- RAM (0xF800-0xFFFF) ----
CMD_QUEUE       equ 0xF800          ; 16 bytes
CMD_HEAD        equ 0xF810
CMD_TAIL        equ 0xF811
MUSIC_REQUEST   equ 0xF812          ; song number + 1, or 0xFF to stop
SWEEP_REQUEST   equ 0xF813          ; 1 shot, 4 start (SSG channel A)
VOICE_REQUEST   equ 0xF814
NOISE_REQUEST   equ 0xF815          ; explosion or hit (SSG channel C and the boom)
SONG_ROWS_PTR   equ 0xF816          ; first row of the song, 0 when silent
SONG_ROW_PTR    equ 0xF818          ; next row
SONG_ROWS_LEFT  equ 0xF81A
SONG_ROW_COUNT  equ 0xF81B
SONG_SPEED      equ 0xF81C
SONG_TICK       equ 0xF81D
SONG_DRUMS      equ 0xF81E          ; drums allowed by the song
SHOT_TICKS      equ 0xF820          ; SSG channel A: sweep
SHOT_PERIOD     equ 0xF821          ; 16-bit
SHOT_STEP       equ 0xF823          ; signed 8-bit period change per tick
NOISE_TICKS     equ 0xF824          ; SSG channel C: noise burst
TICKS           equ 0xF826          ; 16-bit, counts timer ticks
RAM_END         equ 0xF840
STACK_TOP       equ 0xFFF0

TIMER_B_VALUE   equ 220             ; (256 - 220) x 288 us = 10.4 ms a tick
TIMER_MODE      equ 0x2A            ; run timer B, its flag enabled, flag reset

        org 0x0000
        di
        jp init

        org 0x0038
        jp timer_interrupt

        org 0x003E
        db "QZB SOUND RENZAI 3.0", 0
        if $ > 0x0066
        .error "identification text runs into the NMI"
        endif

        org 0x0066
; NMI: a command from the main CPU. Port 0's read also gives the main CPU its reply; the reply
; port then confirms the command.
nmi:
        push af
        push hl
        in a, (0x00)
        out (0x0C), a
        ld h, CMD_QUEUE / 256
        push af
        ld a, (CMD_TAIL)
        ld l, a
        pop af
        ld (hl), a
        ld a, l
        inc a
        and 0x0F
        ld (CMD_TAIL), a
        pop hl
        pop af
        retn
        if $ > 0x0133
        .error "NMI code runs into the main loop"
        endif

        org 0x0133
; The main waiting loop: Z set while the queue is empty.
main_loop:
        ld a, (CMD_TAIL)            ; 0x133
        ld hl, CMD_HEAD             ; 0x136
        cp (hl)                     ; 0x139
        nop                         ; 0x13A
        nop                         ; 0x13B
        jr z, main_loop             ; 0x13C: 28 F5
        jp take_command             ; 0x13E
        if $ > 0x0141
        .error "main loop layout"
        endif

        org 0x0150
take_command:
        ld a, (CMD_HEAD)
        ld l, a
        ld h, CMD_QUEUE / 256
        ld b, (hl)
        inc a
        and 0x0F
        ld (CMD_HEAD), a
        ld a, b
        cp 0x01
        jr c, main_loop_far
        cp 0x03
        jr c, music_command
        jr z, stop_command
        cp 0x10
        jr c, main_loop_far
        cp 0x14
        jr c, sfx_command
        cp 0x20
        jr z, voice_command
main_loop_far:
        jp main_loop
music_command:
        ld (MUSIC_REQUEST), a       ; song 1 or 2
        jp main_loop
stop_command:
        ld a, 0xFF
        ld (MUSIC_REQUEST), a
        jp main_loop
sfx_command:
        sub 0x0F                    ; 0x10 -> 1 ... 0x13 -> 4
        cp 2
        jr c, sweep_command
        cp 4
        jr nc, sweep_command
        ld (NOISE_REQUEST), a
        jp main_loop
sweep_command:
        ld (SWEEP_REQUEST), a
        jp main_loop
voice_command:
        ld a, 1
        ld (VOICE_REQUEST), a
        jp main_loop

; ---- start-up ----
init:
        ld sp, STACK_TOP
        im 1
        ld hl, CMD_QUEUE
        ld de, CMD_QUEUE + 1
        ld bc, RAM_END - CMD_QUEUE - 1
        ld (hl), 0
        ldir
        ; SSG: tone A and noise C in the mixer, all volumes 0
        ld hl, ssg_init
        call write_a_list
        ; ADPCM-A: master volume, the four drum samples on channels 0-3
        ld hl, adpcm_a_init
        call write_b_list
        ; ADPCM-B: the voice's addresses, rate, volume and pan
        ld hl, adpcm_b_init
        call write_a_list
        ; FM: every channel keyed off, then the four instruments
        ld c, 0
init_fm:
        call fm_key_off
        call fm_load_patch
        inc c
        ld a, c
        cp 4
        jr nz, init_fm
        ; timer B drives the sequencer
        ld d, 0x26
        ld e, TIMER_B_VALUE
        call write_a
        ld d, 0x27
        ld e, TIMER_MODE
        call write_a
        out (0x08), a               ; commands may arrive
        ei
        jp main_loop

; ---- chip access ----
; write_a / write_b: register d := e on the first / second port pair.
write_a:
        ld a, d
        out (0x04), a
        ld a, e
        out (0x05), a
        ret
write_b:
        ld a, d
        out (0x06), a
        ld a, e
        out (0x07), a
        ret
; Lists of (register, value) pairs ending with register 0xFF.
write_a_list:
        ld d, (hl)
        inc hl
        ld a, d
        cp 0xFF
        ret z
        ld e, (hl)
        inc hl
        call write_a
        jr write_a_list
write_b_list:
        ld d, (hl)
        inc hl
        ld a, d
        cp 0xFF
        ret z
        ld e, (hl)
        inc hl
        call write_b
        jr write_b_list

; fm_write: FM channel c (0-3, chip channels 1, 2, 4, 5): register d + channel offset := e.
fm_write:
        ld a, c
        and 1
        inc a
        add a, d
        bit 1, c
        jr nz, fm_write_b
        out (0x04), a
        ld a, e
        out (0x05), a
        ret
fm_write_b:
        out (0x06), a
        ld a, e
        out (0x07), a
        ret

fm_key_code:                        ; register 0x28 channel codes
        db 0x01, 0x02, 0x05, 0x06
; fm_key_off / fm_key_on: channel c.
fm_key_off:
        ld e, 0x00
        jr fm_key
fm_key_on:
        ld e, 0xF0
fm_key:
        ld hl, fm_key_code
        ld b, 0
        add hl, bc
        ld a, (hl)
        or e
        ld e, a
        ld d, 0x28
        jp write_a

; fm_load_patch: the instrument of channel c from fm_patches (25 bytes each: six groups of four
; operator bytes for registers 0x30-0x80 in slot order, then feedback/algorithm).
fm_load_patch:
        ld a, c
        ld l, a
        add a, a
        add a, a
        add a, a                    ; 8c
        ld b, a
        add a, a
        add a, b                    ; 24c
        add a, l                    ; 25c
        ld l, a
        ld h, 0
        ld de, fm_patches
        add hl, de
        ld d, 0x30
fm_patch_group:
        ld b, 4
fm_patch_operator:
        ld e, (hl)
        inc hl
        push bc
        push hl
        push de
        call fm_write
        pop de
        pop hl
        pop bc
        ld a, d
        add a, 4
        ld d, a
        djnz fm_patch_operator
        ld a, d
        cp 0x90
        jr c, fm_patch_group
        ld e, (hl)
        ld d, 0xB0
        call fm_write
        ld d, 0xB4
        ld e, 0xC0                  ; both outputs
        jp fm_write

; fm_note: channel c plays MIDI note a (12-107).
fm_note:
        ld b, 0xFF
fm_note_octave:
        inc b
        sub 12
        jr nc, fm_note_octave
        add a, 12                   ; a = semitone, b = octave
        dec b                       ; block
        add a, a
        ld l, a
        ld h, 0
        ld de, fnum_table
        add hl, de
        ld a, b
        add a, a
        add a, a
        add a, a
        inc hl
        or (hl)                     ; block << 3 | F-number bits 10-8
        ld e, a
        dec hl
        ld a, (hl)
        push af
        ld d, 0xA4
        call fm_write
        pop af
        ld e, a
        ld d, 0xA0
        call fm_write
        jp fm_key_on

; ---- the timer interrupt: one sequencer tick ----
timer_interrupt:
        push af
        push bc
        push de
        push hl
        push ix
        ld d, 0x27
        ld e, TIMER_MODE            ; acknowledge timer B
        call write_a
        ld hl, (TICKS)
        inc hl
        ld (TICKS), hl
        call music_tick
        call sfx_tick
        call voice_tick
        pop ix
        pop hl
        pop de
        pop bc
        pop af
        ei
        reti

music_tick:
        ld a, (MUSIC_REQUEST)
        or a
        jr z, music_play
        ld b, a
        xor a
        ld (MUSIC_REQUEST), a
        ld a, b
        cp 0xFF
        jr z, music_stop
        ; start song a (1 or 2): its header is speed, drum mask, row count, rows
        dec a
        add a, a
        ld l, a
        ld h, 0
        ld de, song_list
        add hl, de
        ld e, (hl)
        inc hl
        ld d, (hl)
        ex de, hl
        ld a, (hl)
        ld (SONG_SPEED), a
        inc hl
        ld a, (hl)
        ld (SONG_DRUMS), a
        inc hl
        ld a, (hl)
        ld (SONG_ROW_COUNT), a
        ld (SONG_ROWS_LEFT), a
        inc hl
        ld (SONG_ROWS_PTR), hl
        ld (SONG_ROW_PTR), hl
        ld a, 1
        ld (SONG_TICK), a
        jr music_play
music_stop:
        ld hl, 0
        ld (SONG_ROWS_PTR), hl
        ld c, 0
music_stop_channel:
        call fm_key_off
        inc c
        ld a, c
        cp 4
        jr nz, music_stop_channel
        ret
music_play:
        ld hl, (SONG_ROWS_PTR)
        ld a, h
        or l
        ret z
        ld hl, SONG_TICK
        dec (hl)
        ret nz
        ld a, (SONG_SPEED)
        ld (hl), a
        ; one row: four FM note bytes (0 hold, 1 key off, else a note) and the drum bits
        ld ix, (SONG_ROW_PTR)
        ld c, 0
music_channel:
        ld a, (ix+0)
        or a
        jr z, music_next_channel
        push af
        call fm_key_off
        pop af
        cp 12
        jr c, music_next_channel
        call fm_note
music_next_channel:
        inc ix
        inc c
        ld a, c
        cp 4
        jr nz, music_channel
        ld a, (SONG_DRUMS)
        and (ix+0)
        jr z, music_no_drums
        ld e, a
        ld d, 0x00                  ; ADPCM-A: start the channels whose bits are set
        call write_b
music_no_drums:
        inc ix
        ld (SONG_ROW_PTR), ix
        ld hl, SONG_ROWS_LEFT
        dec (hl)
        ret nz
        ld a, (SONG_ROW_COUNT)      ; loop the song
        ld (hl), a
        ld hl, (SONG_ROWS_PTR)
        ld (SONG_ROW_PTR), hl
        ret

; SSG effects: a falling sweep on channel A for a shot, a rising one for a start, and a noise
; burst on channel C with the boom sample for an explosion or a hit. Each kind has its own
; request, so a shot and an explosion asked for in the same tick both sound.
sfx_tick:
        ld a, (NOISE_REQUEST)
        or a
        jr z, sfx_sweep_check
        xor a
        ld (NOISE_REQUEST), a
        ld a, 32
        ld (NOISE_TICKS), a
        ld d, 0x00
        ld e, 0x08                  ; ADPCM-A channel 3: the boom
        call write_b
sfx_sweep_check:
        ld a, (SWEEP_REQUEST)
        or a
        jr z, sfx_run
        ld b, a
        xor a
        ld (SWEEP_REQUEST), a
        ld a, b
        cp 2
        jr c, sfx_shot
        ld hl, 0x0300               ; start: rising
        ld a, -24
        ld b, 24
        jr sfx_sweep
sfx_shot:
        ld hl, 0x0060
        ld a, 12
        ld b, 10
sfx_sweep:
        ld (SHOT_PERIOD), hl
        ld (SHOT_STEP), a
        ld a, b
        ld (SHOT_TICKS), a
sfx_run:
        ; channel A sweep
        ld a, (SHOT_TICKS)
        or a
        jr z, sfx_a_silent
        dec a
        ld (SHOT_TICKS), a
        cp 16
        jr c, sfx_a_volume
        ld a, 15
sfx_a_volume:
        ld e, a
        ld d, 0x08
        call write_a                ; volume follows the ticks left
        ld hl, (SHOT_PERIOD)
        ld a, (SHOT_STEP)
        ld e, a
        rla
        sbc a, a
        ld d, a
        add hl, de
        ld (SHOT_PERIOD), hl
        ld d, 0x00
        ld e, l
        call write_a
        ld d, 0x01
        ld a, (SHOT_PERIOD + 1)
        and 0x0F
        ld e, a
        call write_a
        jr sfx_c
sfx_a_silent:
        ld d, 0x08
        ld e, 0
        call write_a
sfx_c:
        ; channel C noise burst
        ld a, (NOISE_TICKS)
        or a
        ret z
        dec a
        ld (NOISE_TICKS), a
        ld b, a
        srl a
        ld e, a
        ld d, 0x0A
        call write_a
        ld a, b
        srl a
        srl a
        xor 0x1F
        ld e, a
        ld d, 0x06                  ; the noise gets deeper as it fades
        jp write_a

voice_tick:
        ld a, (VOICE_REQUEST)
        or a
        ret z
        xor a
        ld (VOICE_REQUEST), a
        ld d, 0x10
        ld e, 0x01                  ; stop, then start from the voice's start address
        call write_a
        ld d, 0x10
        ld e, 0x80
        jp write_a

; ---- data ----
ssg_init:
        db 0x07, 0x1E               ; tone A and noise C
        db 0x08, 0x00, 0x09, 0x00, 0x0A, 0x00
        db 0x06, 0x10
        db 0xFF

adpcm_a_init:
        db 0x00, 0xBF               ; stop all
        db 0x01, 0x3F               ; master volume: full
        db 0x10, SMP_KICK_START & 0xFF, 0x18, SMP_KICK_START >> 8
        db 0x20, SMP_KICK_END & 0xFF, 0x28, SMP_KICK_END >> 8
        db 0x11, SMP_SNARE_START & 0xFF, 0x19, SMP_SNARE_START >> 8
        db 0x21, SMP_SNARE_END & 0xFF, 0x29, SMP_SNARE_END >> 8
        db 0x12, SMP_HAT_START & 0xFF, 0x1A, SMP_HAT_START >> 8
        db 0x22, SMP_HAT_END & 0xFF, 0x2A, SMP_HAT_END >> 8
        db 0x13, SMP_BOOM_START & 0xFF, 0x1B, SMP_BOOM_START >> 8
        db 0x23, SMP_BOOM_END & 0xFF, 0x2B, SMP_BOOM_END >> 8
        db 0x08, 0xDF, 0x09, 0xDC, 0x0A, 0xD6, 0x0B, 0xDF ; both outputs, drum levels
        db 0xFF

adpcm_b_init:
        db 0x10, 0x01               ; stopped
        db 0x11, 0xC0               ; both outputs
        db 0x12, SMP_VOICE_START & 0xFF, 0x13, SMP_VOICE_START >> 8
        db 0x14, SMP_VOICE_END & 0xFF, 0x15, SMP_VOICE_END >> 8
        db 0x19, VOICE_DELTA_N & 0xFF, 0x1A, VOICE_DELTA_N >> 8
        db 0x1B, 0xFF
        db 0xFF

; F-numbers of C to B in block 4 (C = 261.6 Hz): f x 144 x 2^20 / 8 MHz / 2^3.
fnum_table:
        dw 617, 654, 693, 734, 778, 824, 873, 925, 980, 1038, 1100, 1165

; Instruments: lead (channel 1), bass (2), two organ pads (4, 5). Groups of four bytes for the
; registers 0x30, 0x40, 0x50, 0x60, 0x70, 0x80 in operator slot order 1, 3, 2, 4, then
; feedback << 3 | algorithm.
fm_patches:
        db 0x01, 0x02, 0x01, 0x02,  0x23, 0x2A, 0x0C, 0x14,  0x1F, 0x1F, 0x1F, 0x1F
        db 0x08, 0x08, 0x05, 0x05,  0x02, 0x02, 0x02, 0x02,  0x27, 0x27, 0x17, 0x17,  0x2C
        db 0x01, 0x03, 0x01, 0x01,  0x1C, 0x28, 0x06, 0x0A,  0x1F, 0x1F, 0x1F, 0x1F
        db 0x0C, 0x0C, 0x06, 0x06,  0x04, 0x04, 0x03, 0x03,  0x38, 0x38, 0x28, 0x28,  0x34
        db 0x01, 0x02, 0x31, 0x04,  0x24, 0x2C, 0x22, 0x34,  0x14, 0x14, 0x14, 0x14
        db 0x02, 0x02, 0x02, 0x02,  0x00, 0x00, 0x00, 0x00,  0x16, 0x16, 0x16, 0x16,  0x07
        db 0x01, 0x02, 0x31, 0x04,  0x24, 0x2C, 0x22, 0x34,  0x14, 0x14, 0x14, 0x14
        db 0x02, 0x02, 0x02, 0x02,  0x00, 0x00, 0x00, 0x00,  0x16, 0x16, 0x16, 0x16,  0x07

song_list:
        dw song_title, song_game

BD equ 1
SD equ 2
HH equ 4

; Songs: ticks per row, drums allowed, row count, rows of (lead, bass, pad, pad, drums).
song_title:
        db 16, BD | HH, 32
        include "tune.inc"
song_game:
        db 10, BD | SD | HH, 32
        include "tune.inc"

        if $ > 0x1E5D
        .error "keep 0x1E5D clear of the other program's waiting loop"
        endif
