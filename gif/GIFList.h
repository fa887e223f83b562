// An ordered list of owned stream items, and its two kinds: the frames of an
// image and the extensions of one frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gif/GIFItem.h"

namespace htmlimglist {

class TGIFSubImage;
class TGIFExtension;

class TGIFList : public TPersistent {
public:
    explicit TGIFList(TGIFImage* image) : image_(image) {}
    ~TGIFList() override { Clear(); }
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    TGIFImage* Image() const { return image_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TGIFItem& Item(int index) const { return *items_.at(static_cast<std::size_t>(index)); }

    void Add(std::unique_ptr<TGIFItem> item) { items_.push_back(std::move(item)); }
    // Takes the item out of the list and frees it.
    void Delete(int index);
    // Deletes every item, front first, in time linear in the count.
    virtual void Clear();

    virtual void Warning(TGIFSeverity severity, const std::string& message) const;
    virtual void LoadFromStream(TGIFStream& stream, TPersistent* parent) = 0;

private:
    TGIFImage* image_;
    std::vector<std::unique_ptr<TGIFItem>> items_;
};

// The frames of an image, in stream order.
class TGIFImageList final : public TGIFList {
public:
    using TGIFList::TGIFList;
    TGIFSubImage& SubImage(int index) const;
    // Reads frames up to the trailer, a byte that starts no block, or the end
    // of the stream. parent is the image. The first frame's pixels are
    // decoded now, the others' on first use (TGIFSubImage::LoadPixels).
    void LoadFromStream(TGIFStream& stream, TPersistent* parent) override;
    // The same; with flFirstFrame only the first frame is kept. Every later
    // one is read as a kept frame would be (the same checks, warnings,
    // errors and progress reports, but for the limit on its size: its pixels
    // are never wanted), then freed and counted in Dropped().
    void LoadFromStream(TGIFStream& stream, TPersistent* parent, TGIFFrameLoad frames);
    // The frames read and freed since the list was last cleared.
    int64_t Dropped() const { return dropped_; }
    void Clear() override;

private:
    int64_t dropped_ = 0;
};

// The extensions of one frame, in stream order.
class TGIFExtensionList final : public TGIFList {
public:
    using TGIFList::TGIFList;
    TGIFExtension& Extension(int index) const;
    // Reads the extensions that precede an image descriptor. parent is the
    // frame.
    void LoadFromStream(TGIFStream& stream, TPersistent* parent) override;
};

}  // namespace htmlimglist
