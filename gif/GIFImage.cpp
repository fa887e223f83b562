#include "gif/GIFImage.h"

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

void TGIFImage::LoadFromStream(TGIFStream& stream) {
    Progress(TProgressStage::psStarting, 0, false, gifmsg::kLoading);
    Clear();
    int64_t start = stream.Position();
    try {
        header_.LoadFromStream(stream);
        images_.LoadFromStream(stream, this);
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

void TGIFImage::LoadFromFile(const std::string& path) {
    TGIFFileStream stream(path);
    LoadFromStream(stream);
}

// --- Drawing ---

void TGIFImage::Draw(Bitmap& canvas, const Rect& rect) {
    if (isDrawing_ || GetEmpty()) return;
    FlagGuard drawing(isDrawing_);
    bool transparent = DrawOptions & goTransparent;
    bool tile = DrawOptions & goTile;
    if (images_.Count() == 1 || !(DrawOptions & goAnimate)) {
        images_.SubImage(0).Draw(canvas, rect, transparent, tile);
        return;
    }
    if (bitmap_ && !(DrawOptions & goDirectDraw)) {
        DrawComposed(canvas, rect);
        return;
    }
    StopDraw();
    if (DrawOptions & goDirectDraw) {
        PaintFirstFrame(canvas, rect, DrawOptions);
        return;
    }
    // The composed bitmap starts as a picture of what lies under the image,
    // so that the first frame's transparent places show the target.
    Bitmap& composed = *NewBitmap();
    Rect screen{0, 0, GetWidth(), GetHeight()};
    composed.StretchCopy(screen, canvas, rect);
    PaintFirstFrame(composed, screen, DrawOptions);
    DrawComposed(canvas, rect);
}

void TGIFImage::PaintFirstFrame(Bitmap& canvas, const Rect& rect, TGIFDrawOptions options) {
    if (GetEmpty() || rect.IsEmpty()) return;
    // Later frames are never shown, so only the first one is painted, here
    // and now. The painter's background colour is still taken (it warns
    // about a background index outside the table) although clearing to it
    // before the first frame never shows: the frame covers its whole area.
    BackgroundColor();
    try {
        images_.SubImage(0).Draw(canvas, rect, options & goTransparent, options & goTile);
    } catch (const GIFException&) {
        // A failing paint ends the animation; the picture stays as it is.
    }
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
    if (!bitmap_) {
        GetPalette();  // an image with no colours at all fails here
        bitmap_ = std::make_unique<Bitmap>(GetWidth(), GetHeight());
    }
    return bitmap_.get();
}

void TGIFImage::FreeBitmap() { bitmap_.reset(); }

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
