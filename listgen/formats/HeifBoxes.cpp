#include "listgen/formats/HeifBoxes.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "listgen/formats/ByteOrder.h"
#include "listgen/formats/ImageFormat.h"
#include "listgen/formats/IsoBox.h"

namespace htmlimglist {
namespace {

// Brands of still images and image sequences coded with HEVC, and the
// codec-neutral ones of the image file format.
constexpr uint32_t kHeicBrands[] = {FourCc("heic"), FourCc("heix"), FourCc("heim"), FourCc("heis"),
                                    FourCc("hevc"), FourCc("hevx"), FourCc("hevm"), FourCc("hevs")};
constexpr uint32_t kNeutralBrands[] = {FourCc("mif1"), FourCc("mif2"), FourCc("msf1")};
constexpr uint32_t kAvifBrands[] = {FourCc("avif"), FourCc("avis")};
constexpr uint32_t kSequenceBrands[] = {FourCc("msf1"), FourCc("avis"), FourCc("hevs"), FourCc("hevm")};
// Item types that are pictures: coded ones, and those derived from others
// (a grid of tiles, an identity transform, an overlay).
constexpr uint32_t kCodedImageTypes[] = {FourCc("hvc1"), FourCc("av01"), FourCc("jpeg"), FourCc("avc1"),
                                         FourCc("vvc1"), FourCc("j2k1"), FourCc("unci")};
constexpr uint32_t kDerivedImageTypes[] = {FourCc("grid"), FourCc("iden"), FourCc("iovl")};
// The most bytes of an iref or ipma box read into memory: a 200-megapixel
// phone photo of 817 tiles needs about 5 KiB.
constexpr std::size_t kMaxTableBytes = 1024 * 1024;
constexpr int64_t kFullBoxHeader = 4;  // version, flags

template <std::size_t N>
bool OneOf(uint32_t value, const uint32_t (&set)[N]) {
    return std::find(std::begin(set), std::end(set), value) != std::end(set);
}
bool IsHeifBrand(uint32_t brand) {
    return OneOf(brand, kHeicBrands) || OneOf(brand, kNeutralBrands) || OneOf(brand, kAvifBrands);
}

using Box = IsoBox;

// Reads box headers and payloads, counting every header against kMaxBoxes.
class BoxWalk {
public:
    explicit BoxWalk(ProbeSource& source) : source_(source) {}

    bool Bytes(int64_t at, void* buffer, std::size_t n) { return source_.ReadAt(at, buffer, n) == n; }

    // The box whose header starts at `at` and that must end by `limit` (its
    // parent's end, or the file's).
    bool Read(int64_t at, int64_t limit, Box& box) {
        if (++boxes_ > kMaxBoxes) return false;
        return ReadIsoBox([&](int64_t offset, void* buffer, std::size_t n) { return Bytes(offset, buffer, n); }, at,
                          limit, box);
    }

    // The whole payload, when it holds at least `least` bytes and at most
    // kMaxTableBytes.
    bool Payload(const Box& box, std::size_t least, std::vector<uint8_t>& out) {
        const int64_t size = box.end - box.payload;
        if (size < int64_t(least) || size > int64_t(kMaxTableBytes)) return false;
        out.resize(std::size_t(size));
        return Bytes(box.payload, out.data(), out.size());
    }

