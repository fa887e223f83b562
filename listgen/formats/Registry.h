// The one registry of image formats. Every question of the form "is this
// file an image, and of what kind?" is answered here: the writer's probe of
// each file, the checks of what a page or a copy may replace, and the
// summary of files that only look like images.
#pragma once

#include <optional>
#include <span>

#include "listgen/formats/ImageFormat.h"

namespace htmlimglist {

// Every format, in the order files are probed: JPEG, then GIF, then the
// others, videos last.
std::span<const ImageFormat* const> ImageFormats();

const ImageFormat& FormatOf(ImageKind kind);

// A recognised file: its format and what its header says.
struct ProbedImage {
    const ImageFormat* format = nullptr;
    ImageHeader header;

    ImageKind Kind() const { return format->Kind(); }
};

// The first format, of those the options list, that recognises the bytes.
std::optional<ProbedImage> ProbeImage(ProbeSource& source, const ProbeOptions& options);
// The same for the regular file at path (nothing for anything else).
std::optional<ProbedImage> ProbeImageFile(const std::string& path, const ProbeOptions& options);

// For bytes that ProbeImage does not recognise: why, when they begin like a
// file of a format the options list.
std::optional<NotListedReason> SniffLookalike(ProbeSource& source, const ProbeOptions& options);

// Decodes through the format of kind: the report starts afresh.
bool DecodeReducedImage(ImageKind kind, const DecodeInput& input, const ReduceTarget& target,
                        const DecodeControl& control, Bitmap& out, DecodeReport& report);

}  // namespace htmlimglist
