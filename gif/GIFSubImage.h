// One frame of a GIF image: image descriptor, extensions, local colour table
// and the pixels as colour indices (GIF89a sections 20-22), plus the bitmap
// the frame is drawn from. The pixels may wait in the stream until they are
// first read.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"
#include "gif/GIFList.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

class TGIFGraphicControlExtension;

// a * b / c in 64 bits, rounded to the nearest whole number (halves away from
// zero); -1 when c is 0 or the result does not fit 32 bits.
int MulDiv(int a, int b, int c);

// What reading a frame does with its image data.
enum class TGIFDataLoad {
    dlDecode,  // decode the pixels now
    dlDefer,   // step over the data sub-blocks, keeping where they lie
    dlSkip,    // step over the data sub-blocks, keeping nothing: for a frame
               // that is freed unread, so its size is held against no limit
};

class TGIFSubImage final : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    // Frames alive in the process, in every image and outside any: what a
    // load holds per frame shows here.
    static int64_t Instances() { return instances_.load(std::memory_order_relaxed); }

    // --- Structure ---
    const TImageDescriptor& ImageDescriptor() const { return descriptor_; }
    int Left() const { return descriptor_.Left; }
    int Top() const { return descriptor_.Top; }
    int Width() const { return descriptor_.Width; }
    int Height() const { return descriptor_.Height; }
    // Bounds by index: 1 left, 2 top, 3 width, 4 height. Changing width or
    // height drops the pixels, the bitmap and the mask.
    int GetBounds(int index) const;
    void SetBounds(int index, int value);
    bool GetInterlaced() const { return descriptor_.PackedFields & 0x40; }
    // No pixels, or a zero width or height.
    bool GetEmpty() const;

    TGIFLocalColorMap& ColorMap() { return colorMap_; }
    const TGIFLocalColorMap& ColorMap() const { return colorMap_; }
    // The local table if it has entries, else the global table if that has
    // entries, else the (empty) local table.
    const TGIFColorMap& GetActiveColorMap() const;
    TGIFExtensionList& Extensions() { return extensions_; }
    const TGIFExtensionList& Extensions() const { return extensions_; }
    // The frame's first graphic control extension, or none.
    TGIFGraphicControlExtension* GraphicControlExtension() const { return graphicControl_; }
    void SetGraphicControlExtension(TGIFGraphicControlExtension* extension) { graphicControl_ = extension; }
    // Set when a graphic control extension with the transparent bit was read.
    bool Transparent() const { return transparent_; }
    void SetTransparentFlag(bool transparent) { transparent_ = transparent; }
    // The transparent index of the graphic control link (0 without one).
    uint8_t TransparentIndex() const;

    // Empties the frame: extensions, local table, pixels, size, transparency,
    // graphic control link, bitmap and mask.
    void Clear();
    // Reads the extensions, the descriptor, the local table and the pixels.
    // When the stream holds only extensions before the trailer (or its end),
    // the frame keeps them and has no pixels.
    void LoadFromStream(TGIFStream& stream) override;
    // The same, with the image data decoded now, deferred or skipped. A
    // deferred frame steps over its data sub-blocks (their structure only:
    // the LZW codes are not looked at) and keeps where the data starts, in
    // the stream its image hands out (TGIFImage::DataSource); the first read
    // of its pixels decodes it. A frame without an image decodes now. A
    // skipped frame steps over its data the same way and has no pixels.
    void LoadFromStream(TGIFStream& stream, TGIFDataLoad load);
    // Decodes the LZW image data that follows the descriptor (GIF89a section
    // 22 and appendix F) into the pixel indices.
    void Decompress(TGIFStream& stream);

    // --- Pixels ---
    // Decodes deferred image data; nothing when the pixels are there. Every
    // read of the pixels below (and drawing) calls it. Damaged data raises
    // its GIFException here, and again on every later call without decoding
    // again; the frame then holds no pixel memory. Any other exception (a
    // progress handler's) leaves the data deferred, to be decoded next time.
    void LoadPixels();
    // True while the image data waits to be decoded.
    bool GetDeferred() const { return state_ == TPixelState::Deferred; }
    // Replaces the pixels by width x height indices of 0 (none for a zero
    // size).
    void NewImage();
    // width x height when the frame has pixels (decoded or not), else 0.
    int64_t GetDataSize() const;
    // Bytes of pixel memory really held; 0 while the data is deferred (this
    // does not decode it). Decoding grows it as pixels arrive, so damaged
    // data cannot make a tiny file claim a huge buffer; every pixel beyond
    // it has the fill index.
    int64_t GetAllocatedSize() const { return static_cast<int64_t>(data_.size()); }
    uint8_t FillIndex() const { return fill_; }
    uint8_t PixelIndex(int x, int y) const;
    // The width indices of row y.
    void CopyRow(int y, uint8_t* out) const;

    // --- Rendering ---
    // The frame bitmap (frame size, the frame's colours; the mask is made in
    // the same pass), made on first use; none for an empty frame.
    const Bitmap* GetBitmap();
    // The frame's own colours through GetPalette; indices past the palette
    // are black.
    std::unique_ptr<Bitmap> DoGetBitmap();
    // The colours of the active table reduced to the 216-colour web palette
    // by error diffusion.
    std::unique_ptr<Bitmap> DoGetDitherBitmap();
    // Makes the mask if it is still owed; true when one exists, that is when
    // at least one pixel has the transparent index.
    bool HasMask();
    const MonoBitmap* Mask() const { return mask_.get(); }
    TGIFPaletteRef GetPalette();
    void FreeBitmap();
    void FreeMask();

    // The frame's place within the logical screen, scaled into rect.
    Rect ScaleRect(const Rect& rect) const;
    // Draws at the frame's scaled place in rect (or tiled).
    void Draw(Bitmap& canvas, const Rect& rect, bool transparent, bool tile);
    // Draws the frame bitmap stretched onto rect, or tiled; with transparent,
    // pixels of the transparent index leave the canvas showing.
    void StretchDraw(Bitmap& canvas, const Rect& rect, bool transparent, bool tile);