    // The children of a box from `at` to its end, each handed to visit(box);
    // false when one does not fit or visit says so.
    template <class Visit>
    bool Children(int64_t at, int64_t end, Visit&& visit) {
        while (at < end) {
            Box child;
            if (!Read(at, end, child) || !visit(child)) return false;
            at = child.end;
        }
        return true;
    }

private:
    ProbeSource& source_;
    int boxes_ = 0;
};

// Big-endian numbers from a payload read into memory, every read checked.
class Cursor {
public:
    explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Has(std::size_t n) const { return bytes_.size() - at_ >= n; }
    std::size_t Left() const { return bytes_.size() - at_; }
    bool U8(uint32_t& v) { return Take(1, v); }
    bool U16(uint32_t& v) { return Take(2, v); }
    bool U32(uint32_t& v) { return Take(4, v); }
    bool Id(bool wide, uint32_t& v) { return Take(wide ? 4 : 2, v); }
    bool Skip(std::size_t n) {
        if (!Has(n)) return false;
        at_ += n;
        return true;
    }

private:
    bool Take(std::size_t n, uint32_t& v) {
        if (!Has(n)) return false;
        v = 0;
        for (std::size_t i = 0; i < n; ++i) v = v << 8 | bytes_[at_ + i];
        at_ += n;
        return true;
    }
    std::span<const uint8_t> bytes_;
    std::size_t at_ = 0;
};

struct Item {
    uint32_t id;
    uint32_t type;
    bool hidden;
};

struct MetaBoxes {
    Box hdlr, pitm, iinf, iref, ipco;
    std::vector<Box> ipma;
};

struct Brands {
    bool heif = false;      // any brand of the image file format
    bool avif = false;      // an AVIF brand
    bool sequence = false;  // an image sequence brand
};

Brands ReadBrands(BoxWalk& walk, const Box& ftyp) {
    Brands brands;
    for (int64_t at = ftyp.payload; at + 4 <= ftyp.end; at += 4) {
        if (at == ftyp.payload + 4) continue;  // the minor version
        uint8_t code[4];
        if (!walk.Bytes(at, code, 4)) break;
        const uint32_t brand = BigEndian32(code);
        brands.heif |= IsHeifBrand(brand);
        brands.avif |= OneOf(brand, kAvifBrands);
        brands.sequence |= OneOf(brand, kSequenceBrands);
    }
    return brands;
}

bool FindMetaBoxes(BoxWalk& walk, const Box& meta, MetaBoxes& boxes) {
    auto child = [&](const Box& box) {
        if (box.type == FourCc("hdlr") && boxes.hdlr.type == 0) boxes.hdlr = box;
        if (box.type == FourCc("pitm") && boxes.pitm.type == 0) boxes.pitm = box;
        if (box.type == FourCc("iinf") && boxes.iinf.type == 0) boxes.iinf = box;
        if (box.type == FourCc("iref") && boxes.iref.type == 0) boxes.iref = box;
        if (box.type == FourCc("iprp")) {
            return walk.Children(box.payload, box.end, [&](const Box& inner) {
                if (inner.type == FourCc("ipco") && boxes.ipco.type == 0) boxes.ipco = inner;
                if (inner.type == FourCc("ipma")) boxes.ipma.push_back(inner);
                return true;
            });
        }
        return true;
    };
    if (meta.end - meta.payload < kFullBoxHeader) return false;
    return walk.Children(meta.payload + kFullBoxHeader, meta.end, child) && boxes.pitm.type != 0 && boxes.iinf.type != 0 && boxes.ipco.type != 0 && !boxes.ipma.empty();
}

// A handler other than pictures (a file of some other kind of items); a
// meta without hdlr is taken as pictures, as libheif takes it.
bool ReadHandler(BoxWalk& walk, const Box& hdlr) {
    uint8_t payload[12];  // version and flags, pre_defined, handler type
    if (hdlr.type == 0) return true;
    return hdlr.end - hdlr.payload >= 12 && walk.Bytes(hdlr.payload, payload, sizeof payload) &&
           BigEndian32(payload + 8) == FourCc("pict");
}

bool ReadPrimaryId(BoxWalk& walk, const Box& pitm, uint32_t& id) {
    uint8_t payload[8];
    const int64_t size = pitm.end - pitm.payload;
    if (size < 6 || !walk.Bytes(pitm.payload, payload, std::size_t(std::min<int64_t>(size, 8)))) return false;
    if (payload[0] == 0) {
        id = BigEndian16(payload + 4);
        return true;
    }
    if (size < 8) return false;
    id = BigEndian32(payload + 4);
    return true;
}

// Items of version 2 and 3 entries (ID, type, hidden flag); older entries
// name no type and are no pictures.
bool ReadItems(BoxWalk& walk, const Box& iinf, std::vector<Item>& items) {
    uint8_t version;
    if (iinf.end - iinf.payload < kFullBoxHeader || !walk.Bytes(iinf.payload, &version, 1)) return false;
    const int64_t first = iinf.payload + kFullBoxHeader + (version == 0 ? 2 : 4);
    if (first > iinf.end) return false;
    return walk.Children(first, iinf.end, [&](const Box& infe) {
        if (infe.type != FourCc("infe")) return true;
        uint8_t head[14] = {};
        const int64_t size = infe.end - infe.payload;
        if (size < kFullBoxHeader || !walk.Bytes(infe.payload, head, std::size_t(std::min<int64_t>(size, 14))))
            return false;
        const bool hidden = (head[3] & 1) != 0;
        if (head[0] == 2 && size >= 12) items.push_back({BigEndian16(head + 4), BigEndian32(head + 8), hidden});
        else if (head[0] == 3 && size >= 14) items.push_back({BigEndian32(head + 4), BigEndian32(head + 10), hidden});
        else if (head[0] >= 2) return false;
        return true;
    });
}

// Items that are no picture of their own: inputs of a derived image, and
// thumbnails and auxiliary images (alpha, depth) of another.
bool ReadDependentItems(BoxWalk& walk, const Box& iref, std::vector<uint32_t>& dependent) {
    std::vector<uint8_t> bytes;
    if (!walk.Payload(iref, kFullBoxHeader, bytes)) return false;
    const bool wide = bytes[0] != 0;
    Cursor in{std::span<const uint8_t>(bytes).subspan(kFullBoxHeader)};
    while (in.Left() > 0) {
        uint32_t size, type, from, count;
        if (!in.U32(size) || !in.U32(type) || size < 8 || !in.Has(size - 8)) return false;
        Cursor reference{std::span<const uint8_t>(bytes).subspan(bytes.size() - in.Left(), size - 8)};
        in.Skip(size - 8);
        if (!reference.Id(wide, from) || !reference.U16(count)) return false;
        if (type == FourCc("thmb") || type == FourCc("auxl")) dependent.push_back(from);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t to;
            if (!reference.Id(wide, to)) return false;
            if (type == FourCc("dimg")) dependent.push_back(to);
        }
    }
    return true;
}

// The property indices (from 1) ipma gives the item, in its order; index 0
// means none and is dropped.
bool ReadAssociations(BoxWalk& walk, const Box& ipma, uint32_t item, std::vector<uint32_t>& indices) {
    std::vector<uint8_t> bytes;
    if (!walk.Payload(ipma, kFullBoxHeader + 4, bytes)) return false;
    const bool wideIds = bytes[0] >= 1, wideIndices = (bytes[3] & 1) != 0;
    Cursor in{std::span<const uint8_t>(bytes).subspan(kFullBoxHeader)};
    uint32_t entries = 0;
    in.U32(entries);
    for (uint32_t e = 0; e < entries; ++e) {
        uint32_t id, count;
        if (!in.Id(wideIds, id) || !in.U8(count)) return false;
        for (uint32_t a = 0; a < count; ++a) {
            uint32_t value;
            if (!(wideIndices ? in.U16(value) : in.U8(value))) return false;
            const uint32_t index = value & (wideIndices ? 0x7FFFu : 0x7Fu);
            if (id == item && index != 0) indices.push_back(index);
        }
    }
    return true;
}

// round(numerator / denominator), half up, for the clean aperture's
// fractions (32-bit signed numerator, unsigned denominator); false when it
// is not a size.
bool ApertureSide(uint32_t numerator, uint32_t denominator, int64_t& side) {
    if (denominator == 0 || int32_t(denominator) <= 0) return false;
    const int64_t n = int32_t(numerator), d = int32_t(denominator);
    if (n <= 0) return false;
    side = (n + d / 2) / d;
    return side > 0;
}

// The coded size from ispe, wherever ipma lists it (writers put it before or
// after the transformations); then the transformations in ipma's order:
// clap crops to its aperture, irot 90 or 270 swaps the sides.
bool DisplayedSize(BoxWalk& walk, const std::vector<Box>& properties, const std::vector<uint32_t>& indices,
                   int64_t& width, int64_t& height) {
    uint8_t data[32];
    for (const uint32_t index : indices) {
        if (index > properties.size()) return false;
        const Box& p = properties[index - 1];
        if (p.type != FourCc("ispe") || width != 0) continue;
        if (p.end - p.payload < 12 || !walk.Bytes(p.payload, data, 12)) return false;
        width = BigEndian32(data + 4);
        height = BigEndian32(data + 8);
    }
    for (const uint32_t index : indices) {
        const Box& p = properties[index - 1];
        const int64_t size = p.end - p.payload;
        if (p.type == FourCc("clap")) {
            if (size < 32 || !walk.Bytes(p.payload, data, 32)) return false;
            if (!ApertureSide(BigEndian32(data), BigEndian32(data + 4), width) ||
                !ApertureSide(BigEndian32(data + 8), BigEndian32(data + 12), height))
                return false;
        } else if (p.type == FourCc("irot")) {
            if (size < 1 || !walk.Bytes(p.payload, data, 1)) return false;
            if ((data[0] & 3) % 2 == 1) std::swap(width, height);
        }
    }
    return true;
}

// H.273 primaries a copy gets a profile for: BT.2020, DCI-P3, Display P3.
constexpr uint32_t kWideGamutPrimaries[] = {9, 11, 12};

// Whether colr gives the copy a profile: an ICC profile of a sane size
// first, as libheif prefers it, else wide-gamut numbers.
bool ReadColour(BoxWalk& walk, const std::vector<Box>& properties, const std::vector<uint32_t>& indices) {
    bool numbers = false;
    for (const uint32_t index : indices) {
        const Box& p = properties[index - 1];
        uint8_t data[6];
        if (p.type != FourCc("colr") || p.end - p.payload < 4 || !walk.Bytes(p.payload, data, 4)) continue;
        const uint32_t kind = BigEndian32(data);
        const int64_t iccBytes = p.end - p.payload - 4;
        if ((kind == FourCc("prof") || kind == FourCc("rICC")) && iccBytes > 0 && iccBytes <= kMaxColourProfileBytes)
            return true;
        if (kind == FourCc("nclx") && p.end - p.payload >= 6 && walk.Bytes(p.payload + 4, data, 2))
            numbers |= OneOf(BigEndian16(data), kWideGamutPrimaries);
    }
    return numbers;
}

int CountTopLevelImages(const std::vector<Item>& items, const std::vector<uint32_t>& dependent) {
    int count = 0;
    for (const Item& item : items) {
        if (item.hidden || !(OneOf(item.type, kCodedImageTypes) || OneOf(item.type, kDerivedImageTypes))) continue;
        if (std::find(dependent.begin(), dependent.end(), item.id) == dependent.end()) ++count;
    }
    return count;
}

// The primary image of a file whose ftyp names a HEIF brand.
HeifVerdict ReadPrimaryImage(BoxWalk& walk, const Box& meta, const Brands& brands, HeifHeader& header) {
    MetaBoxes boxes;
    uint32_t primary;
    std::vector<Item> items;
    std::vector<uint32_t> dependent, indices;
    std::vector<Box> properties;
    if (!FindMetaBoxes(walk, meta, boxes) || !ReadHandler(walk, boxes.hdlr) || !ReadPrimaryId(walk, boxes.pitm, primary) ||
        !ReadItems(walk, boxes.iinf, items))
        return HeifVerdict::Damaged;
    if (boxes.iref.type != 0 && !ReadDependentItems(walk, boxes.iref, dependent)) return HeifVerdict::Damaged;
    for (const Box& ipma : boxes.ipma) {
        if (!ReadAssociations(walk, ipma, primary, indices)) return HeifVerdict::Damaged;
    }
    const uint32_t lastIndex = indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
    const bool propertiesRead = walk.Children(boxes.ipco.payload, boxes.ipco.end, [&](const Box& property) {
        if (properties.size() < lastIndex) properties.push_back(property);
        return true;
    });
    int64_t width = 0, height = 0;
    if (!propertiesRead || !DisplayedSize(walk, properties, indices, width, height)) return HeifVerdict::Damaged;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return HeifVerdict::Damaged;

    const auto item = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.id == primary; });
    if (item == items.end()) return HeifVerdict::Damaged;
    if (item->type == FourCc("hvc1")) {
        header.family = HeifFamily::Heic;
    } else if (item->type == FourCc("av01")) {
        header.family = HeifFamily::Avif;
    } else if (OneOf(item->type, kDerivedImageTypes)) {
        header.family = brands.avif ? HeifFamily::Avif : HeifFamily::Heic;
    } else {
        return HeifVerdict::OtherCoding;
    }
    header.width = int32_t(width);
    header.height = int32_t(height);
    header.colourProfile = ReadColour(walk, properties, indices);
    header.animated = brands.sequence || CountTopLevelImages(items, dependent) > 1;
    return HeifVerdict::Recognised;
}

}  // namespace

