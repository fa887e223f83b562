#include "listgen/formats/WideGamutProfile.h"

#include <string>

#include <lcms2.h>

namespace htmlimglist {
namespace {

// H.273 colour primaries.
constexpr int kBt2020 = 9;
constexpr int kDciP3 = 11;
constexpr int kDisplayP3 = 12;

constexpr cmsCIExyY kD65 = {0.3127, 0.3290, 1.0};
constexpr cmsCIExyY kDciWhite = {0.314, 0.351, 1.0};
constexpr cmsCIExyYTRIPLE kP3Primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
constexpr cmsCIExyYTRIPLE kBt2020Primaries = {{0.708, 0.292, 1.0}, {0.170, 0.797, 1.0}, {0.131, 0.046, 1.0}};
// Transfer curves as lcms2's parametric type 4: Y = (aX + b)^g above d,
// cX below. sRGB's (which Display P3 shares), and BT.709's, which BT.2020
// keeps for standard dynamic range.
constexpr cmsFloat64Number kSrgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
constexpr cmsFloat64Number kBt709Curve[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
// The header's creation date (offset 24, six 16-bit numbers): fixed, so a
// copy's bytes depend only on its source.
constexpr std::size_t kDateOffset = 24;
constexpr unsigned char kFixedDate[12] = {0x07, 0xE8, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};  // 2024-01-01 00:00:00

std::string MakeProfile(const cmsCIExyY& white, const cmsCIExyYTRIPLE& primaries, const cmsFloat64Number (&curve)[5],
                        const char* description) {
    std::string bytes;
    cmsToneCurve* tone = cmsBuildParametricToneCurve(nullptr, 4, curve);
    cmsToneCurve* curves[3] = {tone, tone, tone};
    cmsHPROFILE profile = tone ? cmsCreateRGBProfile(&white, &primaries, curves) : nullptr;
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    if (profile != nullptr && text != nullptr && cmsMLUsetASCII(text, "en", "US", description) &&
        cmsWriteTag(profile, cmsSigProfileDescriptionTag, text)) {
        cmsUInt32Number size = 0;
        if (cmsSaveProfileToMem(profile, nullptr, &size) && size > kDateOffset + sizeof kFixedDate) {
            bytes.resize(size);
            if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
            else bytes.replace(kDateOffset, sizeof kFixedDate, reinterpret_cast<const char*>(kFixedDate), sizeof kFixedDate);
        }
    }
    if (text != nullptr) cmsMLUfree(text);
    if (profile != nullptr) cmsCloseProfile(profile);
    if (tone != nullptr) cmsFreeToneCurve(tone);
    return bytes;
}

}  // namespace

std::string_view WideGamutProfile(int primaries) {
    switch (primaries) {
        case kDisplayP3: {
            static const std::string profile = MakeProfile(kD65, kP3Primaries, kSrgbCurve, "Display P3");
            return profile;
        }
        case kDciP3: {
            static const std::string profile = MakeProfile(kDciWhite, kP3Primaries, kSrgbCurve, "DCI-P3");
            return profile;
        }
        case kBt2020: {
            static const std::string profile = MakeProfile(kD65, kBt2020Primaries, kBt709Curve, "BT.2020");
            return profile;
        }
        default: return {};
    }
}

}  // namespace htmlimglist
