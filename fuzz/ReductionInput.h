// What the decoder fuzzers reduce to, read from the input itself: a size
// derived from its length (so real files serve as seeds unchanged), and two
// bytes from inside it that pick the EXIF orientation and the road (nearest
// pixel or area average), so every turn and both roads see every input.
// The input must not be empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "listgen/Reduction.h"

namespace htmlimglist {

struct ReductionInput {
    int width;
    int height;
    Reduction how;
};

inline ReductionInput ReductionOfInput(const uint8_t* data, size_t size) {
    ReductionInput input{1 + int(size % 197), 1 + int(size / 197 % 199), {}};
    input.how.orientation = 1 + data[size / 3] % 8;
    input.how.smooth = (data[size / 2] & 1) != 0;
    return input;
}

}  // namespace htmlimglist
