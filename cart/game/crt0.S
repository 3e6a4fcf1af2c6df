| The game's vector table, header and start-up. The reset vector points into the board firmware
| (0xC00402), which runs first and then enters the game through the header at 0x100. The frame
| interrupt (level 1) counts frames and wakes the main loop from its idle branch.

        .section .vectors, "ax"
        .globl  _start
_start:
        .long   0x0010F300
        .long   0x00C00402
        .rept   23
        .long   ignore
        .endr
        .long   frame_interrupt             | level-1 autovector
        .rept   38
        .long   ignore
        .endr

        .org    0x100
        .ascii  "QZB!"                      | the firmware looks for this
        .long   game_entry
        .long   idle                        | where the game idles (for the tests)
        .asciz  "QZB DEMO GAME 1.0"

        .section .text
        .globl  game_entry
game_entry:
        move.w  #0x2700, sr
        lea     0x10F300, sp
        | .data from ROM to work RAM, .bss cleared
        lea     __data_load, a0
        lea     __data_start, a1
        lea     __data_end, a2
1:      cmp.l   a2, a1
        bcc.s   2f
        move.w  (a0)+, (a1)+
        bra.s   1b
2:      lea     __bss_start, a1
        lea     __bss_end, a2
3:      cmp.l   a2, a1
        bcc.s   4f
        clr.w   (a1)+
        bra.s   3b
4:      move.b  #0, 0x2FFFF0                | second bank of the program ROM at 0x200000
        move.w  #0x2000, sr
        jsr     (main).l
5:      bra.s   5b

| idle_until_frame: idles until the next frame interrupt. The idle branch is a branch to itself,
| the kind of loop the video chip's frame tick turns into a run-ending branch after a few frames; the
| interrupt moves the return address past it.
        .globl  idle_until_frame
idle_until_frame:
        move.b  #1, waiting
idle:   bra.s   idle
wake:   rts

frame_interrupt:
        addq.l  #1, frame_count
        tst.b   waiting
        beq.s   1f
        clr.b   waiting
        move.l  #wake, 2(sp)                | return past the idle branch
1:      rte

ignore: rte

        .section .bss
        .globl  frame_count, waiting
        .balign 2
frame_count:    .skip 4
waiting:        .skip 2
