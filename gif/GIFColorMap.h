// A colour table (GIF89a sections 19 and 21), and its two kinds: the global
// table of the header and the local table of a frame.
#pragma once

#include <string>
#include <vector>

#include "gif/GIFStream.h"
#include "gif/GIFTypes.h"

namespace htmlimglist {

class TGIFHeader;
class TGIFSubImage;

class TGIFColorMap : public TPersistent {
public:
    TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    const TGIFColor* Colors() const { return colors_.data(); }
    int Count() const { return static_cast<int>(colors_.size()); }
    int Capacity() const { return static_cast<int>(colors_.capacity()); }
    bool Optimized() const { return optimized_; }

    void Clear();
    void Add(TGIFColor colour) { colors_.push_back(colour); }
    // Replaces the table by count entries of 3 bytes (red, green, blue).
    void LoadFromStream(TGIFStream& stream, int count);
    // The colour at index. An index outside the table warns "Invalid color
    // index" and gives entry 0; an empty table raises "Color table is empty".
    TGIFColor GetColor(int index) const;
    // The smallest b >= 1 with 2^b >= Count; 0 for an empty table.
    int GetBitsPerPixel() const;
    // One palette entry per colour; none for an empty table.
    TGIFPaletteRef ExportPalette() const;

    virtual void Warning(TGIFSeverity severity, const std::string& message) const = 0;

private:
    std::vector<TGIFColor> colors_;
    bool optimized_ = false;
};

class TGIFGlobalColorMap final : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader& header) : header_(&header) {}
    // Sent to the header's image with this table as sender.
    void Warning(TGIFSeverity severity, const std::string& message) const override;

private:
    TGIFHeader* header_;
};

class TGIFLocalColorMap final : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage& frame) : frame_(&frame) {}
    // Sent to the frame's image with this table as sender.
    void Warning(TGIFSeverity severity, const std::string& message) const override;

private:
    TGIFSubImage* frame_;
};

}  // namespace htmlimglist
