#include "gif/GIFImage.h"

#include <algorithm>
#include <array>

#include "gif/GIFException.h"
#include "gif/GIFFileStream.h"
#include "gif/GIFTrailer.h"

namespace htmlimglist {

namespace {
// Sets a flag for the lifetime of the guard.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

Rgb ToRgb(TGIFColor c) { return Rgb{c.Red, c.Green, c.Blue}; }
}  // namespace

TGIFImage::TGIFImage()
    : DrawOptions(GIFImageDefaultDrawOptions),
      AnimationSpeed(GIFImageDefaultAnimationSpeed),
      header_(this),
      images_(this) {}

TGIFImage::~TGIFImage() {
    PaintStop();
    images_.Clear();
}

void TGIFImage::Warning(const TPersistent* sender, TGIFSeverity severity, const std::string& message) const {
    if (OnWarning) OnWarning(sender, severity, message);
}

void TGIFImage::Progress(TProgressStage stage, int percent, bool redrawNow, const std::string& message) const {
    if (OnProgress) OnProgress(this, stage, percent, redrawNow, message);
}

void TGIFImage::Clear() {
    PaintStop();
    images_.Clear();
    header_.Clear();
    header_.RecomputePackedFields();
    globalPalette_.reset();
}

void TGIFImage::LoadFromStream(TGIFStream& stream, TGIFFrameLoad frames) { Load(stream, nullptr, frames); }

void TGIFImage::LoadFromFile(const std::string& path, TGIFFrameLoad frames) {
    auto stream = std::make_shared<TGIFFileStream>(path);
    Load(*stream, stream, frames);
}

void TGIFImage::Load(TGIFStream& stream, std::shared_ptr<TGIFStream> shared, TGIFFrameLoad frames) {
    Progress(TProgressStage::psStarting, 0, false, gifmsg::kLoading);
    Clear();
    int64_t start = stream.Position();
    // The frames hold the data source from here on; the image lets it go
    // when the load ends, however it ends.
    struct LoadingState {
        TGIFImage& image;
        LoadingState(TGIFImage& i, TGIFStream& stream, std::shared_ptr<TGIFStream> shared) : image(i) {
            image.loadingStream_ = &stream;
            image.dataSource_ = std::move(shared);
        }
        ~LoadingState() {
            image.loadingStream_ = nullptr;
            image.dataSource_.reset();
        }
        LoadingState(const LoadingState&) = delete;
        LoadingState& operator=(const LoadingState&) = delete;
    };
    try {
        LoadingState loading(*this, stream, std::move(shared));
        header_.LoadFromStream(stream);
        images_.LoadFromStream(stream, this, frames);
        TGIFTrailer trailer(this);
        trailer.LoadFromStream(stream);
    } catch (...) {
        // The frames read so far stay; the stream goes back to where it was.
        stream.Seek(start, TSeekOrigin::Beginning);
        Progress(TProgressStage::psEnding, 0, false, gifmsg::kLoading);
        throw;
    }
    Progress(TProgressStage::psEnding, 100, false, gifmsg::kLoading);
}

std::shared_ptr<TGIFStream> TGIFImage::DataSource() {
    if (!dataSource_ && loadingStream_ != nullptr) dataSource_ = loadingStream_->Reopen();
    return dataSource_;
}

// --- Drawing ---

void TGIFImage::Draw(Bitmap& canvas, const Rect& rect) {
    if (isDrawing_ || GetEmpty()) return;
    FlagGuard drawing(isDrawing_);
    bool transparent = DrawOptions & goTransparent;
    bool tile = DrawOptions & goTile;
    if (FrameCount() == 1 || !(DrawOptions & goAnimate)) {
        images_.SubImage(0).Draw(canvas, rect, transparent, tile);
        return;
    }
    if ((bitmap_ || backdrop_) && !(DrawOptions & goDirectDraw)) {
        DrawComposed(canvas, rect);
        return;
    }
    StopDraw();
    if (DrawOptions & goDirectDraw) {
        PaintFirstFrame(canvas, rect, DrawOptions, PaintReason::NewPainter);
        return;
    }
    if (!(DrawOptions & goTile) && !GetDoDither()) {
        ComposeOnto(canvas, rect);
        return;
    }
    // The composed bitmap starts as a picture of what lies under the image,
    // so that the first frame's transparent places show the target.
    Bitmap& composed = *NewBitmap();
    Rect screen{0, 0, GetWidth(), GetHeight()};
    composed.StretchCopy(screen, canvas, rect);
    PaintFirstFrame(composed, screen, DrawOptions, PaintReason::NewPainter);
    DrawComposed(canvas, rect);
}

void TGIFImage::PaintFirstFrame(Bitmap& canvas, const Rect& rect, TGIFDrawOptions options, PaintReason reason) {
    if (GetEmpty() || rect.IsEmpty()) return;
    // Later frames are never shown, so only the first one is painted, here
    // and now. A new painter still takes its background colour (which
    // warns about a background index outside the table) although clearing
    // to it before the first frame never shows: the frame covers its area.
    if (reason == PaintReason::NewPainter) BackgroundColor();
    try {
        images_.SubImage(0).Draw(canvas, rect, options & goTransparent, options & goTile);
    } catch (const GIFException&) {
        // A failing paint ends the animation; the picture stays as it is.
    }
}

void TGIFImage::ComposeOnto(Bitmap& canvas, const Rect& rect) {
    GetPalette();  // as when making the composed bitmap: no colours at all fail here
    const int width = GetWidth(), height = GetHeight();

    // What lies under the image, kept so that the composed bitmap can still
    // be made later (a second draw shows it, and GetBitmap answers it).
    auto backdrop = std::make_unique<Backdrop>();
    Rect onCanvas{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, canvas.Width()),
                  std::min(rect.bottom, canvas.Height())};
    if (!onCanvas.IsEmpty()) {
        backdrop->pixels = Bitmap(onCanvas.Width(), onCanvas.Height());
        backdrop->pixels.StretchCopy(Rect{0, 0, onCanvas.Width(), onCanvas.Height()}, canvas, onCanvas);
    }
    backdrop->source = Rect{rect.left - onCanvas.left, rect.top - onCanvas.top, rect.right - onCanvas.left,
                            rect.bottom - onCanvas.top};
    backdrop->options = DrawOptions;
    backdrop_ = std::move(backdrop);
    if (width <= 0 || height <= 0) return;
    BackgroundColor();  // taken by a new painter, see PaintFirstFrame
    if (rect.IsEmpty()) return;

