// The command line's wording of the messages a run shows.
#pragma once

#include <string>

#include "listgen/RunMessage.h"

namespace htmlimglist {

// The message as the tool's own words, its path made safe for a terminal,
// followed by ": " and the system's reason when there is one.
std::string MessageText(const RunMessage& message);

}  // namespace htmlimglist
