// The command line's wording of the messages a run shows, in Japanese (the
// tool's own words) or English.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "listgen/ListResult.h"
#include "listgen/RunMessage.h"
#include "listgen/RunView.h"

namespace htmlimglist {

enum class CliLanguage { Japanese, English };

// The language of the environment: HTMLIMGLIST_LANG when its language is
// "ja" or "en" (in any case: "EN", "en_GB.UTF-8"); otherwise, unset or any
// other value, the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty: English when its language is "en" ("en", "en_GB.UTF-8"), Japanese
// otherwise (C and POSIX included), as the tool always spoke.
CliLanguage LanguageOfEnvironment();

// The message in the language, its path made safe for a terminal, followed
// by ": " and the system's reason when there is one.
std::string MessageText(const RunMessage& message, CliLanguage language = CliLanguage::Japanese);

// The line for a page written: its path made safe for a terminal, its cells
// and, when it has reduced copies, how many were made, kept and not made.
std::string PageWrittenText(const ListResult& result, CliLanguage language);

// How many names without verbose are given in a not-listed line.
inline constexpr std::size_t kNotListedNamedWithoutVerbose = 5;

// The line for the files that began like images but were not listed for
// why: their count and reason, then the first few names (the rest counted,
// with a hint of -v); with verbose the line ends in ":" and the caller
// names each on a line of its own. names are already safe for a terminal.
// The reasons the summary of files not listed names, in its order.
std::vector<NotListedReason> NotListedReasonsInOrder();

std::string NotListedText(NotListedReason why, const std::vector<std::string>& names, bool verbose,
                          CliLanguage language);

}  // namespace htmlimglist
