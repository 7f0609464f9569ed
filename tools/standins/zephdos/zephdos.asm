; ZEPHDOS.EXE: the DOS game's stand-in. Started by ZEPH.BAT in the game
; directory, it does at start what the game needs setup to have done, and
; writes what it found into ZEPHDOS.LOG there (and onto the screen):
;
;   QVX.INF   the settings file in the current directory, read line by line
;             as the game reads it (CR ends a line, keys case-insensitive,
;             the first matching line wins, the first comma field is the value)
;   FIXED     names the directory the program runs in
;   CDROM     its drive is a CD drive (MSCDEX) holding this game's CD: the
;             containers that a minimal installation leaves there
;             (DATA1\SECTOR2.CFL to SECTOR5.CFL) read at their first and
;             last sectors
;   TRACKS    the CD has TRACKS_EXPECTED tracks, a data track and audio after it
;   MUSIC     the track that the setup's music test plays (INTERIM + 1, track 3
;             without it) starts playing
;   FILES     every file of the installation is present with its size (the
;             list below, filled in when the CD is mastered)
;   EXTENDED  is not more than the extended memory DOS reports (XMS, else
;             INT 15h)
;
; Errorlevel: 0 when every check passed, else the sum of the failed checks'
; bits (FIXED 1, CDROM 2, TRACKS 4, MUSIC 8, FILES 16, EXTENDED 32).
;
; The file is always FILE_SIZE bytes, so that the list it carries can name
; the program itself. Build: nasm -f bin -o ZEPHDOS.EXE zephdos.asm

cpu 386
bits 16

FILE_SIZE     equ 8192
HEADER_SIZE   equ 32
IMAGE_SIZE    equ FILE_SIZE - HEADER_SIZE
LIST_CAPACITY equ 3072
QVX_CAPACITY  equ 8192
LINE_CAPACITY equ 260           ; the game's line buffer: 259 characters

BIT_FIXED     equ 1
BIT_CDROM     equ 2
BIT_TRACKS    equ 4
BIT_MUSIC     equ 8
BIT_FILES     equ 16
BIT_EXTENDED  equ 32

; ---- MZ header: no relocations; code, data and stack share one 64 KB segment.
section header start=0 vstart=0
        db 'MZ'
        dw FILE_SIZE % 512                      ; bytes in the last page
        dw (FILE_SIZE + 511) / 512              ; pages
        dw 0                                    ; relocations
        dw HEADER_SIZE / 16                     ; header paragraphs
        dw (10000h - IMAGE_SIZE) / 16           ; the rest of the segment
        dw 0FFFFh
        dw 0                                    ; SS (relative)
        dw 0FFFEh                               ; SP
        dw 0                                    ; checksum
        dw start                                ; IP
        dw 0                                    ; CS (relative)
        dw 1Ch                                  ; relocation table
        dw 0                                    ; overlay
        times HEADER_SIZE - ($ - $$) db 0

section image follows=header vstart=0

start:
        mov ax, cs
        mov ds, ax
        mov es, ax
        cld
        mov di, IMAGE_SIZE                      ; DOS does not clear what follows the image
        mov cx, bss_end - IMAGE_SIZE
        xor al, al
        rep stosb

        mov dx, s_logname                       ; the report, in the current directory
        xor cx, cx
        mov ah, 3Ch
        int 21h
        jnc .logopen
        mov ax, 0FFFFh
.logopen:
        mov [log_handle], ax

        call current_directory
        mov di, report
        mov si, s_title
        call put_str
        mov si, curdir
        call put_str
        call emit_line

        call check_qvx
        call check_fixed
        call check_cdrom
        call check_tracks
        call check_music
        call check_files
        call check_extended

        ; Summary.
        mov di, report
        cmp byte [fail_count], 0
        jne .failed
        mov si, s_allok
        call put_str
        jmp .summary
.failed:
        movzx eax, byte [fail_count]
        call put_dec
        mov si, s_nfailed
        call put_str
        movzx eax, byte [fail_bits]
        call put_dec
        mov al, ')'
        stosb
.summary:
        call emit_line

        mov bx, [log_handle]
        cmp bx, 0FFFFh
        je .exit
        mov ah, 3Eh
        int 21h
.exit:
        mov al, [fail_bits]
        mov ah, 4Ch
        int 21h

; ---- Report lines ---------------------------------------------------------

