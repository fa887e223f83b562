// The LZW decoder of GIF image data (GIF89a section 22 and appendix F): a
// pull decoder that reads codes, and sub-blocks, only as far as the pixel
// loop asks for values.
#include <algorithm>
#include <cstring>
#include <memory>

#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamReading.h"
#include "gif/GIFSubImage.h"

namespace htmlimglist {

using namespace gifread;

namespace {

constexpr int kTableSize = 4096;  // codes are at most 12 bits wide
constexpr int kStackSize = 8192;
constexpr int kMaxMinCodeSize = 12;
constexpr int NO_DATA = -1;  // the data ran out
constexpr int END = -2;      // the end code was met

// Interlaced rows come in four passes (GIF89a appendix E).
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

// Progress is reported every so many rows, and every so many sub-blocks
// read (data that yields few pixels, such as runs of clear codes, still
// costs time), so that a handler can stop a long decode soon.
constexpr int kRowsPerReport = 32;
constexpr int kSubBlocksPerReport = 256;

// Everything the decoder uses, in one fixed-size record: nothing is
// allocated while decoding.
struct DecoderState {
    TGIFStream* stream;
    const TGIFSubImage* frame;
    const TGIFImage* image;  // receives the progress reports; may be none
    int RowsDone;
    int SubBlocksRead;
    int MinCodeSize;
    int ClearCode;
    int EndCode;
    int CodeSize;
    int CodeLimit;
    int NextCode;
    int FirstCode;
    int OldCode;
    int Prefix[kTableSize];
    int Suffix[kTableSize];
    int Stack[kStackSize];
    int StackTop;  // number of values on the stack
    // Two bytes carried over from the previous sub-block, then up to 255 of
    // the current one; the spare bytes keep a 3-byte fetch in bounds.
    uint8_t Buffer[260];
    int CurBit;
    int LastBit;
    int LastByte;
    bool Done;           // the zero-length terminator sub-block has been read
    bool ZeroBlockSeen;  // the same event, for the end-code step
    bool ForceClear;     // the next ReadCode answers ClearCode without reading
    bool Ended;          // the end code has been handled
};

void ReportProgress(const DecoderState& s) {
    if (s.image == nullptr) return;
    int height = s.frame->Height();
    s.image->Progress(TProgressStage::psRunning, height > 0 ? static_cast<int>(int64_t{s.RowsDone} * 100 / height) : 0,
                      false, gifmsg::kLoading);
}

// Reads the next data sub-block into Buffer behind the two bytes carried
// over from the one before. False when the stream has ended.
bool ReadSubBlock(DecoderState& s) {
    if (++s.SubBlocksRead % kSubBlocksPerReport == 0) ReportProgress(s);
    // Keep the last two bytes: a code may straddle two sub-blocks.
    s.Buffer[0] = s.Buffer[s.LastByte - 2];
    s.Buffer[1] = s.Buffer[s.LastByte - 1];
    uint8_t size = 0;
    if (!ReadByte(*s.stream, size)) return false;
    int count = size;
    if (count == 0) {
        s.ZeroBlockSeen = true;
        s.Done = true;
    } else {
        int64_t left = BytesLeft(*s.stream);
        if (left < count) {
            // Decode what there is; the rest of the frame keeps the fill.
            s.frame->Warning(TGIFSeverity::gsWarning, gifmsg::kPrematureEnd);
            count = static_cast<int>(std::max<int64_t>(left, 0));
        }
        if (count > 0) ReadExact(*s.stream, s.Buffer + 2, static_cast<std::size_t>(count));
    }
    s.LastByte = count + 2;
    s.CurBit = s.CurBit - s.LastBit + 16;
    s.LastBit = (count + 2) * 8;
    return true;
}

int ReadCodeSlow(DecoderState& s, int width);

// Takes the next code of width bits. The common case, a code lying wholly in
// the buffered sub-block, stays inline.
inline int ReadCode(DecoderState& s, int width) {
    if (!s.ForceClear && s.CurBit + width < s.LastBit) {
        int at = s.CurBit >> 3;
        uint32_t bits = s.Buffer[at] | (uint32_t{s.Buffer[at + 1]} << 8) | (uint32_t{s.Buffer[at + 2]} << 16);
        int code = static_cast<int>((bits >> (s.CurBit & 7)) & ((1u << width) - 1));
        s.CurBit += width;
        return code;
    }
    return ReadCodeSlow(s, width);
}

int ReadCodeSlow(DecoderState& s, int width) {
    if (s.ForceClear) {
        // Every frame starts as after a clear code, whether or not its data
        // begins with one.
        s.ForceClear = false;
        return s.ClearCode;
    }
    if (s.CurBit + width >= s.LastBit) {
        if (s.Done) {
            if (s.CurBit >= s.LastBit) s.frame->Warning(TGIFSeverity::gsWarning, gifmsg::kUnderrun);
            return NO_DATA;
        }
        if (!ReadSubBlock(s)) return NO_DATA;
        // Sub-blocks may be as short as one byte (GIF89a section 15), shorter
        // than what is left of the code: read on until the code is whole.
        while (!s.Done && s.CurBit + width > s.LastBit) {
            if (!ReadSubBlock(s)) return NO_DATA;
        }
    }
    // Codes are packed least significant bit first; a code of up to 13 bits
    // spans at most three bytes.
    int at = s.CurBit >> 3;
    uint32_t bits = s.Buffer[at];
    int last = (s.CurBit + width) >> 3;
    if (last > at) bits |= uint32_t{s.Buffer[at + 1]} << 8;
    if (last > at + 1) bits |= uint32_t{s.Buffer[at + 2]} << 16;
    int code = static_cast<int>((bits >> (s.CurBit & 7)) & ((1u << width) - 1));
    s.CurBit += width;
    return code;
}

int DecodeNext(DecoderState& s) {
    if (s.Ended) return END;
    int code = ReadCode(s, s.CodeSize);
    if (code < 0) return code;  // the data ran out
    {
        if (code == s.ClearCode) {
            for (int i = 0; i < s.ClearCode; ++i) {
                s.Prefix[i] = 0;
                s.Suffix[i] = i;
            }
            std::fill(s.Prefix + s.ClearCode, s.Prefix + kTableSize, 0);
            std::fill(s.Suffix + s.ClearCode, s.Suffix + kTableSize, 0);
            s.CodeSize = s.MinCodeSize + 1;
            s.CodeLimit = 2 * s.ClearCode;
            s.NextCode = s.ClearCode + 2;
            s.StackTop = 0;
            do {
                code = ReadCode(s, s.CodeSize);
            } while (code == s.ClearCode);
            // The first code after a clear stands for itself.
            s.FirstCode = code;
            s.OldCode = code;
            return code;
        }
        if (code == s.EndCode) {
            s.Ended = true;
            if (s.ZeroBlockSeen) return END;
            // Step over what is left of the frame's data, up to its terminator.
            SkipSubBlocks(*s.stream);
            return END;
        }
        int incode = code;
        // The walk keeps the stack top in a local: the compiler cannot know
        // that the stores into the tables leave it alone.
        int top = s.StackTop;
        auto push = [&](int value) {
            // Valid data never stacks more than 4097 values; a damaged table
            // can hold a loop that the self-reference test misses.
            if (top >= kStackSize) GIFError(gifmsg::kCircularEntry);
            s.Stack[top++] = value;
        };
        if (code >= s.NextCode) {
            // Not yet in the table: the previous string plus its own first value.
            push(s.FirstCode);
            code = s.OldCode;
        }
        while (code >= s.ClearCode) {
            // Only a minimum code size of 12 (codes of 13 bits) can get here
            // with a code past the table.
            if (code >= kTableSize) GIFError(gifmsg::kBadData);
            push(s.Suffix[code]);
            if (s.Prefix[code] == code) GIFError(gifmsg::kCircularEntry);
            code = s.Prefix[code];
        }
        s.FirstCode = s.Suffix[code];
        push(s.FirstCode);
        if (s.NextCode < kTableSize) {
            s.Prefix[s.NextCode] = s.OldCode;
            s.Suffix[s.NextCode] = s.FirstCode;
            ++s.NextCode;
            if (s.NextCode >= s.CodeLimit && s.CodeLimit < kTableSize) {
                s.CodeLimit *= 2;
                ++s.CodeSize;
            }
        }
        s.OldCode = incode;
        // The last value pushed is the first of the string: answer it at once.
        s.StackTop = top - 1;
        return s.Stack[top - 1];
    }
}

inline int ReadPixel(DecoderState& s) {
    if (s.StackTop > 0) return s.Stack[--s.StackTop];
    return DecodeNext(s);
}

}  // namespace

void TGIFSubImage::Decompress(TGIFStream& stream) {
    NewImage();
    fill_ = transparent_ ? TransparentIndex() : 0;

    uint8_t minCodeSize = 0;
    if (!ReadByte(stream, minCodeSize)) return;  // no data: the frame keeps the fill
    // Above 12 the clear code would lie past the 4096-entry table.
    if (minCodeSize > kMaxMinCodeSize) GIFError(gifmsg::kBadData);

    auto state = std::make_unique<DecoderState>();
    DecoderState& s = *state;
    s.stream = &stream;
    s.frame = this;
    s.image = Image();
    s.RowsDone = 0;
    s.SubBlocksRead = 0;
    s.MinCodeSize = minCodeSize;
    s.ClearCode = 1 << minCodeSize;
    s.EndCode = s.ClearCode + 1;
    s.CodeSize = minCodeSize + 1;
    s.CodeLimit = 2 * s.ClearCode;
    s.NextCode = s.ClearCode + 2;
    s.FirstCode = s.OldCode = 0;
    s.StackTop = 0;
    std::memset(s.Buffer, 0, sizeof s.Buffer);
    s.CurBit = 0;
    s.LastBit = 0;
    s.LastByte = 2;
    s.Done = s.ZeroBlockSeen = s.Ended = false;
    s.ForceClear = true;

    const std::size_t width = static_cast<std::size_t>(Width());
    const std::size_t total = static_cast<std::size_t>(GetDataSize());
    // The pixel memory grows with the pixels that really arrive, doubling,
    // up to the frame's size; unreached pixels read as the fill.
    auto reserve = [&](std::size_t end) {
        if (end > data_.size()) {
            std::size_t grown = std::min(total, std::max({end, 2 * data_.size(), std::size_t{256}}));
            data_.resize(grown, fill_);
        }
    };
    // One row of pixels, each a ReadPixel: values still on the stack are
    // taken in one go, in the order single pops would give them.
    auto decodeRow = [&](std::size_t row) {
        if (s.RowsDone++ % kRowsPerReport == 0) ReportProgress(s);
        std::size_t at = row * width;
        std::size_t x = 0;
        while (x < width) {
            if (s.StackTop == 0) {
                int value = DecodeNext(s);
                if (value < 0) return false;
                reserve(at + x + 1);
                data_[at + x++] = static_cast<uint8_t>(value);
                continue;
            }
            std::size_t n = std::min(static_cast<std::size_t>(s.StackTop), width - x);
            reserve(at + x + n);
            uint8_t* out = data_.data() + at + x;
            const int* top = s.Stack + s.StackTop;
            for (std::size_t k = 0; k < n; ++k) out[k] = static_cast<uint8_t>(*--top);
            s.StackTop -= static_cast<int>(n);
            x += n;
        }
        return true;
    };

    try {
        std::size_t height = static_cast<std::size_t>(Height());
        if (total > 0) {
            if (GetInterlaced()) {
                bool more = true;
                for (int pass = 0; pass < 4 && more; ++pass)
                    for (std::size_t row = kPassStart[pass]; row < height && more; row += kPassStep[pass])
                        more = decodeRow(row);
            } else {
                for (std::size_t row = 0; row < height; ++row)
                    if (!decodeRow(row)) break;
            }
        }
    } catch (const GIFException&) {
        // The extra read below still runs on the way out; an error of the
        // data's own does not replace the first one. Other exceptions (a
        // progress handler's) pass straight on.
        try {
            ReadPixel(s);
        } catch (const GIFException&) {
        }
        throw;
    }
    // One read more: for data that ends with an end code after the last
    // pixel, this meets the end code and moves past the frame's terminator.
    ReadPixel(s);
}

}  // namespace htmlimglist
