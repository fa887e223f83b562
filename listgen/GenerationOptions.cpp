#include "listgen/GenerationOptions.h"

#include <array>
#include <charconv>

#include "platform/Text.h"

namespace htmlimglist {
namespace {

using G = GenerationOptions;

OptionField Text(const char* name, const char* def, std::string G::*m) {
    return {name, OptionType::Text, def, m, nullptr, nullptr};
}
OptionField Number(const char* name, const char* def, int32_t G::*m) {
    return {name, OptionType::Number, def, nullptr, m, nullptr};
}
OptionField Switch(const char* name, const char* def, bool G::*m) {
    return {name, OptionType::Switch, def, nullptr, nullptr, m};
}
OptionField AddedSwitch(const char* name, const char* def, bool G::*m) {
    return {name, OptionType::Switch, def, nullptr, nullptr, m, true};
}

const std::array<OptionField, 19> kFields = {
    Text("HTMLListName", "index.html", &G::HTMLListName),
    Number("MaxPixel", "200", &G::MaxPixel),
    Number("MaxColumn", "6", &G::MaxColumn),
    Switch("MakeSmallImage", "0", &G::MakeSmallImage),
    Switch("NextPrevIndex", "0", &G::NextPrevIndex),
    Switch("DisplayImageSize", "1", &G::DisplayImageSize),
    Switch("DisplayFileSize", "0", &G::DisplayFileSize),
    Switch("ZoomImage", "0", &G::ZoomImage),
    Switch("ContinueMaked", "0", &G::ContinueMaked),
    Switch("ImageSurelyCreate", "0", &G::ImageSurelyCreate),
    Switch("ImageInfo", "0", &G::ImageInfo),
    Switch("MakeSmallImageAndOrgImageList", "1", &G::MakeSmallImageAndOrgImageList),
    Number("SubImageColmn", "2", &G::SubImageColmn),
    Number("SubImageMaxSize", "640", &G::SubImageMaxSize),
    Switch("DisplayDateTime", "0", &G::DisplayDateTime),
    Switch("DisplayTime", "0", &G::DisplayTime),
    AddedSwitch("AutoRotate", "1", &G::AutoRotate),
    AddedSwitch("SmoothReduce", "0", &G::SmoothReduce),
    AddedSwitch("MoreImageTypes", "0", &G::MoreImageTypes),
};

}  // namespace

std::span<const OptionField> OptionFields() { return kFields; }

const OptionField* FindOptionField(std::string_view name) {
    for (const OptionField& f : kFields) {
        if (EqualsIgnoreAsciiCase(f.name, name)) return &f;
    }
    return nullptr;
}

std::string OptionValueText(const GenerationOptions& options, const OptionField& field) {
    switch (field.type) {
        case OptionType::Text: return options.*field.text;
        case OptionType::Number: return std::to_string(options.*field.number);
        case OptionType::Switch: return options.*field.flag ? "1" : "0";
    }
    return {};
}

const char* ListNameProblem(std::string_view name) {
    if (name.empty()) return "it is empty";
    if (name == "." || name == "..") return "it names a folder";
    if (name.find('/') != std::string_view::npos) return "it holds a \"/\"";
    if (name.find('\0') != std::string_view::npos) return "it holds a zero byte";
    return nullptr;
}

bool ParseDecimalInt32(std::string_view text, int32_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    int32_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = v;
    return true;
}

bool SetOptionFromText(GenerationOptions& options, const OptionField& field,
                       std::string_view text, std::string& error) {
    switch (field.type) {
        case OptionType::Text:
            if (text.size() > kMaxListNameBytes) {
                error = std::string(field.name) + " is longer than " +
                        std::to_string(kMaxListNameBytes) + " bytes";
                return false;
            }
            if (const char* problem = ListNameProblem(text)) {
                error = std::string(field.name) + " cannot name a page: " + problem;
                return false;
            }
            options.*field.text = std::string(text);
            return true;
        case OptionType::Number: {
            int32_t v;
            if (!ParseDecimalInt32(text, v)) {
                error = std::string(field.name) + " needs a decimal integer, not '" +
                        std::string(text) + "'";
                return false;
            }
            options.*field.number = v;
            return true;
        }
        case OptionType::Switch: {
            int32_t v;
            if (ParseDecimalInt32(text, v)) {
                options.*field.flag = v != 0;
                return true;
            }
            for (const char* on : {"true", "yes", "on"}) {
                if (EqualsIgnoreAsciiCase(text, on)) {
                    options.*field.flag = true;
                    return true;
                }
            }
            for (const char* off : {"false", "no", "off"}) {
                if (EqualsIgnoreAsciiCase(text, off)) {
                    options.*field.flag = false;
                    return true;
                }
            }
            error = std::string(field.name) + " is a switch: give 0 or 1, not '" +
                    std::string(text) + "'";
            return false;
        }
    }
    return false;
}

}  // namespace htmlimglist
