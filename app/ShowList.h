// The show-list command: which page it opens and what it says when the page
// cannot be opened.
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "app/ShellOpener.h"
#include "listgen/GenerationOptions.h"

namespace htmlimglist {

// The main list of the selected folder: HTMLListName in that folder, or in
// its parent when reduced images are made.
std::string MainListPath(const std::string& selectedFolder, const GenerationOptions& options);

// The message for an open that failed, naming the file by its name alone
// (the page for the show-list command, the help text for help); nothing when
// it opened.
std::optional<QString> ShowListMessage(OpenResult result, const std::string& listName);

}  // namespace htmlimglist
