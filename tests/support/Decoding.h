// Decoding through the format registry as tests and tools ask for it: a
// picture at its full stored size (every row read, nothing turned), or
// reduced, from bytes in memory or a file.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "listgen/formats/Registry.h"

namespace htmlimglist::test {

inline DecodeInput FromBytes(std::string_view bytes) { return DecodeInput{{}, bytes}; }
inline DecodeInput FromFile(const std::string& path) { return DecodeInput{path, {}}; }

// The picture at its stored size: the header's size, sampled one to one.
bool DecodeFull(ImageKind kind, const DecodeInput& input, Bitmap& out, DecodeReport* report = nullptr);

// Reduced to width x height (upright) by the nearest pixel, or by area
// average with smooth.
bool DecodeScaled(ImageKind kind, const DecodeInput& input, int width, int height, Bitmap& out,
                  DecodeReport* report = nullptr, int orientation = 1, bool smooth = false,
                  const std::atomic<bool>* cancel = nullptr);

// Same size and every pixel equal.
bool SamePixels(const Bitmap& a, const Bitmap& b);

// Peak signal to noise ratio in dB of two pictures of one size (infinite for
// equal pictures).
double Psnr(const Bitmap& a, const Bitmap& b);

}  // namespace htmlimglist::test
