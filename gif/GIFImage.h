// A GIF image: header, frames, and the state for drawing it onto a Bitmap.
//
// The usual road:
//     TGIFImage image;
//     image.LoadFromFile(path);              // raises GIFException
//     Bitmap target(w, h);                   // white
//     image.Draw(target, Rect{0, 0, w, h});  // first frame, stretched
#pragma once

#include <memory>
#include <string>

#include "gif/GIFHeader.h"
#include "gif/GIFList.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFTypes.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

class TGIFImage : public TPersistent {
public:
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader& Header() { return header_; }
    const TGIFHeader& Header() const { return header_; }
    TGIFImageList& Images() { return images_; }
    const TGIFImageList& Images() const { return images_; }

    // Optional; warnings are silent without it.
    TGIFWarning OnWarning;
    // Optional progress reports ("Loading...", "Rendering...").
    TGIFProgress OnProgress;

    TGIFDrawOptions DrawOptions;
    int AnimationSpeed;
    // clNone: the background comes from the global colour table.
    TColor DrawBackgroundColor = clNone;

    // --- Reading ---
    // Replaces the content with the GIF read from the stream's position.
    // Raises GIFException on a fatal fault; the stream is then back where it
    // was and the frames read before the fault stay. Any other exception (a
    // progress or warning handler's) passes through the same way. The first
    // frame's pixels are decoded now; later frames keep where their image
    // data lies, in a stream of their own over the same bytes
    // (TGIFStream::Reopen), and decode on first use. With flFirstFrame only
    // the first frame is kept (see TGIFImageList::LoadFromStream): what
    // drawing it needs, for loads that never show another; FrameCount()
    // still counts every frame.
    void LoadFromStream(TGIFStream& stream, TGIFFrameLoad frames = TGIFFrameLoad::flAllFrames);
    // Opens path for reading and loads it; GIFException also when it cannot
    // be opened. Later frames decode from the same open file, which stays
    // open until they are all decoded or freed (with flFirstFrame it is
    // closed when the load ends).
    void LoadFromFile(const std::string& path, TGIFFrameLoad frames = TGIFFrameLoad::flAllFrames);
    // The stream that a frame deferred by the load in progress decodes from
    // later, shared by all of them: the file of LoadFromFile, otherwise the
    // loaded stream reopened, on the first call of a load. Library internal.
    std::shared_ptr<TGIFStream> DataSource();
    // No frames, no global table, zero logical screen, no composed bitmap.
    void Clear();

    // The logical screen's size.
    int GetWidth() const { return header_.Width(); }
    int GetHeight() const { return header_.Height(); }
    // True when the image has no frames.
    bool GetEmpty() const { return images_.Count() == 0; }
    // The frames the stream held: those in Images() and those a load that
    // kept the first frame alone walked and freed. Drawing takes the road of
    // an animation when there are several.
    int64_t FrameCount() const { return images_.Count() + images_.Dropped(); }

    void Warning(const TPersistent* sender, TGIFSeverity severity, const std::string& message) const;
    void Progress(TProgressStage stage, int percent, bool redrawNow, const std::string& message) const;

    // --- Drawing ---
    // Draws the first frame into rect of canvas. One frame: straight onto
    // the canvas at its scaled place, transparent pixels leaving the canvas
    // showing. Several frames: composed over a copy of rect (stretched to
    // the logical screen's size) and that picture stretched back onto rect.
    // Raises "No global or local color table defined" when frame 0 has no
    // colours to draw with.
    void Draw(Bitmap& canvas, const Rect& rect);
    // The composed bitmap, made on demand from frame 0; none when empty.
    const Bitmap* GetBitmap();
    // The composed bitmap, or a new white one of the logical screen's size.
    Bitmap* NewBitmap();
    void FreeBitmap();
    // Ends drawing in progress and drops the composed bitmap.
    void StopDraw();
    void PaintStop();

    TGIFPaletteRef GetPalette();
    // Whether frame bitmaps are reduced to the web palette.
    bool GetDoDither() const;
    // 216 entries, r * 36 + g * 6 + b holding r * 51, g * 51, b * 51.
    static TGIFPaletteRef WebPalette();
    // The colour a painter clears to: DrawBackgroundColor, white without a
    // global table, else the global table's background entry.
    Rgb BackgroundColor() const;

private:
    // LoadFromStream; shared, when given, is the stream itself and serves
    // as the data source of later frames.
    void Load(TGIFStream& stream, std::shared_ptr<TGIFStream> shared, TGIFFrameLoad frames);
    // Paints frame 0 onto canvas at rect as the animation painter paints its
    // first frame; an error in the paint ends the painting, not the draw.
    enum class PaintReason { NewPainter, Remake };
    void PaintFirstFrame(Bitmap& canvas, const Rect& rect, TGIFDrawOptions options, PaintReason reason);
    void DrawComposed(Bitmap& canvas, const Rect& rect);
    // The composed road without making the composed bitmap: each target
    // pixel is worked out from frame 0 and what lay under it.
    void ComposeOnto(Bitmap& canvas, const Rect& rect);

    // What lay under the image at its first draw, while the composed bitmap
    // has not been made from it.
    struct Backdrop {
        Bitmap pixels;   // the target's pixels within rect and on the target
        Rect source;     // rect, relative to pixels
        TGIFDrawOptions options = 0;
    };

    TGIFHeader header_;
    TGIFImageList images_;
    std::unique_ptr<Bitmap> bitmap_;
    std::unique_ptr<Backdrop> backdrop_;
    TGIFPaletteRef globalPalette_;
    // While a load runs: the stream it reads and the data source handed out.
    TGIFStream* loadingStream_ = nullptr;
    std::shared_ptr<TGIFStream> dataSource_;
    bool isDrawing_ = false;
    bool isInsideGetPalette_ = false;
};

}  // namespace htmlimglist
