// The command line of htmlimglist-cli.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "listgen/GenerationOptions.h"

namespace htmlimglist {

struct CliOptions {
    // --set NAME=VALUE in the order given; applied over the settings file.
    std::vector<std::pair<const OptionField*, std::string>> overrides;
    std::string settingsFile;  // --settings FILE; empty: the window's file
    bool save = false;         // --save: store the merged options
    int jobs = 0;              // --jobs N: worker threads; 0: one per core
    std::vector<std::string> folders;  // each its own run, in the order given
    bool quiet = false;
    bool verbose = false;      // -v: name every file that looks like an image but was not listed
    bool help = false;
    bool version = false;
};

// Fills options from argv (the program name excluded). Every --set is checked
// against a default record, so a bad value is refused before anything is read
// or written. False with a message naming the offending argument when the
// command line is refused.
bool ParseCommandLine(const std::vector<std::string>& args, CliOptions& options, std::string& error);

std::string UsageText();

// Applies the --set overrides, in order, to options already loaded.
void ApplyOverrides(const CliOptions& cli, GenerationOptions& options);

}  // namespace htmlimglist
