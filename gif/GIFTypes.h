// Records, enumerations and settings shared by the parts of the GIF library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace htmlimglist {

enum class TGIFVersion { gvUnknown, gv87a, gv89a };
enum class TGIFSeverity { gsInfo, gsWarning, gsError };
enum class TDisposalMethod { dmNone, dmNoDisposal, dmBackground, dmPrevious };

inline constexpr const char* GIFVersions[2] = {"87a", "89a"};

// Base of everything that can send a warning.
class TPersistent {
public:
    virtual ~TPersistent() = default;
};

using TGIFWarning =
    std::function<void(const TPersistent* sender, TGIFSeverity severity, const std::string& message)>;

// What a load keeps of the frames after the first.
enum class TGIFFrameLoad {
    flAllFrames,   // every frame; the later ones decode on first use
    flFirstFrame,  // the first frame alone: each later one is walked for its
                   // structure, counted and freed (what drawing the first
                   // frame needs, in memory that does not grow with the count)
};

enum class TProgressStage { psStarting, psRunning, psEnding };
using TGIFProgress = std::function<void(const TPersistent* sender, TProgressStage stage, int percent,
                                        bool redrawNow, const std::string& message)>;

#pragma pack(push, 1)
// 6 bytes: "GIF" and the version.
struct TGIFVersionRec {
    char Signature[3];
    char Version[3];
};

// Logical screen descriptor, GIF89a section 18.
struct TScreenDescriptor {
    uint16_t Width;
    uint16_t Height;
    uint8_t PackedFields;  // bit 7 global table, 6-4 resolution, 3 sort, 2-0 size
    uint8_t BackgroundColorIndex;
    uint8_t AspectRatio;
};

// Image descriptor, GIF89a section 20.
struct TImageDescriptor {
    uint8_t Separator;
    uint16_t Left;
    uint16_t Top;
    uint16_t Width;
    uint16_t Height;
    uint8_t PackedFields;  // bit 7 local table, 6 interlaced, 5 sort, 2-0 size
};

// Graphic control extension block, GIF89a section 23.
struct TGIFGCERec {
    uint8_t BlockSize;
    uint8_t PackedFields;  // bit 0 transparent, 1 user input, 4-2 disposal
    uint16_t DelayTime;
    uint8_t TransparentColorIndex;
    uint8_t Terminator;
};

// Plain text extension block, GIF89a section 25.
struct TGIFPlainTextExtensionRec {
    uint8_t BlockSize;
    uint16_t Left;
    uint16_t Top;
    uint16_t Width;
    uint16_t Height;
    uint8_t CellWidth;
    uint8_t CellHeight;
    uint8_t TextFGColorIndex;
    uint8_t TextBGColorIndex;
};

using TGIFIdentifierCode = char[8];
using TGIFAuthenticationCode = char[3];

// Application extension block, GIF89a section 26.
struct TGIFApplicationRec {
    TGIFIdentifierCode Identifier;
    TGIFAuthenticationCode Authentication;
};

struct TGIFColor {
    uint8_t Red;
    uint8_t Green;
    uint8_t Blue;
    bool operator==(const TGIFColor&) const = default;
};
#pragma pack(pop)

static_assert(sizeof(TGIFVersionRec) == 6);
static_assert(sizeof(TScreenDescriptor) == 7);
static_assert(sizeof(TImageDescriptor) == 10);
static_assert(sizeof(TGIFGCERec) == 6);
static_assert(sizeof(TGIFPlainTextExtensionRec) == 13);
static_assert(sizeof(TGIFApplicationRec) == 11);
static_assert(sizeof(TGIFColor) == 3);

// A colour value as the drawing side keeps it: red | green << 8 | blue << 16.
using TColor = uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor ColorToTColor(TGIFColor c) {
    return c.Red | (TColor{c.Green} << 8) | (TColor{c.Blue} << 16);
}

// A logical palette: the colours a bitmap's indices stand for.
using TGIFPalette = std::vector<TGIFColor>;
using TGIFPaletteRef = std::shared_ptr<const TGIFPalette>;

// Draw options, member n at bit n.
enum TGIFDrawOption : uint16_t {
    goAsync = 1 << 0,
    goTransparent = 1 << 1,
    goAnimate = 1 << 2,
    goLoop = 1 << 3,
    goLoopContinously = 1 << 4,
    goValidateCanvas = 1 << 5,
    goDirectDraw = 1 << 6,
    goClearOnLoop = 1 << 7,
    goTile = 1 << 8,
    goDither = 1 << 9,
    goAutoDither = 1 << 10,
};
using TGIFDrawOptions = uint16_t;

// Library settings. They are read while loading and drawing; change them
// only while no image is being loaded or drawn.
inline TGIFDrawOptions GIFImageDefaultDrawOptions =
    goAsync | goTransparent | goAnimate | goLoop | goDither | goAutoDither;  // 0x060F
inline int GIFImageDefaultAnimationSpeed = 100;
inline bool GIFImageRenderOnLoad = false;
// The display of a desktop with 8 bits per pixel or fewer would need
// palette-aware drawing; everything here draws into 24-bit bitmaps.
inline bool PaletteDevice = false;
inline bool DoAutoDither = false;

// Limit on the pixels of a logical screen or a frame: larger ones are
// refused before anything of that size is allocated.
inline constexpr int64_t kMaxImagePixels = 100'000'000;

}  // namespace htmlimglist
