#include "listgen/SettingsFile.h"

namespace htmlimglist {

ProfileSnapshot LoadFromProfile(GenerationOptions& options, TProfile& profile,
                                std::vector<ClampedSetting>* clamped) {
    ProfileSnapshot snapshot(profile.FileName());
    for (const OptionField& field : OptionFields()) {
        profile.SetEntry(field.name);
        profile.SetDefaultText(field.defaultText);
        switch (field.type) {
            case OptionType::Text: options.*field.text = profile.GetText(snapshot); break;
            case OptionType::Number: {
                const int32_t stored = profile.GetValue(snapshot);
                options.*field.number = ClampToRange(field, stored);
                if (clamped != nullptr && options.*field.number != stored)
                    clamped->push_back({&field, stored, options.*field.number});
                break;
            }
            case OptionType::Switch: options.*field.flag = profile.GetValue(snapshot) != 0; break;
        }
    }
    return snapshot;
}

std::string ClampedSettingsText(const std::vector<ClampedSetting>& clamped, const std::string& separator) {
    std::string text;
    for (const ClampedSetting& c : clamped) {
        if (!text.empty()) text += separator;
        text += std::string(c.field->name) + "=" + std::to_string(c.stored) + " (" + OptionValuesText(*c.field) +
                "): " + std::to_string(c.used);
    }
    return text;
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
