#include "platform/FileTime.h"

namespace htmlimglist {

FileDateTime LocalFileDateTime(time_t t) {
    struct tm tm {};
    if (localtime_r(&t, &tm) == nullptr) return {};
    FileDateTime d;
    d.year = tm.tm_year + 1900;
    d.month = tm.tm_mon + 1;
    d.day = tm.tm_mday;
    d.hour = tm.tm_hour;
    d.minute = tm.tm_min;
    d.second = tm.tm_sec & ~1;  // a leap second 60 stays even
    return d;
}

}  // namespace htmlimglist
