#include "listgen/GenerationOptions.h"

#include <array>
#include <charconv>

#include "platform/Text.h"

namespace htmlimglist {
namespace {

using G = GenerationOptions;

// Longest side of an image, and cells per row, that a page can sensibly hold.
constexpr int32_t kMaxPixelLimit = 65535;
constexpr int32_t kMaxColumnLimit = 1000;

OptionField Text(const char* name, const char* def, std::string G::*m, const char* meaning) {
    return {name, OptionType::Text, def, m, nullptr, nullptr, false, 0, 0, meaning};
}
OptionField Number(const char* name, const char* def, int32_t G::*m, int32_t maximum, const char* meaning) {
    return {name, OptionType::Number, def, nullptr, m, nullptr, false, 1, maximum, meaning};
}
OptionField Switch(const char* name, const char* def, bool G::*m, const char* meaning) {
    return {name, OptionType::Switch, def, nullptr, nullptr, m, false, 0, 1, meaning};
}
OptionField AddedSwitch(const char* name, const char* def, bool G::*m, const char* meaning) {
    return {name, OptionType::Switch, def, nullptr, nullptr, m, true, 0, 1, meaning};
}
OptionField AddedChoice(const char* name, const char* def, int32_t G::*m, int32_t maximum, const char* meaning) {
    return {name, OptionType::Number, def, nullptr, m, nullptr, true, 0, maximum, meaning};
}

const std::array<OptionField, 22> kFields = {
    Text("HTMLListName", "index.html", &G::HTMLListName,
         "file name of every page (not empty, `.` or `..`, no `/`)"),
    Number("MaxPixel", "200", &G::MaxPixel, kMaxPixelLimit, "longest side of each image in the main list"),
    Number("MaxColumn", "6", &G::MaxColumn, kMaxColumnLimit, "cells per row in the main list"),
    Switch("MakeSmallImage", "0", &G::MakeSmallImage,
           "write reduced copies and a list of them into the parent folder"),
    Switch("NextPrevIndex", "0", &G::NextPrevIndex, "Prev/Next links between five-digit numbered folders"),
    Switch("DisplayImageSize", "1", &G::DisplayImageSize, "show width x height"),
    Switch("DisplayFileSize", "0", &G::DisplayFileSize, "show the file size in bytes"),
    Switch("ZoomImage", "0", &G::ZoomImage, "enlarge images smaller than the limit too"),
    Switch("ContinueMaked", "0", &G::ContinueMaked, "run over a series of numbered folders"),
    Switch("ImageSurelyCreate", "0", &G::ImageSurelyCreate, "rewrite reduced copies that already exist"),
    Switch("ImageInfo", "0", &G::ImageInfo, "show the type text and an \"Animation\" line for looping GIFs"),
    Switch("MakeSmallImageAndOrgImageList", "1", &G::MakeSmallImageAndOrgImageList,
           "with reduced copies, also a list of the full-size images"),
    Number("SubImageColmn", "2", &G::SubImageColmn, kMaxColumnLimit, "cells per row in the list of full-size images"),
    Number("SubImageMaxSize", "640", &G::SubImageMaxSize, kMaxPixelLimit,
           "longest side in the list of full-size images"),
    Switch("DisplayDateTime", "0", &G::DisplayDateTime, "show the file date"),
    Switch("DisplayTime", "0", &G::DisplayTime, "with the date, show the time too"),
    AddedSwitch("AutoRotate", "1", &G::AutoRotate,
                "show photos upright by their EXIF orientation: upright sizes on the page, upright reduced copies"),
    AddedSwitch("SmoothReduce", "0", &G::SmoothReduce,
                "make reduced copies by area average (smoother, no moiré) instead of the nearest pixel"),
    AddedSwitch("MoreImageTypes", "0", &G::MoreImageTypes,
                "list PNG, WebP, HEIC and AVIF images too (recognised by their bytes; HEIC only with reduced "
                "copies, since browsers cannot show it), and JPEGs whose trailing data their own metadata declares "
                "(motion photos) or that is only padding"),
    AddedChoice("PageStyle", "0", &G::PageStyle, 1,
                "0 the table page; 1 a gallery page for phones and large folders (HTML5, UTF-8, with a viewer)"),
    AddedChoice("SortOrder", "0", &G::SortOrder, 2,
                "0 by name; 1 by the date a photo was taken (its EXIF date, else its file time); 2 by file time"),
    AddedSwitch("ListVideos", "0", &G::ListVideos,
                "list MP4, MOV and WebM videos too (recognised by their bytes), each shown by a reduced copy of one "
                "frame; only with `MakeSmallImage`"),
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

int32_t ClampToRange(const OptionField& field, int32_t value) {
    return value < field.minimum ? field.minimum : value > field.maximum ? field.maximum : value;
}

std::string OptionValuesText(const OptionField& field) {
    switch (field.type) {
        case OptionType::Text: return "name";
        case OptionType::Number: return std::to_string(field.minimum) + ".." + std::to_string(field.maximum);
        case OptionType::Switch: return "0/1";
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
            if (v != ClampToRange(field, v)) {
                error = std::string(field.name) + " must be from " + std::to_string(field.minimum) + " to " +
                        std::to_string(field.maximum) + ", not " + std::to_string(v);
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
