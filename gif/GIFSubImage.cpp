#include "gif/GIFSubImage.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "gif/GIFException.h"
#include "gif/GIFGraphicControlExtension.h"
#include "gif/GIFHeader.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamReading.h"

namespace htmlimglist {

using namespace gifread;

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t product = int64_t{a} * b;
    bool negative = (product < 0) != (c < 0);
    uint64_t magnitude = product < 0 ? static_cast<uint64_t>(-product) : static_cast<uint64_t>(product);
    uint64_t divisor = c < 0 ? static_cast<uint64_t>(-int64_t{c}) : static_cast<uint64_t>(c);
    uint64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > static_cast<uint64_t>(INT32_MAX)) return -1;
    return negative ? -static_cast<int>(quotient) : static_cast<int>(quotient);
}

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), colorMap_(*this), extensions_(image) {
    instances_.fetch_add(1, std::memory_order_relaxed);
}

TGIFSubImage::~TGIFSubImage() {
    extensions_.Clear();
    instances_.fetch_sub(1, std::memory_order_relaxed);
}

int TGIFSubImage::GetBounds(int index) const {
    switch (index) {
        case 1: return descriptor_.Left;
        case 2: return descriptor_.Top;
        case 3: return descriptor_.Width;
        case 4: return descriptor_.Height;
        default: return 0;
    }
}

void TGIFSubImage::SetBounds(int index, int value) {
    auto v = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
    switch (index) {
        case 1: descriptor_.Left = v; break;
        case 2: descriptor_.Top = v; break;
        case 3:
        case 4:
            if ((index == 3 ? descriptor_.Width : descriptor_.Height) == v) return;
            (index == 3 ? descriptor_.Width : descriptor_.Height) = v;
            DropPixels();
            hasPixels_ = false;
            FreeBitmap();
            FreeMask();
            break;
        default: break;
    }
}

bool TGIFSubImage::GetEmpty() const { return !hasPixels_ || Width() == 0 || Height() == 0; }

const TGIFColorMap& TGIFSubImage::GetActiveColorMap() const {
    if (colorMap_.Count() > 0) return colorMap_;
    if (Image() != nullptr && Image()->Header().ColorMap().Count() > 0) return Image()->Header().ColorMap();
    return colorMap_;
}

uint8_t TGIFSubImage::TransparentIndex() const {
    return graphicControl_ != nullptr ? graphicControl_->GetTransparentColorIndex() : 0;
}

void TGIFSubImage::Clear() {
    extensions_.Clear();
    colorMap_.Clear();
    DropPixels();
    hasPixels_ = false;
    fill_ = 0;
    descriptor_.Width = 0;
    descriptor_.Height = 0;
    transparent_ = false;
    graphicControl_ = nullptr;
    FreeBitmap();
    FreeMask();
    localPalette_.reset();
}

void TGIFSubImage::LoadFromStream(TGIFStream& stream) { LoadFromStream(stream, TGIFDataLoad::dlDecode); }

void TGIFSubImage::LoadFromStream(TGIFStream& stream, TGIFDataLoad load) {
    Clear();
    extensions_.LoadFromStream(stream, this);

    // Extensions that follow the last image (a closing comment, say) make a
    // frame of their own with no pixels.
    uint8_t next = 0;
    if (!ReadByte(stream, next)) return;
    StepBack(stream);
    if (next == 0x3B || next == 0x00) return;

    // Whatever byte ended the extensions stands as the separator.
    ReadExact(stream, &descriptor_, sizeof descriptor_);
    if (descriptor_.Width == 0 || descriptor_.Height == 0) {
        descriptor_.Height = static_cast<uint16_t>(Image() != nullptr ? Image()->GetHeight() : 0);
        descriptor_.Width = static_cast<uint16_t>(Image() != nullptr ? Image()->GetWidth() : 0);
        Warning(TGIFSeverity::gsWarning, gifmsg::kExceedsScreen);
    }
    // The limit guards the pixel memory of a frame that will be read; a
    // skipped frame never is, so any size it declares is harmless.
    if (load != TGIFDataLoad::dlSkip && int64_t{descriptor_.Width} * descriptor_.Height > kMaxImagePixels)
        GIFError(gifmsg::kBadDimensions);
    if (descriptor_.PackedFields & 0x80) {
        int count = 2 << (descriptor_.PackedFields & 7);
        if (count < 2 || count > 256) GIFError(gifmsg::kImageColors);
        colorMap_.LoadFromStream(stream, count);
    }
    if (load == TGIFDataLoad::dlSkip) {
        StepOverData(stream);
        return;
    }
    std::shared_ptr<TGIFStream> source;
    if (load == TGIFDataLoad::dlDefer && Image() != nullptr) source = Image()->DataSource();
    if (source)
        DeferData(stream, std::move(source));
    else
        Decompress(stream);
    if (GIFImageRenderOnLoad) GetBitmap();
}

