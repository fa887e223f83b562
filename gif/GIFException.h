// The GIF library's error: a fixed English text naming what was wrong with
// the data. Callers that show it to users add the file's name themselves.
#pragma once

#include <stdexcept>
#include <string>

namespace htmlimglist {

class GIFException : public std::runtime_error {
public:
    explicit GIFException(const std::string& message) : std::runtime_error(message) {}
};

// Raises GIFException with message. Every fatal fault goes through here.
[[noreturn]] void GIFError(const std::string& message);

// The library's message texts.
namespace gifmsg {
inline constexpr const char* kPrematureEnd = "Premature end of data";
inline constexpr const char* kBadSignature = "Invalid GIF signature";
inline constexpr const char* kScreenColors = "Invalid number of colors specified in Screen Descriptor";
inline constexpr const char* kImageColors = "Invalid number of colors specified in Image Descriptor";
inline constexpr const char* kUnknownExtension = "Unknown extension type";
inline constexpr const char* kBadIntroducer = "Invalid extension introducer";
inline constexpr const char* kLabelMismatch =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* kAppBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* kBadData = "Invalid GIF data";
inline constexpr const char* kCircularEntry = "Circular decoder table entry";
inline constexpr const char* kUnknownBlock = "Unknown GIF block type";
inline constexpr const char* kExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* kBadTrailer = "Invalid Image trailer";
inline constexpr const char* kUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* kBadColorIndex = "Invalid color index";
inline constexpr const char* kEmptyColorTable = "Color table is empty";
inline constexpr const char* kNoColorTable = "No global or local color table defined";
inline constexpr const char* kBadDimensions = "Invalid image dimensions";
inline constexpr const char* kLoading = "Loading...";
inline constexpr const char* kRendering = "Rendering...";
}  // namespace gifmsg

}  // namespace htmlimglist
