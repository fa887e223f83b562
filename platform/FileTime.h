// File times as the lists show them.
#pragma once

#include <cstdint>
#include <ctime>

namespace htmlimglist {

struct FileDateTime {
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Local time of t with the seconds rounded down to an even number, as the
// two-second file time stamps of the catalogue's first home showed them
// (10:17:33 shows as 10:17:32). Years outside 1980-2107 are kept as they are
// rather than wrapped into that range.
FileDateTime LocalFileDateTime(time_t t);

}  // namespace htmlimglist