namespace {
// Data sub-blocks stepped over between two progress reports.
constexpr uint32_t kSkipsPerReport = 4096;
}  // namespace

bool TGIFSubImage::StepOverData(TGIFStream& stream) {
    uint8_t minCodeSize = 0;
    if (!ReadByte(stream, minCodeSize)) return false;
    TGIFImage* image = Image();
    uint8_t size = 0;
    for (uint32_t blocks = 1; ReadByte(stream, size) && size != 0; ++blocks) {
        Skip(stream, size);
        if (blocks % kSkipsPerReport == 0 && image != nullptr)
            image->Progress(TProgressStage::psRunning,
                            stream.Size() > 0 ? static_cast<int>(stream.Position() * 100 / stream.Size()) : 0,
                            false, gifmsg::kLoading);
    }
    return true;
}

void TGIFSubImage::DeferData(TGIFStream& stream, std::shared_ptr<TGIFStream> source) {
    // As Decompress begins: the frame's size of pixels, all of the fill.
    NewImage();
    fill_ = transparent_ ? TransparentIndex() : 0;
    int64_t start = stream.Position();
    if (!StepOverData(stream)) return;  // no data: the frame keeps the fill
    source_ = std::move(source);
    dataOffset_ = start;
    state_ = TPixelState::Deferred;
}

void TGIFSubImage::LoadPixels() {
    if (state_ == TPixelState::Failed) GIFError(decodeError_);
    if (state_ != TPixelState::Deferred) return;
    TGIFImage* image = Image();
    std::shared_ptr<TGIFStream> source = source_;  // Decompress drops the frame's hold
    int64_t before = source->Position();
    // Back to the deferred state, for an exception that is not the data's fault.
    auto defer = [&] {
        DropPixels();
        source_ = source;
        state_ = TPixelState::Deferred;
    };
    if (image != nullptr) image->Progress(TProgressStage::psStarting, 0, false, gifmsg::kLoading);
    try {
        source->Seek(dataOffset_, TSeekOrigin::Beginning);
        Decompress(*source);
    } catch (const GIFException& e) {
        source->Seek(before, TSeekOrigin::Beginning);
        DropPixels();
        decodeError_ = e.what();
        state_ = TPixelState::Failed;
        if (image != nullptr) image->Progress(TProgressStage::psEnding, 0, false, gifmsg::kLoading);
        throw;
    } catch (...) {
        source->Seek(before, TSeekOrigin::Beginning);
        defer();
        if (image != nullptr) image->Progress(TProgressStage::psEnding, 0, false, gifmsg::kLoading);
        throw;
    }
    // The stream may be the one a load is still reading (a handler that
    // asks for a later frame while the image loads).
    source->Seek(before, TSeekOrigin::Beginning);
    if (image != nullptr) image->Progress(TProgressStage::psEnding, 100, false, gifmsg::kLoading);
}

void TGIFSubImage::DropPixels() {
    data_.clear();
    data_.shrink_to_fit();
    state_ = TPixelState::Decoded;
    source_.reset();
    decodeError_.clear();
}

