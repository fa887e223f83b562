// The record a reduced copy carries: found in the first bytes of a file,
// then read. Whatever reads as a record must be written back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "listgen/copies/CopyRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace htmlimglist;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::string_view text : {bytes, FindCopyRecordText(bytes.substr(0, kCopyRecordReadBytes)).value_or("")}) {
        if (const auto record = ParseCopyRecord(text)) {
            if (FormatCopyRecord(*record) != text) std::abort();
        }
    }
    const std::string name = EncodeRecordName(bytes.substr(0, 255));
    if (name.size() > 100 || ParseCopyRecord(name).has_value()) std::abort();
    return 0;
}
