// GIF: recognised by ChGetImgSize's header probe, decoded by the GIF library
// in gif/. A copy is made from the first frame as drawing shows it on a
// white picture: stretched by the library's own drawing for the nearest
// pixel, or averaged straight from the frame's colour indices.
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <span>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFMemoryStream.h"
#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/ChGetImgSize.h"
#include "listgen/formats/FormatEntries.h"
#include "listgen/reduce/AreaAverage.h"

namespace htmlimglist {
namespace {

constexpr unsigned char kGifEnd[2] = {0x00, 0x3B};

// The logical screen's size from the first ten bytes; false when they are
// not there.
bool ReadScreenSize(const DecodeInput& input, int64_t& width, int64_t& height) {
    unsigned char head[10];
    std::size_t got = 0;
    if (input.bytes.empty()) {
        FileProbeSource file;
        if (file.Open(input.path)) got = file.ReadAt(0, head, sizeof head);
    } else {
        got = MemoryProbeSource(input.bytes).ReadAt(0, head, sizeof head);
    }
    if (got != sizeof head) return false;
    width = LittleEndian16(head + 6);
    height = LittleEndian16(head + 8);
    return true;
}

// Thrown through the GIF library when the cancel flag is seen.
struct DecodeCancelled {};

// The first frame of gif drawn at the logical screen's size onto white (at
// its offset, transparent pixels white, as TGIFImage::Draw with the default
// draw options puts it there), area-averaged to width x height. The picture
// is worked out row by row from the frame's colour indices; nothing of the
// screen's size is made. Needs 1 <= width <= the screen's width and
// 1 <= height <= its height; false otherwise, or when cancelled. Raises
// GIFException where drawing would (no colour table at all).
bool AverageFirstFrame(TGIFImage& gif, int width, int height, Bitmap& out, const DecodeControl& control) {
    const int screenWidth = gif.GetWidth(), screenHeight = gif.GetHeight();
    AreaAverager averager;
    if (!averager.Start(screenWidth, screenHeight, width, height)) return false;
    // One screen row, white wherever the frame does not paint.
    std::vector<uint8_t> row(3 * std::size_t(screenWidth), 255);

    int top = 0, bottom = 0, left = 0, right = 0;  // the frame's rows and columns on the screen
    std::array<TGIFColor, 256> colours{};          // indices past the palette are black
    int hole = -1;
    if (!gif.GetEmpty()) {
        // Drawing several frames asks the image for its palette first, which
        // fails when there is no colour table anywhere.
        if (gif.FrameCount() > 1 && (gif.DrawOptions & goAnimate)) gif.GetPalette();
        TGIFSubImage& first = gif.Images().SubImage(0);
        if (!first.GetEmpty()) {
            TGIFPaletteRef palette = first.GetPalette();
            for (std::size_t i = 0; palette && i < palette->size() && i < colours.size(); ++i)
                colours[i] = (*palette)[i];
            if ((gif.DrawOptions & goTransparent) && first.Transparent()) hole = first.TransparentIndex();
            top = std::min(first.Top(), screenHeight);
            bottom = std::min(first.Top() + first.Height(), screenHeight);
            left = std::min(first.Left(), screenWidth);
            right = std::min(first.Left() + first.Width(), screenWidth);
        }
    }
    if (left >= right) top = bottom = 0;

    averager.AddRow(row.data(), top);
    if (top < bottom) {
        TGIFSubImage& first = gif.Images().SubImage(0);
        std::vector<uint8_t> indices(std::size_t(first.Width()));
        for (int y = top; y < bottom; ++y) {
            if ((y - top) % kRowsPerCancelCheck == 0 && control.Cancelled()) return false;
            first.CopyRow(y - top, indices.data());
            uint8_t* p = row.data() + 3 * std::size_t(left);
            for (int x = left; x < right; ++x, p += 3) {
                const int index = indices[std::size_t(x - left)];
                if (index == hole) {
                    p[0] = p[1] = p[2] = 255;
                } else {
                    p[0] = colours[std::size_t(index)].Red;
                    p[1] = colours[std::size_t(index)].Green;
                    p[2] = colours[std::size_t(index)].Blue;
                }
            }
            averager.AddRow(row.data());
        }
        std::memset(row.data() + 3 * std::size_t(left), 255, 3 * std::size_t(right - left));
    }
    averager.AddRow(row.data(), screenHeight - bottom);
    if (!averager.Done()) return false;
    out = std::move(averager.Result());
    return true;
}


bool ProbeGif(ProbeSource& source, const ProbeOptions&, ImageHeader& header) {
    ChGetImgSize probe;
    if (!probe.GetGifSize(source, header.width, header.height)) return false;
    header.typeText = probe.GifVersion;
    header.animated = probe.AnimationId[0] != '\0';
    return true;
}

// A file with a GIF signature that does not end with the trailer is cut
// short or followed by more bytes.
std::optional<NotListedReason> SniffGif(ProbeSource& source) {
    unsigned char head[6], tail[2];
    if (source.ReadAt(0, head, 6) != 6 || (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0))
        return std::nullopt;
    const bool ended = source.ReadAt(source.Size() - 2, tail, 2) == 2 && std::memcmp(tail, kGifEnd, 2) == 0;
    return ended ? NotListedReason::NoSize : NotListedReason::NoEndMarker;
}

bool DecodeGif(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control, Bitmap& out,
               DecodeReport& report) {
    const int32_t width = target.width, height = target.height;
    if (width <= 0 || height <= 0) {
        report.error = "no pixels to make";
        return false;
    }
    // The library refuses screens and frames over kMaxImagePixels itself;
    // a lower limit is applied to the screen here. What the first frame's
    // colour indices take is about the screen's size, one byte a pixel.
    int64_t screenWidth = 0, screenHeight = 0;
    BudgetLease lease;
    if (ReadScreenSize(input, screenWidth, screenHeight)) {
        report.sourceWidth = int(screenWidth);
        report.sourceHeight = int(screenHeight);
        if (screenWidth * screenHeight > control.PixelLimit(kMaxImagePixels) &&
            !control.WithinPixelLimit(screenWidth, screenHeight, kMaxImagePixels, report))
            return false;
        if (!control.Reserve(screenWidth * screenHeight, lease, report)) return false;
    }
    try {
        TGIFImage gif;
        // The library reports progress while it reads and draws; a set
        // cancel flag ends the work there.
        gif.OnProgress = [&control](const TPersistent*, TProgressStage, int, bool, const std::string&) {
            if (control.Cancelled()) throw DecodeCancelled();
        };
        // Only the first frame is kept: the later ones are walked over
        // and dropped, so memory does not grow with their number, and
        // their sizes do not matter.
        if (input.bytes.empty()) {
            gif.LoadFromFile(input.path, TGIFFrameLoad::flFirstFrame);
        } else {
            TGIFMemoryStream stream(std::span(reinterpret_cast<const uint8_t*>(input.bytes.data()), input.bytes.size()));
            gif.LoadFromStream(stream, TGIFFrameLoad::flFirstFrame);
        }
        report.sourceWidth = gif.GetWidth();
        report.sourceHeight = gif.GetHeight();
        if (target.smooth && width <= gif.GetWidth() && height <= gif.GetHeight()) {
            if (AverageFirstFrame(gif, width, height, out, control)) return true;
            report.aborted = control.Cancelled();
            report.error = report.aborted ? "aborted" : "cannot average";
            return false;
        }
        // The picture starts white, so transparent or uncovered parts of
        // the first frame come out white whatever was made before.
        out = Bitmap(width, height, kWhite);
        gif.Draw(out, Rect{0, 0, width, height});
        return true;
    } catch (const DecodeCancelled&) {
        report.aborted = true;
        report.error = "aborted";
    } catch (const std::exception& e) {
        // A source the GIF library rejects, or memory running out.
        report.error = e.what();
    }
    return false;
}

}  // namespace

const ImageFormat& GifFormat() {
    static const FunctionEntry entry({ImageKind::Gif, FormatGroup::Always, ProbeGif, SniffGif, DecodeGif});
    return entry;
}

}  // namespace htmlimglist