void TGIFSubImage::NewImage() {
    DropPixels();
    fill_ = 0;
    hasPixels_ = Width() > 0 && Height() > 0;
    FreeBitmap();
    FreeMask();
}

int64_t TGIFSubImage::GetDataSize() const {
    return hasPixels_ ? int64_t{Width()} * Height() : 0;
}

uint8_t TGIFSubImage::PixelIndex(int x, int y) const {
    NeedPixels();
    std::size_t at = static_cast<std::size_t>(y) * Width() + static_cast<std::size_t>(x);
    return at < data_.size() ? data_[at] : fill_;
}

void TGIFSubImage::CopyRow(int y, uint8_t* out) const {
    NeedPixels();
    std::size_t width = static_cast<std::size_t>(Width());
    std::size_t start = static_cast<std::size_t>(y) * width;
    std::size_t held = start < data_.size() ? std::min(width, data_.size() - start) : 0;
    if (held > 0) std::memcpy(out, data_.data() + start, held);
    std::memset(out + held, fill_, width - held);
}

// --- Rendering ---

const Bitmap* TGIFSubImage::GetBitmap() {
    if (bitmap_) return bitmap_.get();
    if (GetEmpty()) return nullptr;
    LoadPixels();
    TGIFImage* image = Image();
    if (image != nullptr) image->Progress(TProgressStage::psStarting, 0, false, gifmsg::kRendering);
    try {
        bitmap_ = (image != nullptr && image->GetDoDither()) ? DoGetDitherBitmap() : DoGetBitmap();
    } catch (...) {
        if (image != nullptr) image->Progress(TProgressStage::psEnding, 0, false, gifmsg::kRendering);
        throw;
    }
    if (image != nullptr) image->Progress(TProgressStage::psEnding, 100, false, gifmsg::kRendering);
    return bitmap_.get();
}

std::unique_ptr<Bitmap> TGIFSubImage::DoGetBitmap() { return BuildBitmap(false); }

std::unique_ptr<Bitmap> TGIFSubImage::DoGetDitherBitmap() { return BuildBitmap(true); }

namespace {

// The 216-colour web palette level of a channel value (0-255): 0..5.
inline int WebLevel(int value) { return (value + 3) / 51; }

// Floyd-Steinberg error diffusion of one row onto the web palette, scanning
// left to right on even rows and right to left on odd rows. errThis holds the
// error owed to this row, errNext collects the error for the row below; both
// are indexed x + 1 (one guard cell each side), three channels per cell.
void DitherRow(int y, int width, const uint8_t* indices, const TGIFColor* colours,
               const bool* hole, std::vector<int>& errThis, std::vector<int>& errNext,
               uint8_t* out) {
    std::fill(errNext.begin(), errNext.end(), 0);
    bool leftToRight = (y % 2) == 0;
    int step = leftToRight ? 1 : -1;
    for (int i = 0; i < width; ++i) {
        int x = leftToRight ? i : width - 1 - i;
        const TGIFColor& c = colours[indices[x]];
        int channels[3] = {c.Red, c.Green, c.Blue};
        uint8_t* px = out + 3 * static_cast<std::size_t>(x);
        if (hole[indices[x]]) {
            // A hole takes and passes on no error; its colour is covered by
            // the mask whenever the frame is drawn with transparency.
            for (int k = 0; k < 3; ++k) px[k] = static_cast<uint8_t>(WebLevel(channels[k]) * 51);
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            int value = std::clamp(channels[k] + errThis[3 * (x + 1) + k], 0, 255);
            int quantised = WebLevel(value) * 51;
            px[k] = static_cast<uint8_t>(quantised);
            int e = value - quantised;
            errThis[3 * (x + 1 + step) + k] += (e * 7 + 8) / 16;
            errNext[3 * (x + 1 - step) + k] += (e * 3 + 8) / 16;
            errNext[3 * (x + 1) + k] += (e * 5 + 8) / 16;
            errNext[3 * (x + 1 + step) + k] += (e * 1 + 8) / 16;
        }
    }
    std::swap(errThis, errNext);
}

}  // namespace

