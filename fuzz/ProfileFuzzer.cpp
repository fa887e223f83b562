// The INI read/write pair and TProfile on arbitrary file bytes: reads of a
// few entries, which a snapshot of the file must answer alike, a write, and a
// read back of what was written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/PrivateProfile.h"
#include "profile/TProfile.h"

namespace {

const std::string& FilePath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/htmlimglist-profile-fuzz-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        return std::string(pattern);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    const std::string& path = FilePath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    // Section and key names also come from the input, so odd names are tried.
    std::string key = size > 0 ? std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 8)) : "k";
    const ProfileSnapshot snapshot(path);
    if (ReadPrivateProfileString("Parameters", "MaxPixel", "200", kProfileBufferSize, path) !=
            snapshot.Read("Parameters", "MaxPixel", "200", kProfileBufferSize) ||
        ReadPrivateProfileString("parameters", key, "", kProfileBufferSize, path) !=
            snapshot.Read("parameters", key, "", kProfileBufferSize)) {
        std::abort();
    }

    TProfile profile;
    profile.SetFileName(path);
    profile.SetSection("Parameters");
    profile.SetEntry("HTMLListName");
    profile.SetDefaultText("index.html");
    profile.GetText();
    profile.SetEntry("ZoomImage");
    profile.GetValue();
    profile.GetState();
    if (profile.SetValue(int32_t(size))) {
        if (profile.GetValue() != int32_t(size)) std::abort();  // what was written must read back
    }
    profile.SetEntry(key);
    if (profile.SetText("value") && profile.GetText() != "value") std::abort();
    return 0;
}