    // The painter's first frame, as PaintFirstFrame would put it on the
    // composed bitmap: at its place, natural size, holes where transparent.
    TGIFSubImage& first = images_.SubImage(0);
    Rect place = first.ScaleRect(Rect{0, 0, width, height});
    std::array<TGIFColor, 256> colours{};
    bool frameShows = !first.GetEmpty() && !place.IsEmpty();
    if (frameShows) {
        try {
            TGIFPaletteRef palette = first.GetPalette();
            for (std::size_t i = 0; palette && i < palette->size() && i < colours.size(); ++i)
                colours[i] = (*palette)[i];
        } catch (const GIFException&) {
            frameShows = false;  // a failing paint ends the animation
        }
    }
    int hole = (DrawOptions & goTransparent) && first.Transparent() ? first.TransparentIndex() : -1;
    const Backdrop& under = *backdrop_;

    // Every target pixel samples the composed bitmap that is never made:
    // the same pixels as composing at the logical screen's size and
    // stretching the result onto rect, at the cost of the target's size.
    canvas.StretchFrom(rect, width, height, [&](int cx, int cy, uint8_t* out) {
        if (frameShows && cx >= place.left && cx < place.right && cy >= place.top && cy < place.bottom) {
            int fx = StretchSourceIndex(cx - place.left, place.Width(), first.Width());
            int fy = StretchSourceIndex(cy - place.top, place.Height(), first.Height());
            uint8_t index = first.PixelIndex(fx, fy);
            if (index != hole) {
                const TGIFColor& c = colours[index];
                out[0] = c.Red;
                out[1] = c.Green;
                out[2] = c.Blue;
                return;
            }
        }
        int sx = under.source.left + StretchSourceIndex(cx, width, under.source.Width());
        int sy = under.source.top + StretchSourceIndex(cy, height, under.source.Height());
        if (sx >= 0 && sx < under.pixels.Width() && sy >= 0 && sy < under.pixels.Height()) {
            const uint8_t* in = under.pixels.Row(sy) + 3 * static_cast<std::size_t>(sx);
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        } else {
            out[0] = out[1] = out[2] = 255;
        }
    });
}