std::unique_ptr<Bitmap> TGIFSubImage::BuildBitmap(bool dither) {
    if (GetEmpty()) {
        GetPalette();
        return std::make_unique<Bitmap>(Width(), Height());
    }
    int width = Width(), height = Height();
    if (width <= 0 || height <= 0) GIFError(gifmsg::kBadDimensions);

    // The colour of every index: the palette for a plain bitmap (indices past
    // it are black, as in a device-independent bitmap's zeroed colour table);
    // the active table for a dithered one, looked up when an index is first met.
    std::array<TGIFColor, 256> colours{};
    std::array<bool, 256> known{};
    const TGIFColorMap* active = nullptr;
    if (dither) {
        localPalette_ = TGIFImage::WebPalette();
        active = &GetActiveColorMap();
    } else {
        TGIFPaletteRef palette = GetPalette();
        for (std::size_t i = 0; palette && i < palette->size() && i < colours.size(); ++i)
            colours[i] = (*palette)[i];
        known.fill(true);
    }

    bool wantMask = needMask_ && transparent_;
    needMask_ = false;
    uint8_t transparentIndex = TransparentIndex();
    std::unique_ptr<MonoBitmap> newMask;
    if (wantMask && !mask_) newMask = std::make_unique<MonoBitmap>(width, height);
    std::array<bool, 256> hole{};
    if (dither && transparent_) hole[transparentIndex] = true;

    auto bitmap = std::make_unique<Bitmap>(width, height);
    std::vector<uint8_t> indices(static_cast<std::size_t>(width));
    std::vector<int> errThis, errNext;
    if (dither) {
        errThis.assign(3 * (static_cast<std::size_t>(width) + 2), 0);
        errNext.assign(errThis.size(), 0);
    }
    TGIFImage* image = Image();
    for (int y = 0; y < height; ++y) {
        if (y % 32 == 0 && image != nullptr)
            image->Progress(TProgressStage::psRunning, static_cast<int>(int64_t{y} * 100 / height), false,
                            gifmsg::kRendering);
        CopyRow(y, indices.data());
        uint8_t* out = bitmap->Row(y);
        if (dither) {
            for (int x = 0; x < width; ++x) {
                uint8_t index = indices[static_cast<std::size_t>(x)];
                if (!known[index]) {
                    colours[index] = active->GetColor(index);
                    known[index] = true;
                }
            }
            DitherRow(y, width, indices.data(), colours.data(), hole.data(), errThis, errNext, out);
        } else {
            for (int x = 0; x < width; ++x, out += 3) {
                const TGIFColor& c = colours[indices[static_cast<std::size_t>(x)]];
                out[0] = c.Red;
                out[1] = c.Green;
                out[2] = c.Blue;
            }
        }
        if (newMask) {
            for (int x = 0; x < width; ++x)
                if (indices[static_cast<std::size_t>(x)] == transparentIndex) newMask->Set(x, y);
        }
    }
    if (newMask && newMask->Any()) mask_ = std::move(newMask);
    return bitmap;
}

bool TGIFSubImage::HasMask() {
    if (needMask_ && transparent_) {
        FreeBitmap();
        GetBitmap();
    }
    return mask_ != nullptr;
}

TGIFPaletteRef TGIFSubImage::GetPalette() {
    if (localPalette_) return localPalette_;
    TGIFImage* image = Image();
    if (image != nullptr && image->GetDoDither()) return localPalette_ = TGIFImage::WebPalette();
    if (colorMap_.Count() == 0) return image != nullptr ? image->GetPalette() : nullptr;
    return localPalette_ = colorMap_.ExportPalette();
}

void TGIFSubImage::FreeBitmap() { bitmap_.reset(); }

void TGIFSubImage::FreeMask() {
    mask_.reset();
    needMask_ = true;
}

