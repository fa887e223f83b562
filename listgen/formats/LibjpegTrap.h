// libjpeg's error handling for both directions, decoding and encoding:
// fatal errors jump back to a trap set in the one function that drives the
// codec, warnings are counted and never printed. That function holds only
// plain objects, so nothing with a destructor is skipped by the jump.
#pragma once

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace htmlimglist {

struct LibjpegTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    int warnings;
    char message[JMSG_LENGTH_MAX];
};

// Makes trap ready to be the codec's error manager (codec.err = &trap.manager).
void InitLibjpegTrap(LibjpegTrap& trap);

// Leaves through the trap with a message of our own.
[[noreturn]] void FailThroughTrap(LibjpegTrap& trap, const char* message);

}  // namespace htmlimglist
