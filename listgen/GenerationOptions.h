// The creation conditions every run reads: page name, sizes and column counts
// of the two kinds of list, and the switches that add lines to each cell or
// change how a run proceeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace htmlimglist {

// Longest page name the record holds (it stood in a 260-byte buffer with its
// terminating zero).
inline constexpr std::size_t kMaxListNameBytes = 259;

struct GenerationOptions {
    std::string HTMLListName = "index.html";
    int32_t MaxPixel = 200;
    int32_t MaxColumn = 6;
    bool MakeSmallImage = false;
    bool NextPrevIndex = false;
    bool DisplayImageSize = true;
    bool DisplayFileSize = false;
    bool ZoomImage = false;
    bool ContinueMaked = false;
    bool ImageSurelyCreate = false;
    bool ImageInfo = false;
    bool MakeSmallImageAndOrgImageList = true;
    int32_t SubImageColmn = 2;
    int32_t SubImageMaxSize = 640;
    bool DisplayDateTime = false;
    bool DisplayTime = false;
    // Conditions added after the first sixteen; see OptionField::added.
    bool AutoRotate = true;     // photos upright by their EXIF orientation
    bool SmoothReduce = false;  // reduced copies by area average, not nearest pixel
    bool MoreImageTypes = false;  // PNG, WebP, HEIC and AVIF too, and JPEGs with declared trailing data
    int32_t PageStyle = 0;        // 0 the table page, 1 the gallery page
    int32_t SortOrder = 0;        // 0 by name, 1 by the date a photo was taken, 2 by file time
    bool ListVideos = false;      // MP4, MOV and WebM videos, shown by poster copies

    bool operator==(const GenerationOptions&) const = default;
};

enum class OptionType { Text, Number, Switch };

// One row per field, in the order the settings file reads and writes them.
// Loading, storing, the command line's --set and the settings dialog all walk
// this table, so a field is declared exactly once.
struct OptionField {
    const char* name;
    OptionType type;
    const char* defaultText;
    std::string GenerationOptions::*text = nullptr;
    int32_t GenerationOptions::*number = nullptr;
    bool GenerationOptions::*flag = nullptr;
    // True for conditions added after the first sixteen. Their entries are
    // written to the settings file only when they differ from the default
    // or already stand there, so that a file written with every added
    // condition at its default stays as it was.
    bool added = false;
    // The values a number takes, both ends included: --set refuses others,
    // the settings file and the dialog clamp to them. 0 and 1 for a switch.
    int32_t minimum = 0;
    int32_t maximum = 0;
    // What the condition does, in a line of English (markdown: `code`), as
    // --help and the man page say it and the README's table must.
    const char* meaning = "";
};

std::span<const OptionField> OptionFields();

// The row whose name matches (ASCII case-insensitively), or null.
const OptionField* FindOptionField(std::string_view name);

// The field's current value in the text form the settings file uses:
// the name itself, a decimal number, or "0"/"1".
std::string OptionValueText(const GenerationOptions& options, const OptionField& field);

// Sets a field from text given on a command line. Numbers must be decimal
// integers within the field's range; switches take 0/1 (any decimal integer,
// non-zero is on) or true/false, yes/no, on/off; the name may not exceed the
// record's buffer. Returns false with a message (naming the range for a
// number out of it) and leaves the record unchanged when the text is refused.
bool SetOptionFromText(GenerationOptions& options, const OptionField& field,
                       std::string_view text, std::string& error);

// value moved into field's range (a number field's minimum..maximum).
int32_t ClampToRange(const OptionField& field, int32_t value);

// The values a field takes, as --help and the man page show them:
// "1..65535" for a number, "0/1" for a switch, "name" for the list name.
std::string OptionValuesText(const OptionField& field);

// Why name cannot be a page's file name (HTMLListName), or null when it can:
// it must name a file in the folder itself, so it is not empty, not "." or
// "..", and holds no "/" and no zero byte.
const char* ListNameProblem(std::string_view name);

// Parses a whole decimal int32 ("-12", "+7"; no blanks, no trailing text).
bool ParseDecimalInt32(std::string_view text, int32_t& value);

}  // namespace htmlimglist