; put_str: appends the NUL-terminated string at SI to DI.
put_str:
        lodsb
        test al, al
        jz .done
        stosb
        jmp put_str
.done:
        ret

; put_dec: appends EAX as an unsigned decimal number to DI.
put_dec:
        push eax
        push ebx
        push ecx
        push edx
        mov ebx, 10
        xor ecx, ecx
.divide:
        xor edx, edx
        div ebx
        push dx
        inc cx
        test eax, eax
        jnz .divide
.out:
        pop ax
        add al, '0'
        stosb
        loop .out
        pop edx
        pop ecx
        pop ebx
        pop eax
        ret

; put_drive: appends the drive letter AL and a colon.
put_drive:
        stosb
        mov al, ':'
        stosb
        ret

; begin_check: starts the line of check SI ("NAME:").
begin_check:
        mov di, report
        jmp put_str

; ok: appends " ok" and, when SI is not 0, the details at SI.
ok:
        push si
        mov si, s_ok
        call put_str
        pop si
        test si, si
        jz .done
        call put_str
.done:
        ret

; failed: appends " FAILED: " and the reason at SI (0: none), and counts
; check AL as failed.
failed:
        or [fail_bits], al
        inc byte [fail_count]
        push si
        mov si, s_failed
        call put_str
        pop si
        test si, si
        jz .done
        call put_str
.done:
        ret

; emit_line: ends the line at DI with CR LF and writes it to the screen and
; the report.
emit_line:
        mov ax, 0A0Dh
        stosw
        mov cx, di
        sub cx, report
        mov dx, report
        mov bx, 1
        mov ah, 40h
        int 21h
        mov bx, [log_handle]
        cmp bx, 0FFFFh
        je .done
        mov cx, di
        sub cx, report
        mov dx, report
        mov ah, 40h
        int 21h
.done:
        mov di, report
        ret

; ---- The settings file, read as the game reads it -------------------------

; read_line: the next line of the text at SI (CX bytes left) into linebuf;
; a line too long for the line buffer is consumed and delivered empty. Then
; every following byte below 32 as a signed byte (CR, LF, blank lines, bytes
; 128-255) is skipped. Advances SI and lowers CX.
read_line:
        push di
        mov di, linebuf
        xor dx, dx
        mov bx, si
.scan:
        cmp dx, cx
        jae .scanned
        cmp byte [bx], 13
        je .scanned
        inc bx
        inc dx
        jmp .scan
.scanned:
        cmp dx, LINE_CAPACITY - 1
        ja .terminate
        push cx
        push si
        mov cx, dx
        rep movsb
        pop si
        pop cx
.terminate:
        mov byte [di], 0
        add si, dx
        sub cx, dx
.skip:
        jcxz .done
        mov al, [si]
        cmp al, 32
        jge .done
        inc si
        dec cx
        jmp .skip
.done:
        pop di
        ret

; match_key: upper-cases linebuf in place; CF clear when it matches the key
; at BP: the shorter of the two is a beginning of the other, and neither is
; empty.
match_key:
        mov si, linebuf
.upper:
        mov al, [si]
        test al, al
        jz .compare
        cmp al, 'a'
        jb .next
        cmp al, 'z'
        ja .next
        sub byte [si], 32
.next:
        inc si
        jmp .upper
.compare:
        mov si, linebuf
        mov bx, bp
        cmp byte [si], 0
        je .no
        cmp byte [bx], 0
        je .no
.char:
        mov al, [si]
        test al, al
        jz .yes
        mov ah, [bx]
        test ah, ah
        jz .yes
        cmp al, ah
        jne .no
        inc si
        inc bx
        jmp .char
.yes:
        clc
        ret
.no:
        stc
        ret

; find_key: the first line of the settings text that matches the key at BP,
; in linebuf (upper case). CF set when none does.
find_key:
        pusha
        mov si, qvx
        mov cx, [qvx_length]
.line:
        jcxz .none
        call read_line
        push si
        push cx
        call match_key
        pop cx
        pop si
        jc .line
        popa
        clc
        ret
.none:
        popa
        stc
        ret

; get_field: the first field of linebuf (after the first comma, up to the
; next) into fieldbuf, keeping only the characters from 32 to 122. CF set
; when the line has no comma or the field does not fit the buffer.
get_field:
        pusha
        mov si, linebuf
