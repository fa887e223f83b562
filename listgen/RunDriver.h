// Turns a request into calls of the folder list writer.
#pragma once

#include "listgen/FolderListWriter.h"
#include "listgen/GenerationOptions.h"

namespace htmlimglist {

class RunDriver {
public:
    RunDriver(const GenerationOptions& options, FolderListWriter& writer)
        : options_(options), writer_(writer) {}

    // The pages of the selected folder: the main list, then, unless the user
    // aborted it, the list of full-size images when reduced images are made
    // and that list is wanted.
    void RunSingle();

private:
    const GenerationOptions& options_;
    FolderListWriter& writer_;
};

}  // namespace htmlimglist
