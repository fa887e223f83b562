// Fitting an image into the size limit of a list.
#pragma once

#include <cstdint>

namespace htmlimglist {

enum class Zoom { KeepSmaller, EnlargeSmaller };

struct FittedSize {
    int32_t width = 1;
    int32_t height = 1;
    bool unscaled = true;  // the image keeps its own size
};

// The longer side becomes maxSize (when it exceeds it, or always with
// EnlargeSmaller), the other side follows through a ratio with four decimals;
// every division truncates, so 700 x 300 at 350 gives 350 x 149. Fitted sides
// are never below 1.
FittedSize FitImageSize(int32_t width, int32_t height, int32_t maxSize, Zoom zoom);

}  // namespace htmlimglist