.comma:
        lodsb
        test al, al
        jz .none
        cmp al, ','
        jne .comma
        mov bx, si
        xor cx, cx
.measure:
        mov al, [bx]
        test al, al
        jz .measured
        cmp al, ','
        je .measured
        inc bx
        inc cx
        jmp .measure
.measured:
        cmp cx, LINE_CAPACITY - 1
        ja .none
        mov di, fieldbuf
        jcxz .terminate
.copy:
        lodsb
        cmp al, 32
        jl .drop
        cmp al, 122
        jg .drop
        stosb
.drop:
        loop .copy
.terminate:
        mov byte [di], 0
        popa
        clc
        ret
.none:
        popa
        stc
        ret

; lookup_text: the first field of key BP in fieldbuf; CF set when the key
; or its field is missing.
lookup_text:
        call find_key
        jc .done
        call get_field
.done:
        ret

; lookup_number: the number of key BP's first field in EAX (0 without a
; field); CF set when no line matches.
lookup_number:
        call find_key
        jc .done
        xor eax, eax
        call get_field
        jc .zero
        push si
        mov si, fieldbuf
        call parse_number
        pop si
.zero:
        clc
.done:
        ret

; parse_number: a decimal number at SI as the C library reads one (leading
; white space, a sign, digits up to the first other character) into EAX.
parse_number:
        push ebx
        push edx
        xor eax, eax
        xor dx, dx                              ; DL: negative
.space:
        mov bl, [si]
        cmp bl, ' '
        je .skip
        cmp bl, 9
        jb .sign
        cmp bl, 13
        ja .sign
.skip:
        inc si
        jmp .space
.sign:
        cmp bl, '-'
        jne .plus
        mov dl, 1
        inc si
        jmp .digits
.plus:
        cmp bl, '+'
        jne .digits
        inc si
.digits:
        movzx ebx, byte [si]
        sub bl, '0'
        cmp bl, 9
        ja .end
        imul eax, eax, 10
        add eax, ebx
        inc si
        jmp .digits
.end:
        test dl, dl
        jz .done
        neg eax
.done:
        pop edx
        pop ebx
        ret

; ---- Small helpers ----------------------------------------------------------

; current_directory: "C:\PATH" of the current drive and directory in curdir.
current_directory:
        mov ah, 19h
        int 21h
        add al, 'A'
        mov di, curdir
        stosb
        mov al, ':'
        stosb
        mov al, '\'
        stosb
        mov si, di
        xor dl, dl
        mov ah, 47h
        int 21h
        jnc .done
        mov byte [di], 0
.done:
        ret

; upper_string: upper-cases the string at SI in place.
upper_string:
        push si
.char:
        mov al, [si]
        test al, al
        jz .done
        cmp al, 'a'
        jb .next
        cmp al, 'z'
        ja .next
        sub byte [si], 32
.next:
        inc si
        jmp .char
.done:
        pop si
        ret

