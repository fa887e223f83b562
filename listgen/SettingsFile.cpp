#include "listgen/SettingsFile.h"

namespace htmlimglist {

ProfileSnapshot LoadFromProfile(GenerationOptions& options, TProfile& profile) {
    ProfileSnapshot snapshot(profile.FileName());
    for (const OptionField& field : OptionFields()) {
        profile.SetEntry(field.name);
        profile.SetDefaultText(field.defaultText);
        switch (field.type) {
            case OptionType::Text: options.*field.text = profile.GetText(snapshot); break;
            case OptionType::Number: options.*field.number = profile.GetValue(snapshot); break;
            case OptionType::Switch: options.*field.flag = profile.GetValue(snapshot) != 0; break;
        }
    }
    return snapshot;
}

bool LeavesEntryOut(const GenerationOptions& options, const OptionField& field, const TProfile& profile) {
    return field.added && OptionValueText(options, field) == field.defaultText && !profile.HasEntry();
}

bool SaveToProfile(const GenerationOptions& options, TProfile& profile) {
    bool allWritten = true;
    for (const OptionField& field : OptionFields()) {
        profile.SetEntry(field.name);
        if (LeavesEntryOut(options, field, profile)) continue;
        bool written = false;
        switch (field.type) {
            case OptionType::Text: written = profile.SetText(options.*field.text); break;
            case OptionType::Number: written = profile.SetValue(options.*field.number); break;
            case OptionType::Switch: written = profile.SetValue(options.*field.flag ? 1 : 0); break;
        }
        allWritten = allWritten && written;
    }
    return allWritten;
}

}  // namespace htmlimglist
