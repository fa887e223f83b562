#include "listgen/copies/CopyRecord.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace htmlimglist {
namespace {

// Room for the name in a record: what is left under 256 bytes once the
// other fields are at their longest, with some kept back for conditions
// later versions may add.
constexpr std::size_t kMaxEncodedName = 100;
constexpr std::size_t kHashText = 1 + 16;  // "~" and 64 bits in hex

uint64_t Fnv1a64(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

bool ParseInt64(std::string_view text, int64_t& value) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "key=value" with the expected key; the value in value.
bool Field(std::string_view token, std::string_view key, std::string_view& value) {
    if (token.size() <= key.size() || token.substr(0, key.size()) != key || token[key.size()] != '=') return false;
    value = token.substr(key.size() + 1);
    return true;
}

bool Flag(std::string_view token, std::string_view key, bool& on) {
    std::string_view value;
    if (!Field(token, key, value) || (value != "0" && value != "1")) return false;
    on = value == "1";
    return true;
}

int BigEndian16(std::string_view bytes, std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

}  // namespace

std::string EncodeRecordName(std::string_view fileName) {
    std::string encoded;
    for (unsigned char c : fileName) {
        if (c > ' ' && c < 0x7F && c != '%') {
            encoded += char(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += hex;
        }
    }
    if (encoded.size() <= kMaxEncodedName) return encoded;
    std::size_t keep = kMaxEncodedName - kHashText;
    // Never cut inside a %XX.
    if (keep >= 1 && encoded[keep - 1] == '%') keep -= 1;
    else if (keep >= 2 && encoded[keep - 2] == '%') keep -= 2;
    char hash[kHashText + 1];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Fnv1a64(fileName)));
    return encoded.substr(0, keep) + hash;
}

std::string FormatCopyRecord(const CopyRecord& r) {
    return std::string(kCopyRecordPrefix) + std::to_string(kCopyRecordVersion) + " dir=" + r.folder +
           " src=" + r.source +
           " size=" + std::to_string(r.sourceSize) + " mtime=" + std::to_string(r.sourceMtimeNs) +
           " fit=" + std::to_string(r.width) + "x" + std::to_string(r.height) +
           " AutoRotate=" + (r.autoRotate ? "1" : "0") + " SmoothReduce=" + (r.smoothReduce ? "1" : "0") +
           (r.colourProfile ? " ICC=1" : "");
}

std::optional<CopyRecord> ParseCopyRecord(std::string_view text) {
    if (text.size() >= kMaxCopyRecordBytes || text.substr(0, kCopyRecordPrefix.size()) != kCopyRecordPrefix)
        return std::nullopt;
    std::vector<std::string_view> tokens;
    for (std::string_view rest = text.substr(kCopyRecordPrefix.size());;) {
        const std::size_t blank = rest.find(' ');
        tokens.push_back(rest.substr(0, blank));
        if (blank == std::string_view::npos) break;
        rest.remove_prefix(blank + 1);
    }
    if ((tokens.size() != 8 && tokens.size() != 9) || tokens[0] != std::to_string(kCopyRecordVersion))
        return std::nullopt;

    CopyRecord r;
    std::string_view value, fit;
    int64_t w = 0, h = 0;
    // The folder's name is empty for the root.
    if (tokens[1].substr(0, 4) != "dir=") return std::nullopt;
    r.folder = std::string(tokens[1].substr(4));
    if (!Field(tokens[2], "src", value)) return std::nullopt;
    r.source = std::string(value);
    if (!Field(tokens[3], "size", value) || !ParseInt64(value, r.sourceSize) || r.sourceSize < 0) return std::nullopt;
    if (!Field(tokens[4], "mtime", value) || !ParseInt64(value, r.sourceMtimeNs)) return std::nullopt;
    if (!Field(tokens[5], "fit", fit)) return std::nullopt;
    const std::size_t x = fit.find('x');
    if (x == std::string_view::npos || !ParseInt64(fit.substr(0, x), w) || !ParseInt64(fit.substr(x + 1), h) ||
        w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX)
        return std::nullopt;
    r.width = int32_t(w);
    r.height = int32_t(h);
    if (!Flag(tokens[6], "AutoRotate", r.autoRotate) || !Flag(tokens[7], "SmoothReduce", r.smoothReduce))
        return std::nullopt;
    if (tokens.size() == 9 && !Flag(tokens[8], "ICC", r.colourProfile)) return std::nullopt;
    // Only the exact form a record is written in counts.
    if (FormatCopyRecord(r) != text) return std::nullopt;
    return r;
}

std::optional<std::string> RecordedFolder(std::string_view text) {
    const auto record = ParseCopyRecord(text);
    if (!record) return std::nullopt;
    return record->folder;
}

std::optional<std::string_view> FindCopyRecordText(std::string_view head) {
    // SOI, then APP0 (FF E0, length), then COM (FF FE, length, text).
    if (head.size() < 6 || static_cast<unsigned char>(head[0]) != 0xFF || static_cast<unsigned char>(head[1]) != 0xD8 ||
        static_cast<unsigned char>(head[2]) != 0xFF || static_cast<unsigned char>(head[3]) != 0xE0)
        return std::nullopt;
    if (BigEndian16(head, 4) < 2) return std::nullopt;
    const std::size_t com = 4 + std::size_t(BigEndian16(head, 4));
    if (com + 4 > head.size() || static_cast<unsigned char>(head[com]) != 0xFF ||
        static_cast<unsigned char>(head[com + 1]) != 0xFE)
        return std::nullopt;
    const int length = BigEndian16(head, com + 2);
    if (length < 2 || com + 2 + std::size_t(length) > head.size()) return std::nullopt;
    std::string_view text = head.substr(com + 4, std::size_t(length) - 2);
    if (text.substr(0, kCopyRecordPrefix.size()) != kCopyRecordPrefix) return std::nullopt;
    return text;
}

}  // namespace htmlimglist