void TGIFImage::DrawComposed(Bitmap& canvas, const Rect& rect) {
    const Bitmap* composed = GetBitmap();
    if (composed == nullptr) return;
    if (!(DrawOptions & goTile)) {
        canvas.StretchDraw(rect, *composed);
        return;
    }
    int64_t width = GetWidth(), height = GetHeight();
    if (width <= 0 || height <= 0) return;  // no tile would ever cover anything
    for (int64_t y = rect.top; y < rect.bottom && y < canvas.Height(); y += height) {
        if (y + height <= 0) continue;
        for (int64_t x = rect.left; x < rect.right && x < canvas.Width(); x += width) {
            if (x + width <= 0) continue;
            canvas.StretchDraw(Rect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + width),
                                    static_cast<int>(y + height)},
                               *composed);
        }
    }
}

const Bitmap* TGIFImage::GetBitmap() {
    if (GetEmpty()) return nullptr;
    if (bitmap_) return bitmap_.get();
    if (backdrop_) {
        // Made now from what lay under the image when it was drawn.
        std::unique_ptr<Backdrop> under = std::move(backdrop_);
        Rect screen{0, 0, GetWidth(), GetHeight()};
        bitmap_ = std::make_unique<Bitmap>(GetWidth(), GetHeight());
        bitmap_->StretchCopy(screen, under->pixels, under->source);
        PaintFirstFrame(*bitmap_, screen, under->options, PaintReason::Remake);
        return bitmap_.get();
    }
    TGIFSubImage& first = images_.SubImage(0);
    if (first.Width() == GetWidth() && first.Height() == GetHeight()) {
        const Bitmap* frameBitmap = first.GetBitmap();
        bitmap_ = frameBitmap != nullptr ? std::make_unique<Bitmap>(*frameBitmap)
                                         : std::make_unique<Bitmap>(GetWidth(), GetHeight());
    } else {
        GetPalette();
        bitmap_ = std::make_unique<Bitmap>(GetWidth(), GetHeight());
        first.Draw(*bitmap_, Rect{0, 0, GetWidth(), GetHeight()}, false, false);
    }
    return bitmap_.get();
}

Bitmap* TGIFImage::NewBitmap() {
    if (!bitmap_ && backdrop_) GetBitmap();
    if (!bitmap_) {
        GetPalette();  // an image with no colours at all fails here
        bitmap_ = std::make_unique<Bitmap>(GetWidth(), GetHeight());
    }
    return bitmap_.get();
}

void TGIFImage::FreeBitmap() {
    bitmap_.reset();
    backdrop_.reset();
}

void TGIFImage::StopDraw() { FreeBitmap(); }

void TGIFImage::PaintStop() { FreeBitmap(); }

TGIFPaletteRef TGIFImage::GetPalette() {
    // Frame 0 without a local table asks the image again: then there is no
    // table anywhere.
    if (isInsideGetPalette_) GIFError(gifmsg::kNoColorTable);
    FlagGuard inside(isInsideGetPalette_);
    if (globalPalette_) return globalPalette_;
    if (GetDoDither()) return globalPalette_ = WebPalette();
    if (header_.ColorMap().Count() > 0) return globalPalette_ = header_.ColorMap().ExportPalette();
    if (!GetEmpty()) return images_.SubImage(0).GetPalette();
    return nullptr;
}

bool TGIFImage::GetDoDither() const {
    if (!(DrawOptions & goDither)) return false;
    if (DrawOptions & goAutoDither) return DoAutoDither;
    return true;
}

TGIFPaletteRef TGIFImage::WebPalette() {
    static const TGIFPaletteRef palette = [] {
        auto entries = std::make_shared<TGIFPalette>();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    entries->push_back(TGIFColor{static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                                 static_cast<uint8_t>(b * 51)});
        return TGIFPaletteRef(entries);
    }();
    return palette;
}

Rgb TGIFImage::BackgroundColor() const {
    if (DrawBackgroundColor != clNone)
        return Rgb{static_cast<uint8_t>(DrawBackgroundColor & 0xFF), static_cast<uint8_t>((DrawBackgroundColor >> 8) & 0xFF),
                   static_cast<uint8_t>((DrawBackgroundColor >> 16) & 0xFF)};
    if (header_.ColorMap().Count() == 0) return kWhite;  // the window colour
    return ToRgb(header_.ColorMap().GetColor(header_.BackgroundColorIndex()));
}

}  // namespace htmlimglist
