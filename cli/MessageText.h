// The command line's wording of the messages a run shows, in Japanese (the
// tool's own words) or English.
#pragma once

#include <string>

#include "listgen/RunMessage.h"

namespace htmlimglist {

enum class CliLanguage { Japanese, English };

// The language of the environment: HTMLIMGLIST_LANG ("ja" or "en") when
// set, else the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty: English when its language is "en" ("en", "en_GB.UTF-8"), Japanese
// otherwise (C and POSIX included), as the tool always spoke.
CliLanguage LanguageOfEnvironment();

// The message in the language, its path made safe for a terminal, followed
// by ": " and the system's reason when there is one.
std::string MessageText(const RunMessage& message, CliLanguage language = CliLanguage::Japanese);

}  // namespace htmlimglist
