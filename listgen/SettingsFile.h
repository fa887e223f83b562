// Moving the creation conditions between the option record and the
// settings file, through the profile store.
#pragma once

#include "listgen/GenerationOptions.h"
#include "platform/PrivateProfile.h"
#include "profile/TProfile.h"

namespace htmlimglist {

// The one section of the settings file.
inline constexpr const char* kSettingsSection = "Parameters";

// Reads every field of OptionFields(), in order, from the profile's file and
// section: the entry is the field's name and the default text its default.
// HTMLListName takes the entry's text as it is (present but empty gives an
// empty name); numbers take the profile's Value; a switch is on when that
// value is not 0. The profile is left pointing at the last field, with that
// field's default text still set.
//
// The file is read once, and the reading is returned: its Status() says
// whether it was loaded, missing, too large or unreadable (every field then
// takes its default), with the system's Reason(), for the front end to act
// on; the caller reads its own entries from it too.
ProfileSnapshot LoadFromProfile(GenerationOptions& options, TProfile& profile);

// Writes every field of OptionFields(), in order: HTMLListName as its text,
// numbers in decimal, switches as "0" or "1". An added condition at its
// default is skipped unless its entry is already in the file. Returns false when the file
// refused any of the writes (the remaining fields are still written); the
// settings dialog ignores this, the command line reports it.
bool SaveToProfile(const GenerationOptions& options, TProfile& profile);

// The rule for added conditions: true when field is one, holds its default
// in options and has no entry yet where profile points (its entry set).
bool LeavesEntryOut(const GenerationOptions& options, const OptionField& field, const TProfile& profile);

}  // namespace htmlimglist
