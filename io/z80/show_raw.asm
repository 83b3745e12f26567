; A program file with the picture as it is: copies the 16 KB image that follows the code into the
; video memory, shows it until a key is pressed, then hands the machine back to BASIC.

        include "tvc.inc"

        org     code_address

        include "show_begin.inc"

        di                              ; no interrupt may page back mid-copy
        ld      a,video_paged_in
        out     (paging_port),a
        ld      hl,image
        ld      de,video_window
        ld      bc,video_bytes
        ldir                            ; about 0.11 s
        ld      a,(paging_copy)
        out     (paging_port),a

        include "show_end.inc"

image:                                  ; the 16,384 bytes of the video memory follow
