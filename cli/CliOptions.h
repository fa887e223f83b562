// The command line of htmlimglist-cli.
#pragma once

#include <string>
#include <vector>

#include "listgen/GenerationOptions.h"

namespace htmlimglist {

struct CliOptions {
    GenerationOptions generation;
    std::string folder;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Fills options from argv (the program name excluded). False with a message
// naming the offending argument when the command line is refused.
bool ParseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error);

std::string UsageText();

}  // namespace htmlimglist
