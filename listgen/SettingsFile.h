// Moving the creation conditions between the option record and the
// settings file, through the profile store.
#pragma once

#include <string>
#include <vector>

#include "listgen/GenerationOptions.h"
#include "platform/PrivateProfile.h"
#include "profile/TProfile.h"

namespace htmlimglist {

// The one section of the settings file.
inline constexpr const char* kSettingsSection = "Parameters";

// A number the settings file held outside its field's range, and the value
// used instead.
struct ClampedSetting {
    const OptionField* field;
    int32_t stored;
    int32_t used;
};

// Reads every field of OptionFields(), in order, from the profile's file and
// section: the entry is the field's name and the default text its default.
// HTMLListName takes the entry's text as it is (present but empty gives an
// empty name); numbers take the profile's Value, moved into the field's range
// (each one moved is added to clamped when given); a switch is on when that
// value is not 0. The profile is left pointing at the last field, with that
// field's default text still set.
//
// The file is read once, and the reading is returned: its Status() says
// whether it was loaded, missing, too large or unreadable (every field then
// takes its default), with the system's Reason(), for the front end to act
// on; the caller reads its own entries from it too.
ProfileSnapshot LoadFromProfile(GenerationOptions& options, TProfile& profile,
                                std::vector<ClampedSetting>* clamped = nullptr);

// The numbers moved into range, for a message: "MaxPixel=0 (1..65535): 1" for
// each, joined by separator.
std::string ClampedSettingsText(const std::vector<ClampedSetting>& clamped, const std::string& separator);

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