Rect TGIFSubImage::ScaleRect(const Rect& rect) const {
    int screenWidth = Image() != nullptr ? Image()->GetWidth() : 0;
    int screenHeight = Image() != nullptr ? Image()->GetHeight() : 0;
    return Rect{rect.left + MulDiv(Left(), rect.Width(), screenWidth),
                rect.top + MulDiv(Top(), rect.Height(), screenHeight),
                rect.left + MulDiv(Left() + Width(), rect.Width(), screenWidth),
                rect.top + MulDiv(Top() + Height(), rect.Height(), screenHeight)};
}

void TGIFSubImage::Draw(Bitmap& canvas, const Rect& rect, bool transparent, bool tile) {
    StretchDraw(canvas, tile ? rect : ScaleRect(rect), transparent, tile);
}

void TGIFSubImage::StretchDraw(Bitmap& canvas, const Rect& rect, bool transparent, bool tile) {
    TGIFImage* image = Image();
    if (!GetEmpty()) LoadPixels();
    if (!tile && !GetEmpty() && !(image != nullptr && image->GetDoDither())) {
        // Straight from the indices: the same pixels as stretching the frame
        // bitmap through its mask, without making a bitmap of the frame's
        // size (which may be far larger than the target). A pixel of the
        // transparent index is exactly a set mask bit; without such pixels
        // there is no mask and nothing is left showing either way.
        TGIFPaletteRef palette = GetPalette();
        std::array<TGIFColor, 256> colours{};
        for (std::size_t i = 0; palette && i < palette->size() && i < colours.size(); ++i) colours[i] = (*palette)[i];
        bool holes = transparent && transparent_;
        int hole = holes ? TransparentIndex() : -1;
        canvas.StretchFrom(rect, Width(), Height(), [&](int sx, int sy, uint8_t* out) {
            uint8_t index = PixelIndex(sx, sy);
            if (index == hole) return;
            const TGIFColor& c = colours[index];
            out[0] = c.Red;
            out[1] = c.Green;
            out[2] = c.Blue;
        });
        return;
    }
    bool masked = transparent && transparent_ && HasMask();
    const Bitmap* bitmap = GetBitmap();
    if (bitmap == nullptr) return;
    const MonoBitmap* mask = masked ? mask_.get() : nullptr;
    if (tile)
        DrawTiles(canvas, rect, mask);
    else if (mask != nullptr)
        canvas.StretchDrawMasked(rect, *bitmap, *mask);
    else
        canvas.StretchDraw(rect, *bitmap);
}

void TGIFSubImage::DrawTiles(Bitmap& canvas, const Rect& rect, const MonoBitmap* mask) {
    // Tiles of the logical screen's size from the rectangle's top-left
    // corner, the frame at its own offset and natural size in each. A screen
    // of zero width or height has no tiles (it would never cover anything).
    int64_t tileWidth = Image() != nullptr ? Image()->GetWidth() : 0;
    int64_t tileHeight = Image() != nullptr ? Image()->GetHeight() : 0;
    if (tileWidth <= 0 || tileHeight <= 0) return;
    auto firstVisible = [](int64_t origin, int64_t size, int64_t step) {
        // The first tile whose frame ends right of (below) 0.
        int64_t need = -(origin + size);
        return need < 0 ? int64_t{0} : need / step + 1;
    };
    int64_t x0 = int64_t{rect.left} + Left(), y0 = int64_t{rect.top} + Top();
    for (int64_t j = firstVisible(y0, Height(), tileHeight);; ++j) {
        int64_t top = y0 + j * tileHeight;
        if (top >= rect.bottom || top >= canvas.Height()) break;
        for (int64_t i = firstVisible(x0, Width(), tileWidth);; ++i) {
            int64_t left = x0 + i * tileWidth;
            if (left >= rect.right || left >= canvas.Width()) break;
            Rect place{static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + Width()),
                       static_cast<int>(top + Height())};
            if (mask != nullptr)
                canvas.StretchDrawMasked(place, *bitmap_, *mask);
            else
                canvas.StretchDraw(place, *bitmap_);
        }
    }
}

}  // namespace htmlimglist
