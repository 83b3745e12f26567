; A program file with the picture packed (ZX0, version 2): unpacks the 15,360 shown bytes that
; follow the code straight into the video memory, shows them until a key is pressed, then hands
; the machine back to BASIC.

        include "tvc.inc"

        org     code_address

        include "show_begin.inc"

        di                              ; no interrupt may page back mid-unpack
        ld      (saved_sp),sp
        ld      sp,stack_top            ; BASIC's stack is in the page the video memory replaces
        ld      a,video_paged_in
        out     (paging_port),a
        ld      hl,packed
        ld      de,video_window
        call    unpack
        ld      a,(paging_copy)
        out     (paging_port),a
        ld      sp,0                    ; BASIC's stack back
saved_sp        equ     $-2

        include "show_end.inc"

; Unpacks the ZX0 stream at HL to DE. The stream is blocks: literals, copies with the last
; offset, copies with a new one; lengths are interlaced Elias gamma codes (a 0 before each bit
; below the leading 1, a closing 1) in a bit stream read a byte at a time, most significant bit
; first, from between the literals. A keeps the bits not yet read above a marker bit; the last
; offset waits on the stack, negated.
unpack:
        ld      bc,-1                   ; the last offset starts at 1
        push    bc
        inc     bc                      ; BC = 0
        ld      a,80h                   ; no bits yet: the marker alone
literals:
        call    gamma                   ; BC = how many literal bytes
        ldir
        call    next_bit                ; literals are followed by a copy:
        jr      c,new_offset            ; 1: with a new offset
        call    gamma                   ; 0: with the last one; BC = its length
copy:
        ex      (sp),hl                 ; HL = -offset, the stream pointer waits on the stack
        push    hl
        add     hl,de                   ; copy from DE - offset
        ldir
        pop     hl
        ex      (sp),hl                 ; the stream pointer back, -offset kept
        call    next_bit                ; a copy is followed by
        jr      nc,literals             ; 0: literals
new_offset:                             ; 1: a copy with a new offset
        pop     bc                      ; the last offset is replaced
        ld      c,0FEh                  ; high part: a gamma code with its bits inverted, so
        call    gamma_bits              ; starting at -2 leaves C = -high - 1
        inc     c
        ret     z                       ; a high part of 256: the end
        ld      b,c
        ld      c,(hl)                  ; low part: 7 bits inverted, and below them the first
        inc     hl                      ; bit of the length
        rr      b                       ; carry is 1 here: BC = -offset, carry = that length bit
        rr      c
        push    bc
        ld      bc,1                    ; the length is coded less 1
        call    nc,gamma_value
        inc     bc
        jr      copy

; BC = the next gamma code (B and C are 0 on entry). Most bits are read here, so the reading
; is written out in place rather than called.
gamma:
        inc     c
gamma_bits:                             ; go on with the code in BC
        add     a,a                     ; the next bit: 1 closes the code
        jr      nz,gamma_flag
        ld      a,(hl)
        inc     hl
        rla
gamma_flag:
        ret     c
gamma_value:
        add     a,a                     ; else the next bit of the value
        jr      nz,gamma_bit
        ld      a,(hl)
        inc     hl
        rla
gamma_bit:
        rl      c
        rl      b
        jr      gamma_bits

; Carry = the next bit of the stream.
next_bit:
        add     a,a
        ret     nz                      ; the marker is not out yet
        ld      a,(hl)                  ; all bits read: the next byte, its top bit out and
        inc     hl                      ; the marker in
        rla
        ret

        ds      6                       ; the stack while the video memory is paged in:
stack_top:                              ; unpack's return, the offset, one call deep

packed:                                 ; the packed picture follows
