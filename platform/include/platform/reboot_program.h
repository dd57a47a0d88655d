// The reboot program "reboot.com": our own DOS program, run last by the DOS batch, that
// restarts the machine. It flushes DOS's buffers (int 21h, ah 0Dh) and a SMARTDRV write-back
// cache (int 2Fh, ax 4A10h, bx 1; harmless without one) so that the logs of the DOS tests reach
// the disk, sets the BIOS warm-boot flag (0040:0072 = 1234h) and jumps to the processor's reset
// entry FFFF:0000. DOSBox ends its session at that jump.
#pragma once

#include <string>

namespace platform {

inline constexpr const char* kRebootProgramName = "reboot.com";

inline constexpr unsigned char kRebootProgram[] = {
    0xB4, 0x0D,                         // mov ah, 0Dh
    0xCD, 0x21,                         // int 21h
    0xB8, 0x10, 0x4A,                   // mov ax, 4A10h
    0xBB, 0x01, 0x00,                   // mov bx, 0001h
    0xCD, 0x2F,                         // int 2Fh
    0xB8, 0x40, 0x00,                   // mov ax, 0040h
    0x8E, 0xD8,                         // mov ds, ax
    0xC7, 0x06, 0x72, 0x00, 0x34, 0x12, // mov word [0072h], 1234h
    0xEA, 0x00, 0x00, 0xFF, 0xFF,       // jmp FFFF:0000
};

// Writes the program to `path`, replacing a file there; a file error number (0 on success).
int WriteRebootProgram(const std::string& path);

} // namespace platform
