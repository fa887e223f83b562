// The registry's entries, one per format; each is defined beside its
// format's probe and decoder, mostly as a row of that format's functions.
#pragma once

#include "listgen/formats/ImageFormat.h"

namespace htmlimglist {

const ImageFormat& JpegFormat();
const ImageFormat& GifFormat();
const ImageFormat& PngFormat();
const ImageFormat& WebpFormat();
const ImageFormat& HeicFormat();
const ImageFormat& AvifFormat();
const ImageFormat& VideoFormat();

// An entry made of its format's functions.
struct FormatFunctions {
    ImageKind kind;
    FormatGroup group;
    bool (*probe)(ProbeSource& source, const ProbeOptions& options, ImageHeader& header);
    std::optional<NotListedReason> (*sniff)(ProbeSource& source);
    bool (*decode)(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
                   DecodeReport& report);
    std::optional<NotListedReason> withoutCopies = std::nullopt;
};

class FunctionEntry final : public ImageFormat {
public:
    explicit constexpr FunctionEntry(const FormatFunctions& functions) : f_(functions) {}

    ImageKind Kind() const override { return f_.kind; }
    FormatGroup Group() const override { return f_.group; }
    bool Probe(ProbeSource& source, const ProbeOptions& options, ImageHeader& header) const override {
        return f_.probe(source, options, header);
    }
    std::optional<NotListedReason> Sniff(ProbeSource& source) const override { return f_.sniff(source); }
    std::optional<NotListedReason> WithoutCopies() const override { return f_.withoutCopies; }
    bool DecodeReduced(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control,
                       Bitmap& out, DecodeReport& report) const override {
        return f_.decode(input, target, control, out, report);
    }

private:
    FormatFunctions f_;
};

}  // namespace htmlimglist