; trim_backslash: drops a final backslash from the path at SI unless it is
; a root ("C:\").
trim_backslash:
        push di
        mov di, si
.end:
        cmp byte [di], 0
        je .found
        inc di
        jmp .end
.found:
        mov ax, di
        sub ax, si
        cmp ax, 3
        jbe .done
        cmp byte [di - 1], '\'
        jne .done
        mov byte [di - 1], 0
.done:
        pop di
        ret

; file_size: opens the file named at DX and gives its size in EAX; CF set
; when it cannot be opened. The file stays open, its handle in BX.
file_size:
        mov ax, 3D00h
        int 21h
        jc .done
        mov bx, ax
        xor cx, cx
        xor dx, dx
        mov ax, 4202h
        int 21h
        jc .close
        shl edx, 16
        mov dx, ax
        mov eax, edx
        clc
        ret
.close:
        mov ah, 3Eh
        int 21h
        stc
.done:
        ret

; close_file: closes handle BX.
close_file:
        mov ah, 3Eh
        int 21h
        ret

; ---- The checks -------------------------------------------------------------

check_qvx:
        mov si, s_qvx
        call begin_check
        mov dx, s_qvxname
        call file_size
        jc .missing
        cmp eax, QVX_CAPACITY
        ja .toolarge
        push eax
        mov cx, ax
        mov dx, qvx
        call read_at_zero
        jc .unread
        mov [qvx_length], ax
.unread:
        call close_file
        xor si, si
        call ok
        mov si, s_open
        call put_str
        pop eax
        call put_dec
        mov si, s_bytes
        call put_str
        jmp emit_line
.toolarge:
        call close_file
        mov si, s_qvxlarge
        jmp .fail
.missing:
        mov si, s_qvxmissing
.fail:
        mov al, BIT_FIXED
        call failed
        mov si, curdir
        call put_str
        jmp emit_line

check_fixed:
        mov si, s_fixed
        call begin_check
        mov bp, k_fixed
        call lookup_text
        jc .missing
        mov si, fieldbuf
        call trim_backslash
        mov si, curdir
        call upper_string
        call trim_backslash
        mov si, fieldbuf
        mov bx, curdir
.char:
        mov al, [si]
        cmp al, [bx]
        jne .other
        test al, al
        jz .same
        inc si
        inc bx
        jmp .char
.same:
        mov si, s_open
        call ok
        mov si, curdir
        call put_str
        mov al, ')'
        stosb
        jmp emit_line
.other:
        xor si, si
        mov al, BIT_FIXED
        call failed
        mov si, fieldbuf
        call put_str
        mov si, s_notdir
        call put_str
        mov si, curdir
        call put_str
        jmp emit_line
.missing:
        mov si, s_nofixed
        mov al, BIT_FIXED
        call failed
        jmp emit_line

; MSCDEX: the CD drive letters, then whether CDROM's drive is one of them,
; then the containers on it.
check_cdrom:
        mov si, s_cdrom
        call begin_check
        mov bp, k_cdrom
        call lookup_text
        jc .missing
        mov al, [fieldbuf]
        cmp al, 'A'
        jb .badletter
        cmp al, 'Z'
        ja .badletter
        mov [cd_letter], al

        mov ax, 1500h
        xor bx, bx
        int 2Fh
        test bx, bx
        jz .nomscdex
        mov [cd_first], cl

        mov ax, 150Bh
        movzx cx, byte [cd_letter]
        sub cx, 'A'
        int 2Fh
        cmp bx, 0ADADh
        jne .nomscdex
        test ax, ax
        jz .notcd
        mov al, [cd_letter]                     ; the later checks ask this drive
        sub al, 'A'
        mov [cd_drive], al

        ; The containers a minimal installation leaves on the CD.
        mov byte [sector_name + 15], '2'
.container:
        mov al, [cd_letter]
        mov [sector_name], al
        call read_container
        jc .unreadable
        inc byte [sector_name + 15]
        cmp byte [sector_name + 15], '5'
        jbe .container

        mov byte [cd_ok], 1
        xor si, si
        call ok
        mov si, s_open
        call put_str
        mov al, [cd_letter]
        call put_drive
        mov si, s_cdholds
        call put_str
        jmp emit_line

.unreadable:
        push si
        xor si, si
        mov al, BIT_CDROM
        call failed
        mov si, sector_name
        call put_str
        pop si
        call put_str
        jmp emit_line
.notcd:
        xor si, si
        mov al, BIT_CDROM
        call failed
        mov al, [cd_letter]
        call put_drive
        mov si, s_notcd
        call put_str
        mov al, [cd_first]
        add al, 'A'
        call put_drive
        mov al, ')'
        stosb
        jmp emit_line
.nomscdex:
        mov si, s_nomscdex
        jmp .fail
.badletter:
        mov si, s_badletter
        jmp .fail
.missing:
        mov si, s_nocdrom
.fail:
        mov al, BIT_CDROM
        call failed
        jmp emit_line

; read_container: opens sector_name and reads its first and last 2048
; bytes. CF set and SI the reason when that fails.
read_container:
        mov dx, sector_name
        call file_size
        mov si, s_cantopen
        jc .done
        mov si, s_empty
        test eax, eax
        jz .fail
        push eax
        mov cx, 2048
        mov dx, buffer
        call read_at_zero
        pop eax
        jc .readfail
        sub eax, 2048
        jnc .seek
        xor eax, eax
.seek:
        mov dx, ax
        shr eax, 16
        mov cx, ax
        mov ax, 4200h
        int 21h
        jc .readfail
        mov cx, 2048
        mov dx, buffer
        mov ah, 3Fh
        int 21h
        jc .readfail
        test ax, ax
        jz .readfail
        call close_file
        clc
        ret
.readfail:
        mov si, s_cantread
.fail:
        call close_file
        stc
.done:
        ret

; read_at_zero: reads CX bytes to DX from the start of handle BX; CF set
; when nothing comes.
read_at_zero:
        push cx
        push dx
        xor cx, cx
        xor dx, dx
        mov ax, 4200h
        int 21h
        pop dx
        pop cx
        jc .done
        mov ah, 3Fh
        int 21h
        jc .done
        test ax, ax
        jnz .done
        stc
.done:
        ret

; cd_request: hands the request at request (length AL, command AH) to the
; CD drive's driver. AX gives the status word; CF set on an error.
cd_request:
        mov [request], al
        mov [request + 2], ah
        mov byte [request + 1], 0
        mov word [request + 3], 0
        mov bx, request
        movzx cx, byte [cd_drive]
        mov ax, 1510h
        int 2Fh
        mov ax, [request + 3]
        test ax, 8000h
        jz .done
        stc
.done:
        ret

; cd_ioctl_input: IOCTL input of the control block at cd_block, CX bytes
; long. CF set on an error.
cd_ioctl_input:
        mov byte [request + 0Dh], 0
        mov word [request + 0Eh], cd_block
        mov [request + 10h], ds
        mov [request + 12h], cx
        mov word [request + 14h], 0
        mov dword [request + 16h], 0
        mov ax, 031Ah                           ; command 3, 26 bytes
        jmp cd_request

; track_info: the start (Red Book, in EAX) and control byte (DL) of track AL.
track_info:
        mov byte [cd_block], 0Bh
        mov [cd_block + 1], al
        mov cx, 7
        call cd_ioctl_input
        jc .done
        mov eax, [cd_block + 2]
        mov dl, [cd_block + 6]
.done:
        ret

; red_to_frames: a Red Book address (frame, second, minute) in EAX as a
; frame count in EAX.
red_to_frames:
        push ebx
        push ecx
        movzx ebx, al                           ; frames
        movzx ecx, ah                           ; seconds
        shr eax, 16
        movzx eax, al                           ; minutes
        imul eax, eax, 60
        add eax, ecx
        imul eax, eax, 75
        add eax, ebx
        pop ecx
        pop ebx
        ret

; The CD's tracks: as many as TRACKS_EXPECTED, the first a data track and
; every other one audio.
check_tracks:
        mov si, s_tracks
        call begin_check
        mov bp, k_tracks
        call lookup_number
        jc .nokey
        mov [tracks_expected], eax
        cmp byte [cd_drive], 0FFh
        je .nocd
        mov byte [cd_block], 0Ah
        mov cx, 7
        call cd_ioctl_input
        jc .noinfo
        mov al, [cd_block + 1]
        mov [first_track], al
        mov ah, [cd_block + 2]
        mov [last_track], ah
        mov eax, [cd_block + 3]
        mov [leadout], eax
        movzx eax, byte [last_track]
        movzx ebx, byte [first_track]
        sub eax, ebx
        inc eax
        mov [track_count], eax
        cmp eax, [tracks_expected]
        jne .count

        mov al, [first_track]
        mov [track], al
.track:
        mov al, [track]
        call track_info
        jc .noinfo
        mov al, [track]
        cmp al, [first_track]
        jne .audio
        test dl, 40h
        jz .notdata
        jmp .nexttrack
.audio:
        test dl, 40h
        jnz .notaudio
.nexttrack:
        mov al, [track]
        cmp al, [last_track]
        je .good
        inc byte [track]
        jmp .track

.good:
        xor si, si
        call ok
        mov si, s_open
        call put_str
        mov eax, [track_count]
        call put_dec
        mov si, s_datatrack
        call put_str
        movzx eax, byte [first_track]
        call put_dec
        mov si, s_audio
        call put_str
        movzx eax, byte [first_track]
        inc eax
        call put_dec
        mov si, s_to
        call put_str
        movzx eax, byte [last_track]
        call put_dec
        mov al, ')'
        stosb
        jmp emit_line

.count:
        xor si, si
        mov al, BIT_TRACKS
        call failed
        mov si, s_cdhas
        call put_str
        mov eax, [track_count]
        call put_dec
        mov si, s_tracksnot
        call put_str
        mov eax, [tracks_expected]
        call put_dec
        jmp emit_line
.notdata:
        mov si, s_notdata
        jmp .tracknamed
.notaudio:
        mov si, s_notaudio
.tracknamed:
        push si
        xor si, si
        mov al, BIT_TRACKS
        call failed
        mov si, s_track
        call put_str
        movzx eax, byte [track]
        call put_dec
        pop si
        call put_str
        jmp emit_line
.noinfo:
        mov si, s_noinfo
        jmp .fail
.nocd:
        mov si, s_nocd
        jmp .fail
.nokey:
        mov si, s_notracks
.fail:
        mov al, BIT_TRACKS
        call failed
        jmp emit_line

; The music test's track: INTERIM's digits plus 1 (3 without a digit),
; played for a moment and stopped.
check_music:
        mov si, s_music
        call begin_check
        mov byte [track], 3
        mov bp, k_interim
        call lookup_text
        jc .chosen
        mov si, fieldbuf
        xor eax, eax
        xor cx, cx                              ; digits seen
.digit:
        lodsb
        test al, al
        jz .digits
        sub al, '0'
        cmp al, 9
        ja .digit
        cmp cx, 11
        jae .digit
        inc cx
        movzx ebx, al
        imul edx, [interim], 10
        add edx, ebx
        mov [interim], edx
        jmp .digit
.digits:
        jcxz .chosen
        mov al, [interim]
        inc al
        mov [track], al
.chosen:
        cmp byte [cd_drive], 0FFh
        je .nocd
        mov byte [cd_block], 0Ah
        mov cx, 7
        call cd_ioctl_input
        jc .notrack
        mov al, [track]
        cmp al, [cd_block + 1]
        jb .notrack
        cmp al, [cd_block + 2]
        ja .notrack
        mov ebx, [cd_block + 3]                 ; the lead-out ends the last track
        mov [leadout], ebx
        mov bl, [cd_block + 2]
        mov [last_track], bl
        call track_info
        jc .notrack
        test dl, 40h
        jnz .datatrack
        mov [play_start], eax
        call red_to_frames
        mov [play_frames], eax
        ; Two seconds, or the track's length when it is shorter.
        mov al, [track]
        cmp al, [last_track]
        mov eax, [leadout]
        je .end
        mov al, [track]
        inc al
        call track_info
        jc .notrack
.end:
        call red_to_frames
        sub eax, [play_frames]
        jbe .notrack
        cmp eax, 150
        jbe .length
        mov eax, 150
.length:
        mov [request + 12h], eax
        mov byte [request + 0Dh], 1             ; Red Book start
        mov eax, [play_start]
        mov [request + 0Eh], eax
        mov ax, 8416h                           ; play audio, 22 bytes
        call cd_request
        jc .cantplay
        ; A playing drive reports itself busy.
        mov byte [cd_block], 0Fh                ; audio status
        mov cx, 11
        call cd_ioctl_input
        jc .cantplay
        mov [play_status], ax
        mov ax, 850Dh                           ; stop (pauses)
        call cd_request
        mov ax, 850Dh                           ; stop again (resets)
        call cd_request
        test word [play_status], 0200h
        jz .notbusy
        xor si, si
        call ok
        mov si, s_tracknamed
        call put_str
        movzx eax, byte [track]
        call put_dec
        mov si, s_started
        call put_str
        jmp emit_line

.notbusy:
        mov si, s_notplaying
        jmp .named
.cantplay:
        mov si, s_cantplay
        jmp .named
.datatrack:
        mov si, s_isdata
        jmp .named
.notrack:
        mov si, s_notrack
.named:
        push si
        xor si, si
        mov al, BIT_MUSIC
        call failed
        mov si, s_track
        call put_str
        movzx eax, byte [track]
        call put_dec
        pop si
        call put_str
        jmp emit_line
.nocd:
        mov si, s_nocd
        mov al, BIT_MUSIC
        call failed
        jmp emit_line

; Every file of the list with its size. A line of the list is the path, a
; tab and the size in bytes, or "*" where any size will do; CR LF after it.
check_files:
        mov si, s_files
        call begin_check
        mov word [file_count], 0
        mov word [bad_count], 0
        mov si, file_list
.entry:
        cmp byte [si], 0
        je .listed
        ; The name into fieldbuf, up to the tab.
        mov bx, fieldbuf
.name:
        lodsb
        test al, al
        jz .listed
        cmp al, 9
        je .named
        mov [bx], al
        inc bx
        jmp .name
.named:
        mov byte [bx], 0
        mov byte [any_size], 0
        cmp byte [si], '*'
        jne .number
        mov byte [any_size], 1
.number:
        call parse_number
        mov [expected_size], eax
.eol:
        mov al, [si]
        test al, al
        jz .open
        inc si
        cmp al, 10
        jne .eol
.open:
        inc word [file_count]
        push si
        mov dx, fieldbuf
        call file_size
        jc .missing
        push eax
        call close_file
        pop eax
        cmp byte [any_size], 0
        jne .good
        cmp eax, [expected_size]
        je .good
        mov [found_size], eax
        call first_bad
        jne .good
        mov si, fieldbuf
        call put_str
        mov si, s_has
        call put_str
        mov eax, [found_size]
        call put_dec
        mov si, s_bytesnot
        call put_str
        mov eax, [expected_size]
        call put_dec
        jmp .good
.missing:
        call first_bad
        jne .good
        mov si, fieldbuf
        call put_str
        mov si, s_ismissing
        call put_str
.good:
        pop si
        jmp .entry

.listed:
        cmp word [file_count], 0
        je .nolist
        cmp word [bad_count], 0
        jne .bad
        xor si, si
        call ok
        mov si, s_open
        call put_str
        movzx eax, word [file_count]
        call put_dec
        mov si, s_filesok
        call put_str
        jmp emit_line
.bad:
        mov si, s_open
        call put_str
        movzx eax, word [bad_count]
        call put_dec
        mov si, s_of
        call put_str
        movzx eax, word [file_count]
        call put_dec
        mov si, s_fileswrong
        call put_str
        jmp emit_line
.nolist:
        mov si, s_nolist
        mov al, BIT_FILES
        call failed
        jmp emit_line

; first_bad: counts a wrong file; ZF set for the first one, whose reason
; the caller appends after " FAILED: ".
first_bad:
        inc word [bad_count]
        cmp word [bad_count], 1
        jne .done
        xor si, si
        mov al, BIT_FILES
        call failed
        cmp al, al
.done:
        ret

; EXTENDED against the extended memory that DOS reports: the XMS driver's
; free memory plus its HMA, else INT 15h function 88h.
check_extended:
        mov si, s_extended
        call begin_check
        mov bp, k_extended
        call lookup_number
        jc .nokey
        mov [extended], eax

        xor ebx, ebx
        mov ax, 4300h
        int 2Fh
        cmp al, 80h
        jne .bios
        push es
        mov ax, 4310h
        int 2Fh
        mov [xms_entry], bx
        mov [xms_entry + 2], es
        pop es
        mov ah, 08h
        xor bx, bx
        call far [xms_entry]
        movzx ebx, dx
        test ebx, ebx
        jz .bios
        add ebx, 64                             ; the HMA
        mov byte [memory_source], 1
        jmp .compare
.bios:
        mov byte [memory_source], 0
        clc
        mov ah, 88h
        int 15h
        jc .nomemory
        movzx ebx, ax
.compare:
        mov [reported], ebx
        mov eax, [extended]
        cmp eax, ebx
        ja .toomuch
        xor si, si
        call ok
        mov si, s_open
        call put_str
        call put_memory
        mov al, ')'
        stosb
        jmp emit_line
.toomuch:
        mov si, s_more
        mov al, BIT_EXTENDED
        call failed
        call put_memory
        jmp emit_line
.nomemory:
        mov si, s_nomemory
        jmp .fail
.nokey:
        mov si, s_noextended
.fail:
        mov al, BIT_EXTENDED
        call failed
        jmp emit_line

put_memory:
        mov eax, [extended]
        call put_dec
        mov si, s_kbreports
        call put_str
        mov eax, [reported]
        call put_dec
        mov si, s_kbxms
        cmp byte [memory_source], 1
        je .source
        mov si, s_kbbios
.source:
        jmp put_str

; ---- Texts ------------------------------------------------------------------

s_logname       db 'ZEPHDOS.LOG', 0
s_qvxname       db 'QVX.INF', 0
s_title         db 'ZEPHDOS: what setup wrote, checked in ', 0
s_ok            db ' ok', 0
s_failed        db ' FAILED: ', 0
s_open          db ' (', 0
s_bytes         db ' bytes)', 0
s_allok         db 'ZEPHDOS: ok, every check passed', 0
s_nfailed       db ' check(s) FAILED (errorlevel ', 0

s_qvx           db 'QVX.INF:', 0
s_qvxmissing    db 'no QVX.INF in ', 0
s_qvxlarge      db 'QVX.INF is too large in ', 0

s_fixed         db 'FIXED:', 0
k_fixed         db 'FIXED', 0
s_nofixed       db 'QVX.INF has no FIXED value', 0
s_notdir        db ' is not the directory ', 0

s_cdrom         db 'CDROM:', 0
k_cdrom         db 'CDROM', 0
s_nocdrom       db 'QVX.INF has no CDROM value', 0
s_badletter     db 'the CDROM value does not start with a drive letter', 0
s_nomscdex      db 'no CD drive (MSCDEX is not loaded)', 0
s_notcd         db ' is not a CD drive (MSCDEX has ', 0
s_cdholds       db ' holds SECTOR2.CFL to SECTOR5.CFL)', 0
s_cantopen      db ' cannot be opened', 0
s_cantread      db ' cannot be read', 0
s_empty         db ' is empty', 0

s_tracks        db 'TRACKS:', 0
k_tracks        db 'TRACKS_EXPECTED', 0
s_notracks      db 'QVX.INF has no TRACKS_EXPECTED value', 0
s_nocd          db 'no CD drive to ask', 0
s_noinfo        db 'the CD drive gives no audio disk information', 0
s_cdhas         db 'the CD has ', 0
s_tracksnot     db ' track(s), TRACKS_EXPECTED is ', 0
s_track         db 'track ', 0
s_notdata       db ' is not a data track', 0
s_notaudio      db ' is not an audio track', 0
s_datatrack     db ' tracks: data track ', 0
s_audio         db ', audio ', 0
s_to            db ' to ', 0

s_music         db 'MUSIC:', 0
k_interim       db 'INTERIM', 0
s_tracknamed    db ' (track ', 0
s_started       db ' started)', 0
s_notrack       db ' is not on the CD', 0
s_isdata        db ' is a data track', 0
s_cantplay      db ' cannot be played', 0
s_notplaying    db ' does not play', 0

s_files         db 'FILES:', 0
s_has           db ' has ', 0
s_bytesnot      db ' bytes, not ', 0
s_ismissing     db ' is missing', 0
s_of            db ' of ', 0
s_filesok       db ' files)', 0
s_fileswrong    db ' files wrong)', 0
s_nolist        db 'no file list in ZEPHDOS.EXE (the CD was mastered without one)', 0

s_extended      db 'EXTENDED:', 0
k_extended      db 'EXTENDED', 0
s_noextended    db 'QVX.INF has no EXTENDED value', 0
s_nomemory      db 'DOS reports no extended memory', 0
s_more          db 'EXTENDED is ', 0
s_kbreports     db ' KB, DOS reports ', 0
s_kbxms         db ' KB (XMS)', 0
s_kbbios        db ' KB (INT 15h)', 0

; ---- Data -------------------------------------------------------------------

log_handle      dw 0FFFFh
fail_bits       db 0
fail_count      db 0
cd_drive        db 0FFh
cd_letter       db 0
cd_first        db 0
cd_ok           db 0
sector_name     db 'D:\DATA1\SECTOR2.CFL', 0

; The installation's files, filled in by the mastering after this marker:
; "PATH<TAB>SIZE<CR><LF>" lines, NUL after the last.
                db 'ZEPHDOS FILE LIST', 13, 10
file_list:      times LIST_CAPACITY db 0

        times IMAGE_SIZE - ($ - $$) db 0

; ---- Uninitialised data, after the image in the same segment --------------
absolute IMAGE_SIZE
qvx_length      resw 1
tracks_expected resd 1
track_count     resd 1
first_track     resb 1
last_track      resb 1
track           resb 1
any_size        resb 1
memory_source   resb 1
leadout         resd 1
interim         resd 1
play_start      resd 1
play_frames     resd 1
play_status     resw 1
expected_size   resd 1
found_size      resd 1
extended        resd 1
reported        resd 1
file_count      resw 1
bad_count       resw 1
xms_entry       resd 1
request         resb 32
cd_block        resb 16
curdir             resb 80
report            resb 600
linebuf         resb LINE_CAPACITY + 4
fieldbuf        resb LINE_CAPACITY + 4
buffer          resb 2048
qvx             resb QVX_CAPACITY
bss_end:
