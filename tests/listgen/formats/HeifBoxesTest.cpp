// The HEIF box probe on hand-built box trees: which brands and codings it
// takes, the displayed size from ispe, clap and irot in ipma's order, the
// animation mark, and files whose boxes lie about their sizes, are cut
// short or hold too many boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listgen/formats/HeifBoxes.h"
#include "listgen/formats/Registry.h"

namespace htmlimglist {
namespace {

std::string Be(uint64_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i) & 0xFF);
    return out;
}
std::string Box(const std::string& type, const std::string& payload) { return Be(8 + payload.size(), 4) + type + payload; }
std::string FullBox(const std::string& type, int version, int flags, const std::string& payload) {
    return Box(type, char(version) + Be(uint32_t(flags), 3) + payload);
}

// Properties, as ipco holds them.
std::string Ispe(uint32_t width, uint32_t height) { return FullBox("ispe", 0, 0, Be(width, 4) + Be(height, 4)); }
std::string Irot(int quarterTurns) { return Box("irot", std::string(1, char(quarterTurns))); }
std::string Imir(int axis) { return Box("imir", std::string(1, char(axis))); }
// A clean aperture of width x height (each over denominator), centred.
std::string Clap(uint32_t width, uint32_t height, uint32_t denominator = 1) {
    return Box("clap", Be(width, 4) + Be(denominator, 4) + Be(height, 4) + Be(denominator, 4) + Be(0, 4) + Be(1, 4) +
                           Be(0, 4) + Be(1, 4));
}
// Colours by numbers (H.273 primaries, transfer, matrix, full range), or as
// an ICC profile.
std::string Colr(int primaries = 1) { return Box("colr", "nclx" + Be(primaries, 2) + Be(13, 2) + Be(1, 2) + "\x80"); }
std::string ColrIcc(std::size_t bytes) { return Box("colr", "prof" + std::string(bytes, 'p')); }

struct Item {
    uint32_t id;
    std::string type;
    std::vector<int> properties;  // indices into ipco, from 1, in ipma's order
    bool hidden = false;
};

struct Reference {
    std::string type;
    uint32_t from;
    std::vector<uint32_t> to;
};

// A file as a writer lays it out: ftyp, meta, mdat. The fields change one
// thing each.
struct Recipe {
    std::string major = "heic";
    std::vector<std::string> compatible = {"mif1", "heic"};
    uint32_t primary = 1;
    std::vector<Item> items = {{1, "hvc1", {1, 2}}};
    std::vector<std::string> properties = {Ispe(300, 200), Colr()};
    std::vector<Reference> references;
    std::string handler = "pict";
    std::string beforeMeta;        // top-level boxes between ftyp and meta
    bool wide = false;             // 32-bit item IDs and 16-bit property indices
    int64_t ipmaEntryChange = 0;   // added to ipma's entry count
    int64_t metaSizeChange = 0;    // added to meta's size field
    std::string mdat = Box("mdat", std::string(64, '\x11'));
};

std::string Make(const Recipe& r) {
    std::string ftyp = r.major + Be(0, 4);
    for (const std::string& brand : r.compatible) ftyp += brand;
    const int idBytes = r.wide ? 4 : 2;
    std::string infes;
    for (const Item& item : r.items) {
        infes += r.wide ? FullBox("infe", 3, item.hidden, Be(item.id, 4) + Be(0, 2) + item.type + '\0')
                        : FullBox("infe", 2, item.hidden, Be(item.id, 2) + Be(0, 2) + item.type + '\0');
    }
    std::string ipco, ipma = Be(r.items.size() + r.ipmaEntryChange, 4);
    for (const std::string& property : r.properties) ipco += property;
    for (const Item& item : r.items) {
        ipma += Be(item.id, idBytes) + char(item.properties.size());
        for (int index : item.properties) ipma += Be(uint32_t(index) | 0x80u << (r.wide ? 8 : 0), r.wide ? 2 : 1);
    }
    std::string iref;
    for (const Reference& ref : r.references) {
        std::string body = Be(ref.from, idBytes) + Be(ref.to.size(), 2);
        for (uint32_t to : ref.to) body += Be(to, idBytes);
        iref += Box(ref.type, body);
    }
    std::string meta = (r.handler.empty() ? "" : FullBox("hdlr", 0, 0, Be(0, 4) + r.handler + std::string(13, '\0'))) +
                       FullBox("pitm", r.wide, 0, Be(r.primary, idBytes)) +
                       FullBox("iinf", r.wide, 0, Be(r.items.size(), r.wide ? 4 : 2) + infes) +
                       (iref.empty() ? "" : FullBox("iref", r.wide, 0, iref)) +
                       Box("iprp", Box("ipco", ipco) + FullBox("ipma", r.wide, r.wide, ipma));
    std::string metaBox = FullBox("meta", 0, 0, meta);
    const uint32_t metaSize = uint32_t(int64_t(metaBox.size()) + r.metaSizeChange);
    metaBox.replace(0, 4, Be(metaSize, 4));
    return Box("ftyp", ftyp) + r.beforeMeta + metaBox + r.mdat;
}

struct Case {
    const char* what;
    std::string bytes;
    HeifVerdict verdict;
    HeifFamily family = HeifFamily::Heic;
    int width = 0, height = 0;
    bool animated = false;
};

template <class Change>
std::string With(Change&& change) {
    Recipe r;
    change(r);
    return Make(r);
}

std::string FreeBoxes(int count) {
    std::string boxes;
    for (int i = 0; i < count; ++i) boxes += Box("free", "");
    return boxes;
}

std::vector<Case> Cases() {
    using V = HeifVerdict;
    using F = HeifFamily;
    const auto props = [](std::vector<std::string> p) { return [p](Recipe& r) { r.properties = p; }; };
    const auto assoc = [](std::vector<int> a) { return [a](Recipe& r) { r.items[0].properties = a; }; };
    std::vector<Case> cases = {
        {"an HEVC picture", Make({}), V::Recognised, F::Heic, 300, 200},
        {"an AV1 picture", With([](Recipe& r) { r.major = "avif", r.compatible = {"mif1", "miaf"}, r.items[0].type = "av01"; }),
         V::Recognised, F::Avif, 300, 200},
        {"a codec-neutral brand alone", With([](Recipe& r) { r.major = "mif1", r.compatible = {}; }), V::Recognised,
         F::Heic, 300, 200},
        {"a grid in a file with an AVIF brand", With([](Recipe& r) { r.compatible = {"avif"}, r.items[0].type = "grid"; }),
         V::Recognised, F::Avif, 300, 200},
        {"a grid without one", With([](Recipe& r) { r.items[0].type = "grid"; }), V::Recognised, F::Heic, 300, 200},
        {"a JPEG-coded picture", With([](Recipe& r) { r.items[0].type = "jpeg"; }), V::OtherCoding},
        {"32-bit IDs, 16-bit indices", With([](Recipe& r) { r.wide = true, r.items[0].id = r.primary = 70000; }),
         V::Recognised, F::Heic, 300, 200},
        {"no handler box", With([](Recipe& r) { r.handler = ""; }), V::Recognised, F::Heic, 300, 200},
        {"boxes before meta", With([](Recipe& r) { r.beforeMeta = FreeBoxes(100); }), V::Recognised, F::Heic, 300, 200},
        {"a 64-bit size and a last box to the end", With([](Recipe& r) {
             r.mdat = Be(1, 4) + "free" + Be(24, 8) + std::string(8, '\0') + Be(0, 4) + "mdat" + std::string(9, '\0');
         }),
         V::Recognised, F::Heic, 300, 200},

        // The displayed size: the transformations in ipma's order.
        {"irot 90", With([&](Recipe& r) { props({Ispe(300, 200), Irot(1)})(r), assoc({1, 2})(r); }), V::Recognised,
         F::Heic, 200, 300},
        {"irot 180", With([&](Recipe& r) { props({Ispe(300, 200), Irot(2)})(r), assoc({1, 2})(r); }), V::Recognised,
         F::Heic, 300, 200},
        {"irot 270", With([&](Recipe& r) { props({Ispe(300, 200), Irot(3)})(r), assoc({1, 2})(r); }), V::Recognised,
         F::Heic, 200, 300},
        {"imir keeps the size", With([&](Recipe& r) { props({Ispe(300, 200), Imir(1)})(r), assoc({1, 2})(r); }),
         V::Recognised, F::Heic, 300, 200},
        {"clap", With([&](Recipe& r) { props({Ispe(300, 200), Clap(101, 51)})(r), assoc({1, 2})(r); }), V::Recognised,
         F::Heic, 101, 51},
        {"clap rounds half up", With([&](Recipe& r) { props({Ispe(300, 200), Clap(201, 101, 2)})(r), assoc({1, 2})(r); }),
         V::Recognised, F::Heic, 101, 51},
        {"clap, then irot 90", With([&](Recipe& r) { props({Ispe(300, 200), Clap(100, 50), Irot(1)})(r), assoc({1, 2, 3})(r); }),
         V::Recognised, F::Heic, 50, 100},
        {"irot 90, then clap", With([&](Recipe& r) { props({Ispe(300, 200), Clap(100, 50), Irot(1)})(r), assoc({1, 3, 2})(r); }),
         V::Recognised, F::Heic, 100, 50},
        {"ispe listed after the transformations",
         With([&](Recipe& r) { props({Ispe(300, 200), Clap(100, 50), Irot(1)})(r), assoc({2, 3, 1})(r); }),
         V::Recognised, F::Heic, 50, 100},
        {"ipco's order does not count", With([&](Recipe& r) { props({Irot(1), Ispe(300, 200)})(r), assoc({2, 1})(r); }),
         V::Recognised, F::Heic, 200, 300},

        // The animation mark.
        {"an image sequence brand", With([](Recipe& r) { r.compatible = {"msf1", "heic"}; }), V::Recognised, F::Heic,
         300, 200, true},
        {"two top-level pictures", With([](Recipe& r) { r.items.push_back({2, "hvc1", {1}}); }), V::Recognised,
         F::Heic, 300, 200, true},
        {"a thumbnail", With([](Recipe& r) {
             r.items.push_back({2, "hvc1", {1}});
             r.references = {{"thmb", 2, {1}}};
         }),
         V::Recognised, F::Heic, 300, 200},
        {"an alpha plane", With([](Recipe& r) {
             r.items.push_back({2, "hvc1", {1}});
             r.references = {{"auxl", 2, {1}}};
         }),
         V::Recognised, F::Heic, 300, 200},
        {"grid tiles", With([](Recipe& r) {
             r.items = {{1, "grid", {1}}, {2, "hvc1", {1}}, {3, "hvc1", {1}}};
             r.references = {{"dimg", 1, {2, 3}}};
         }),
         V::Recognised, F::Heic, 300, 200},
        {"a hidden picture", With([](Recipe& r) { r.items.push_back({2, "hvc1", {1}, true}); }), V::Recognised,
         F::Heic, 300, 200},
        {"an Exif item", With([](Recipe& r) { r.items.push_back({2, "Exif", {}}); }), V::Recognised, F::Heic, 300, 200},

        // Not HEIF at all.
        {"an MP4 video", With([](Recipe& r) { r.major = "isom", r.compatible = {"mp41"}; }), V::NotHeif},
        {"no ftyp", "\0\0\0\x10wide" + std::string(8, '\0') + Make({}), V::NotHeif},
        {"empty", "", V::NotHeif},

        // Damaged: sizes that lie, missing pieces, too many boxes.
        {"ftyp larger than the file", Be(100000, 4) + "ftypheic" + Be(0, 4) + "mif1", V::Damaged},
        {"a box shorter than its header", With([](Recipe& r) { r.beforeMeta = Be(4, 4) + "free"; }), V::Damaged},
        {"meta larger than the file", With([](Recipe& r) { r.metaSizeChange = 1000; }), V::Damaged},
        {"meta shorter than its boxes", With([](Recipe& r) { r.metaSizeChange = -9; }), V::Damaged},
        {"ipma lists more entries than it holds", With([](Recipe& r) { r.ipmaEntryChange = 1; }), V::Damaged},
        {"a property index past ipco", With([&](Recipe& r) { assoc({1, 99})(r); }), V::Damaged},
        {"no ispe", With([&](Recipe& r) { assoc({2})(r); }), V::Damaged},
        {"ispe over 2^31", With([&](Recipe& r) { props({Ispe(0x80000000u, 10)})(r), assoc({1})(r); }), V::Damaged},
        {"clap over zero", With([&](Recipe& r) { props({Ispe(300, 200), Clap(100, 50, 0)})(r), assoc({1, 2})(r); }),
         V::Damaged},
        {"pitm names no item", With([](Recipe& r) { r.primary = 7; }), V::Damaged},
        {"a handler other than pictures", With([](Recipe& r) { r.handler = "vide"; }), V::Damaged},
        {"mdat cut short", Make({}).substr(0, Make({}).size() - 1), V::Damaged},
        {"more boxes than the walk reads", With([](Recipe& r) { r.beforeMeta = FreeBoxes(kMaxBoxes); }), V::Damaged},
        {"no meta", Box("ftyp", "heic" + Be(0, 4) + "mif1heic") + Box("mdat", ""), V::Damaged},
    };
    // A reference whose count runs past its box: the count field of the
    // only reference says 2 where 1 follows.
    std::string lying = With([](Recipe& r) { r.references = {{"thmb", 2, {1}}}; });
    const std::size_t count = lying.find("thmb") + 4 + 2;
    lying[count + 1] = 2;
    cases.push_back({"a reference count past its box", lying, V::Damaged});
    return cases;
}

TEST(HeifBoxesTest, EveryCase) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        MemoryProbeSource source(c.bytes);
        const HeifHeader header = ProbeHeifBoxes(source);
        ASSERT_EQ(int(header.verdict), int(c.verdict));
        if (c.verdict != HeifVerdict::Recognised) continue;
        EXPECT_EQ(int(header.family), int(c.family));
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        EXPECT_EQ(header.animated, c.animated);
    }
}

// Whether a copy gets a profile: an ICC profile up to 1 MiB, or P3 and
// BT.2020 primaries given as numbers.
TEST(HeifBoxesTest, TheColourSaysWhetherACopyCarriesAProfile) {
    const struct {
        const char* what;
        std::vector<std::string> colours;
        bool profile;
    } cases[] = {
        {"none", {}, false},
        {"sRGB primaries", {Colr(1)}, false},
        {"Display P3 primaries", {Colr(12)}, true},
        {"DCI-P3 primaries", {Colr(11)}, true},
        {"BT.2020 primaries", {Colr(9)}, true},
        {"an ICC profile", {ColrIcc(3000)}, true},
        {"an empty ICC profile", {ColrIcc(0)}, false},
        {"an ICC profile over 1 MiB", {ColrIcc(kMaxColourProfileBytes + 1)}, false},
        {"an ICC profile over 1 MiB and P3 primaries", {ColrIcc(kMaxColourProfileBytes + 1), Colr(12)}, true},
    };
    for (const auto& c : cases) {
        Recipe r;
        r.properties = {Ispe(300, 200)};
        r.items[0].properties = {1};
        for (const std::string& colour : c.colours) {
            r.properties.push_back(colour);
            r.items[0].properties.push_back(int(r.properties.size()));
        }
        const std::string bytes = Make(r);
        MemoryProbeSource source(bytes);
        const HeifHeader header = ProbeHeifBoxes(source);
        ASSERT_EQ(int(header.verdict), int(HeifVerdict::Recognised)) << c.what;
        EXPECT_EQ(header.colourProfile, c.profile) << c.what;
    }
}

// Cut anywhere but between two top-level boxes, a file is never taken for a
// picture; from its ftyp on it is told apart as damaged. (Cut just before
// mdat, the boxes are whole: the decode fails instead.)
TEST(HeifBoxesTest, CutFilesAreDamaged) {
    const std::string whole = Make({});
    const std::size_t mdat = whole.size() - Recipe{}.mdat.size();
    for (std::size_t length = 12; length < whole.size(); ++length) {
        MemoryProbeSource source(std::string_view(whole).substr(0, length));
        EXPECT_EQ(int(ProbeHeifBoxes(source).verdict), int(length == mdat ? HeifVerdict::Recognised : HeifVerdict::Damaged))
            << "cut at " << length;
    }
}

// Through the registry: HEIC and AVIF entries, their type texts, and no turn
// from EXIF (libheif turns the picture by irot).
TEST(HeifBoxesTest, TheEntriesSplitByCoding) {
    const std::string heic = Make({});
    const std::string avif = With([](Recipe& r) { r.major = "avif", r.items[0].type = "av01"; });
    for (const auto& [bytes, kind, text] :
         {std::tuple{heic, ImageKind::Heic, "HEIC"}, std::tuple{avif, ImageKind::Avif, "AVIF"}}) {
        MemoryProbeSource source(bytes);
        const auto probed = ProbeImage(source, ProbeOptions::Everything());
        ASSERT_TRUE(probed.has_value()) << text;
        EXPECT_EQ(probed->Kind(), kind);
        EXPECT_EQ(probed->header.typeText, text);
        EXPECT_EQ(probed->header.orientation, 1);
        EXPECT_FALSE(ProbeImage(source, ProbeOptions{}).has_value()) << "only with MoreImageTypes";
    }
    const std::string jpegCoded = With([](Recipe& r) { r.items[0].type = "jpeg"; });
    MemoryProbeSource other(jpegCoded);
    EXPECT_EQ(SniffLookalike(other, ProbeOptions::Everything()), NotListedReason::NoSize);
    EXPECT_TRUE(FormatOf(ImageKind::Heic).WithoutCopies().has_value());
    EXPECT_FALSE(FormatOf(ImageKind::Avif).WithoutCopies().has_value());
}

}  // namespace
}  // namespace htmlimglist