HeifHeader ProbeHeifBoxes(ProbeSource& source) {
    HeifHeader header;
    BoxWalk walk(source);
    const int64_t fileEnd = source.Size();
    // A file that starts with an ftyp box naming a HEIF brand as its major
    // brand is a HEIF file, however damaged what follows.
    uint8_t start[12];
    if (!walk.Bytes(0, start, sizeof start) || BigEndian32(start + 4) != FourCc("ftyp")) return header;
    const bool majorHeif = IsHeifBrand(BigEndian32(start + 8));
    Box ftyp;
    if (!walk.Read(0, std::min(fileEnd, kHeadBytes), ftyp) || ftyp.end - ftyp.payload < 8) {
        if (majorHeif) header.verdict = HeifVerdict::Damaged;
        return header;
    }
    const Brands brands = ReadBrands(walk, ftyp);
    if (!brands.heif) return header;
    header.verdict = HeifVerdict::Damaged;

    // Every top-level box must fit in the file: one cut short (a truncated
    // mdat) makes the file damaged. The first meta is the one read.
    Box meta;
    for (int64_t at = ftyp.end; at < fileEnd;) {
        Box box;
        if (!walk.Read(at, fileEnd, box)) return header;
        if (box.type == FourCc("meta") && meta.type == 0) meta = box;
        at = box.end;
    }
    if (meta.type == 0) return header;
    header.verdict = ReadPrimaryImage(walk, meta, brands, header);
    if (header.verdict != HeifVerdict::Recognised) header = HeifHeader{header.verdict};
    return header;
}

}  // namespace htmlimglist
