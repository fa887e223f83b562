#include "listgen/formats/LibjpegTrap.h"

namespace htmlimglist {
namespace {

extern "C" void TrapError(j_common_ptr codec) {
    auto* trap = reinterpret_cast<LibjpegTrap*>(codec->err);
    (*codec->err->format_message)(codec, trap->message);
    std::longjmp(trap->jump, 1);
}

// Warnings (corrupt data, premature end) are counted, never printed.
extern "C" void CountMessage(j_common_ptr codec, int level) {
    if (level < 0) ++reinterpret_cast<LibjpegTrap*>(codec->err)->warnings;
}

}  // namespace

void InitLibjpegTrap(LibjpegTrap& trap) {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = TrapError;
    trap.manager.emit_message = CountMessage;
    trap.warnings = 0;
    trap.message[0] = '\0';
}

void FailThroughTrap(LibjpegTrap& trap, const char* message) {
    std::snprintf(trap.message, sizeof trap.message, "%s", message);
    std::longjmp(trap.jump, 1);
}

}  // namespace htmlimglist
