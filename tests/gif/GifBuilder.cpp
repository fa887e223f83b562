#include "GifBuilder.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace htmlimglist::test {

namespace {

class BitWriter {
public:
    void Put(int code, int width) {
        acc_ |= static_cast<uint64_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    Bytes Finish() {
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
        acc_ = 0;
        bits_ = 0;
        return out_;
    }

private:
    Bytes out_;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

}  // namespace

Bytes LzwCodes(const std::vector<uint8_t>& indices, int minCodeSize, const LzwOptions& options) {
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    std::map<std::pair<int, int>, int> table;
    BitWriter out;
    for (int i = 0; i < options.leadingClears; ++i) out.Put(clear, codeSize);
    if (!indices.empty()) {
        int prefix = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            int p = indices[i];
            auto it = table.find({prefix, p});
            if (it != table.end()) {
                prefix = it->second;
                continue;
            }
            out.Put(prefix, codeSize);
            if (next < 4096) {
                table[{prefix, p}] = next++;
                // The decoder adds this entry one code later, so the width
                // grows one entry past the power of two.
                if (next > (1 << codeSize) && codeSize < 12) ++codeSize;
            } else if (options.clearWhenFull) {
                out.Put(clear, codeSize);
                table.clear();
                codeSize = minCodeSize + 1;
                next = clear + 2;
            }
            prefix = p;
        }
        out.Put(prefix, codeSize);
        // The decoder makes an entry for that last code too, and may widen.
        if (indices.size() > 1 && next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    if (options.endCode) out.Put(end, codeSize);
    return out.Finish();
}

Bytes PackCodes(const std::vector<std::pair<int, int>>& codesAndWidths) {
    BitWriter out;
    for (auto [code, width] : codesAndWidths) out.Put(code, width);
    return out.Finish();
}

Bytes SubBlocks(const Bytes& data, int blockSize, bool terminator) {
    Bytes out;
    for (std::size_t at = 0; at < data.size(); at += static_cast<std::size_t>(blockSize)) {
        std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(blockSize), data.size() - at);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

std::vector<uint8_t> InterlaceRows(const std::vector<uint8_t>& pixels, int width, int height) {
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    std::vector<uint8_t> out;
    for (int pass = 0; pass < 4; ++pass)
        for (int row = kStart[pass]; row < height; row += kStep[pass])
            out.insert(out.end(), pixels.begin() + row * width, pixels.begin() + (row + 1) * width);
    return out;
}

int GifBuilder::TableSizeBits(std::size_t count) {
    int n = 0;
    while ((2u << n) < count) ++n;
    if (n > 7) throw std::invalid_argument("colour table too large");
    return n;
}

void GifBuilder::Word(int value) {
    bytes_.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void GifBuilder::ColorTable(const std::vector<TGIFColor>& colors) {
    std::size_t count = 2u << TableSizeBits(colors.size());
    for (std::size_t i = 0; i < count; ++i) {
        TGIFColor c = i < colors.size() ? colors[i] : TGIFColor{0, 0, 0};
        bytes_.insert(bytes_.end(), {c.Red, c.Green, c.Blue});
    }
}

GifBuilder& GifBuilder::Header(int width, int height, const std::vector<TGIFColor>& globalColors,
                               uint8_t background, const std::string& signature) {
    bytes_.insert(bytes_.end(), signature.begin(), signature.end());
    Word(width);
    Word(height);
    uint8_t packed = 0x70;  // 8 bits of colour resolution
    if (!globalColors.empty()) packed |= 0x80 | static_cast<uint8_t>(TableSizeBits(globalColors.size()));
    bytes_.insert(bytes_.end(), {packed, background, 0});
    if (!globalColors.empty()) ColorTable(globalColors);
    return *this;
}

GifBuilder& GifBuilder::GraphicControl(bool transparent, uint8_t transparentIndex, int disposal,
                                       uint16_t delay) {
    uint8_t packed = static_cast<uint8_t>((disposal & 7) << 2 | (transparent ? 1 : 0));
    bytes_.insert(bytes_.end(), {0x21, 0xF9, 4, packed});
    Word(delay);
    bytes_.insert(bytes_.end(), {transparentIndex, 0});
    return *this;
}

GifBuilder& GifBuilder::Comment(const std::vector<std::string>& blocks) {
    bytes_.insert(bytes_.end(), {0x21, 0xFE});
    for (const std::string& b : blocks) {
        bytes_.push_back(static_cast<uint8_t>(b.size()));
        bytes_.insert(bytes_.end(), b.begin(), b.end());
    }
    bytes_.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::Application(const std::string& identifier, const std::vector<Bytes>& blocks,
                                    int blockSize) {
    bytes_.insert(bytes_.end(), {0x21, 0xFF, static_cast<uint8_t>(blockSize)});
    for (int i = 0; i < blockSize; ++i)
        bytes_.push_back(i < static_cast<int>(identifier.size()) ? static_cast<uint8_t>(identifier[i]) : 0);
    for (const Bytes& b : blocks) {
        bytes_.push_back(static_cast<uint8_t>(b.size()));
        bytes_.insert(bytes_.end(), b.begin(), b.end());
    }
    bytes_.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::Descriptor(const FrameRecipe& frame) {
    bytes_.push_back(0x2C);
    Word(frame.left);
    Word(frame.top);
    Word(frame.width);
    Word(frame.height);
    uint8_t packed = frame.interlaced ? 0x40 : 0;
    if (!frame.localColors.empty()) packed |= 0x80 | static_cast<uint8_t>(TableSizeBits(frame.localColors.size()));
    bytes_.push_back(packed);
    if (!frame.localColors.empty()) ColorTable(frame.localColors);
    return *this;
}

GifBuilder& GifBuilder::Frame(const FrameRecipe& frame) {
    Descriptor(frame);
    std::vector<uint8_t> order =
        frame.interlaced ? InterlaceRows(frame.pixels, frame.width, frame.height) : frame.pixels;
    bytes_.push_back(static_cast<uint8_t>(frame.minCodeSize));
    Bytes blocks = SubBlocks(LzwCodes(order, frame.minCodeSize, frame.lzw), frame.lzw.blockSize,
                             frame.lzw.terminator);
    bytes_.insert(bytes_.end(), blocks.begin(), blocks.end());
    return *this;
}

GifBuilder& GifBuilder::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

GifBuilder& GifBuilder::Trailer() {
    bytes_.push_back(0x3B);
    return *this;
}

}  // namespace htmlimglist::test
