// What the decoder fuzzers reduce to, read from the input itself: a size
// derived from its length (so real files serve as seeds unchanged), and two
// bytes from inside it that pick the EXIF orientation and the way of
// reducing (nearest pixel or area average), so every turn and both ways see
// every input. The input must not be empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "listgen/reduce/RowReducer.h"

namespace htmlimglist {

struct ReductionInput {
    ReduceTarget target;
};

inline ReductionInput ReductionOfInput(const uint8_t* data, size_t size) {
    ReductionInput input;
    input.target.width = 1 + int(size % 197);
    input.target.height = 1 + int(size / 197 % 199);
    input.target.orientation = 1 + data[size / 3] % 8;
    input.target.smooth = (data[size / 2] & 1) != 0;
    return input;
}

}  // namespace htmlimglist