private:
    enum class TPixelState : uint8_t {
        Decoded,   // data_ holds the pixels decoded so far (or there are none)
        Deferred,  // the data waits at dataOffset_ in source_
        Failed,    // decoding raised decodeError_
    };

    // LoadPixels for the const readers. A deferred frame was read by a
    // load, so the object itself is never const.
    void NeedPixels() const {
        if (state_ != TPixelState::Decoded) const_cast<TGIFSubImage*>(this)->LoadPixels();
    }
    // Steps over the image data, reporting progress now and then, and keeps
    // where it starts; source holds the same bytes as stream.
    void DeferData(TGIFStream& stream, std::shared_ptr<TGIFStream> source);
    // Steps over the minimum code size and the data sub-blocks up to the
    // terminator (or the end of the stream), reporting progress every few
    // thousand sub-blocks. False when the stream ends before the minimum
    // code size.
    bool StepOverData(TGIFStream& stream);
    // Drops the pixels and any deferred data or decoding error.
    void DropPixels();
    std::unique_ptr<Bitmap> BuildBitmap(bool dither);
    void DrawTiles(Bitmap& canvas, const Rect& rect, const MonoBitmap* mask);

    static inline std::atomic<int64_t> instances_{0};

    TImageDescriptor descriptor_{0x2C, 0, 0, 0, 0, 0};
    TGIFLocalColorMap colorMap_;
    TGIFGraphicControlExtension* graphicControl_ = nullptr;
    bool transparent_ = false;

    bool hasPixels_ = false;
    uint8_t fill_ = 0;
    std::vector<uint8_t> data_;  // the first pixels in row order; the rest are fill_
    TPixelState state_ = TPixelState::Decoded;
    std::shared_ptr<TGIFStream> source_;  // while deferred: the stream holding the data
    int64_t dataOffset_ = 0;              // where the data (its minimum code size byte) starts in source_
    std::string decodeError_;             // once failed

    std::unique_ptr<Bitmap> bitmap_;
    std::unique_ptr<MonoBitmap> mask_;
    bool needMask_ = true;
    TGIFPaletteRef localPalette_;

    TGIFExtensionList extensions_;  // last: its extensions refer to the fields above
};

}  // namespace htmlimglist
