| The QZB board firmware, mapped at 0xC00000. It takes the reset, sets the board up, shows the
| board's logo with the board's own fix tiles for a moment, then hands the machine to the game:
| a write to 0x3A0013 puts the game's vectors at address 0 and selects the game's fix tiles, and
| the firmware jumps to the entry named in the game's header at 0x000100 ("QZB!" then the entry).

        .equ    VRAM_ADDR,   0x3C0000
        .equ    VRAM_DATA,   0x3C0002
        .equ    VRAM_MOD,    0x3C0004
        .equ    VRAM_MODE,   0x3C0006
        .equ    PALETTES,    0x400000
        .equ    LATCH_BIOS,  0x3A0003
        .equ    LATCH_GAME,  0x3A0013
        .equ    LATCH_PAL0,  0x3A001F
        .equ    FRAMES,      0x10FD00        | frame counter kept by the firmware's interrupt
        .equ    LOGO_TILE,   768             | bevelled block among the board's fix tiles
        .equ    LOGO_FRAMES, 100

        .section .vectors, "ax"
        .globl  _start
_start:
vectors:
        .long   0x0010F300                  | initial SSP
        .long   0xC00402                    | reset entry
        .rept   23
        .long   ignore                      | bus error .. spurious: ignore
        .endr
        .long   firmware_tick               | level-1 autovector (frame interrupt)
        .rept   38
        .long   ignore
        .endr

        .org    0x400
        .word   0x4E71                      | NOP (the word before the entry)
        jmp     (entry).l                   | 0xC00402: the reset entry

        .section .text
entry:
        move.w  #0x2700, sr
        lea     0x10F300, sp
        move.b  d0, LATCH_BIOS              | board vectors and board fix tiles
        move.b  d0, LATCH_PAL0
        clr.l   FRAMES

        | Video RAM: no sprites, blank fix layer.
        move.w  #1, VRAM_MOD
        move.w  #0x8200, VRAM_ADDR
        move.w  #0x1FF, d1
1:      move.w  #0, VRAM_DATA
        dbra    d1, 1b
        move.w  #0x7000, VRAM_ADDR
        move.w  #0x4FF, d1
1:      move.w  #0x0020, VRAM_DATA          | board glyph space, palette 0
        dbra    d1, 1b

        | Palettes 0 and 1 of the board, and the backdrop.
        lea     PALETTES, a0
        lea     board_colours(pc), a1
        moveq   #31, d1
1:      move.w  (a1)+, (a0)+
        dbra    d1, 1b
        move.w  #0x0002, PALETTES + 0x1FFE

        | The big QZB: one bevelled block per pixel of three 8 x 8 letters.
        lea     logo_letters(pc), a2
        moveq   #0, d4                      | letter
letter: moveq   #0, d5                      | row
row:    move.w  d4, d0
        mulu    #9, d0
        addq.w  #7, d0                      | first column of the letter
        move.w  d5, d1
        addq.w  #6, d1                      | fix row
        bsr     fix_at
        move.w  d4, d2
        lsl.w   #3, d2
        add.w   d5, d2
        move.b  0(a2,d2.w), d3              | the letter's row bits, bit 7 = left
        moveq   #7, d6
col:    move.w  #0x0020, d0
        lsl.b   #1, d3
        bcc.s   2f
        move.w  #0x1000 + LOGO_TILE, d0
2:      move.w  d0, VRAM_DATA
        dbra    d6, col
        addq.w  #1, d5
        cmp.w   #8, d5
        bne.s   row
        addq.w  #1, d4
        cmp.w   #3, d4
        bne.s   letter

        moveq   #12, d0
        moveq   #17, d1
        bsr     fix_at
        lea     title_text(pc), a0
        bsr     print
        moveq   #14, d0
        moveq   #19, d1
        bsr     fix_at
        lea     version_text(pc), a0
        bsr     print
        moveq   #12, d0
        moveq   #25, d1
        bsr     fix_at
        lea     copyright_text(pc), a0
        bsr     print

        | Show the logo, its colours cycling, until LOGO_FRAMES frames have passed.
        move.w  #0x2000, sr
show:   move.l  FRAMES, d0
        move.l  d0, d1
1:      cmp.l   FRAMES, d1                  | wait for the next frame
        beq.s   1b
        move.l  FRAMES, d0
        lsr.w   #2, d0
        and.w   #7, d0
        add.w   d0, d0
        lea     logo_ramp(pc), a1
        move.w  0(a1,d0.w), PALETTES + 0x20 + 5 * 2
        cmp.l   #LOGO_FRAMES, FRAMES
        blt.s   show

        | Hand over to the game.
        move.w  #0x2700, sr
        move.w  #0x7000, VRAM_ADDR
        move.w  #1, VRAM_MOD
        move.w  #0x4FF, d1
1:      move.w  #0x0020, VRAM_DATA
        dbra    d1, 1b
        move.b  d0, LATCH_GAME
        cmp.l   #0x515A4221, 0x000100       | "QZB!"
        bne.s   no_game
        move.l  0x000104, a0
        jmp     (a0)

no_game:
        move.b  d0, LATCH_BIOS
        moveq   #14, d0
        moveq   #22, d1
        bsr     fix_at
        lea     no_game_text(pc), a0
        bsr     print
1:      bra.s   1b

| fix_at: d0 = column, d1 = row; later data writes go right along the row.
fix_at:
        move.w  d0, d2
        lsl.w   #5, d2
        add.w   d1, d2
        add.w   #0x7000, d2
        move.w  d2, VRAM_ADDR
        move.w  #32, VRAM_MOD
        rts

| print: a0 = zero-terminated text, in palette 0 one-row board glyphs.
print:
        moveq   #0, d0
1:      move.b  (a0)+, d0
        beq.s   2f
        move.w  d0, VRAM_DATA
        bra.s   1b
2:      rts

firmware_tick:
        addq.l  #1, FRAMES
        rte

ignore: rte

        .section .rodata
        .balign 2
| Board colours (0x0RGB, four bits a channel): palette 0 for text, palette 1 for the logo.
board_colours:
        .word   0x0000, 0x0FFF, 0x0013, 0x0888, 0x0CCF, 0x066F, 0x0228, 0x0F80
        .word   0x0440, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000
        .word   0x0000, 0x0FFF, 0x0013, 0x0888, 0x0FFC, 0x0FC4, 0x0840, 0x0F80
        .word   0x0440, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000
logo_ramp:
        .word   0x0FC4, 0x0FD5, 0x0FE7, 0x0FF9, 0x0FFB, 0x0FF9, 0x0FE7, 0x0FD5
logo_letters:
        .byte   0x3C, 0x66, 0x66, 0x66, 0x6A, 0x6C, 0x36, 0x00   | Q
        .byte   0x7E, 0x06, 0x0C, 0x18, 0x30, 0x60, 0x7E, 0x00   | Z
        .byte   0x7C, 0x66, 0x66, 0x7C, 0x66, 0x66, 0x7C, 0x00   | B
title_text:     .asciz  "QZB ARCADE BOARD"
version_text:   .asciz  "FIRMWARE 1.0"
copyright_text: .asciz  "(C) QZB PROJECT"
no_game_text:   .asciz  "NO GAME"
