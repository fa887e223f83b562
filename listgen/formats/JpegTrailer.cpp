#include "listgen/formats/JpegTrailer.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace htmlimglist {
namespace {

// ---- XMP -------------------------------------------------------------------

constexpr std::string_view kRdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kContainerNamespace = "http://ns.google.com/photos/1.0/container/";
constexpr std::string_view kItemNamespace = "http://ns.google.com/photos/1.0/container/item/";
constexpr std::string_view kCameraNamespace = "http://ns.google.com/photos/1.0/camera/";

// The prefixes phones use for these namespaces; they stand for them only
// when a packet uses them without binding them.
struct Binding {
    std::string_view prefix, uri;
};
constexpr Binding kUsualPrefixes[] = {
    {"rdf", kRdfNamespace},
    {"Container", kContainerNamespace},
    {"Item", kItemNamespace},
    {"GCamera", kCameraNamespace},
};

// Namespace declarations remembered from the packet. A packet declares a
// handful, on rdf:Description; scopes are not tracked (a later declaration
// of a prefix replaces the earlier one), and declarations beyond the table's
// size are not remembered.
constexpr std::size_t kMaxBindings = 64;

// Lengths beyond this are not file sizes; refusing them keeps sums exact.
constexpr int64_t kMaxLength = int64_t(1) << 52;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsXmlSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsXmlSpace(s.back())) s.remove_suffix(1);
    return s;
}

// A decimal integer with an optional sign and blanks around it.
std::optional<int64_t> ParseInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 16) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

struct QualifiedName {
    std::string_view uri, local;
    bool Is(std::string_view u, std::string_view l) const { return uri == u && local == l; }
};

class XmpReader {
public:
    explicit XmpReader(std::string_view text) : text_(text) {}

    XmpTrailerLengths Read() {
        std::size_t at = 0;
        while (at < text_.size()) {
            const std::size_t open = text_.find('<', at);
            if (open == std::string_view::npos) break;
            if (open > at) Text(text_.substr(at, open - at));
            const std::size_t next = Markup(open);
            if (next == std::string_view::npos) break;
            at = next;
        }
        XmpTrailerLengths result;
        result.microVideo = microVideo_;
        if (directoryClosed_ && !directoryBroken_ && items_ >= 2) result.directory = directorySum_;
        return result;
    }

private:
    enum class Capture { None, MicroVideo, ItemLength };

    // The markup starting with '<' at `open`; returns where reading goes on
    // (npos: malformed or cut, stop).
    std::size_t Markup(std::size_t open) {
        const std::string_view rest = text_.substr(open);
        if (rest.starts_with("<?")) return Past(open, "?>");
        if (rest.starts_with("<!--")) return Past(open, "-->");
        if (rest.starts_with("<![CDATA[")) return Past(open, "]]>");
        if (rest.starts_with("<!")) return Past(open, ">");
        if (rest.starts_with("</")) {
            const std::size_t end = text_.find('>', open);
            if (end == std::string_view::npos) return end;
            EndElement();
            return end + 1;
        }
        return StartTag(open);
    }

    std::size_t Past(std::size_t from, std::string_view closing) const {
        const std::size_t end = text_.find(closing, from + 2);
        return end == std::string_view::npos ? end : end + closing.size();
    }

    // The '>' that ends the tag opened at `open`, outside quoted values.
    std::size_t TagEnd(std::size_t open) const {
        for (std::size_t i = open + 1; i < text_.size(); ++i) {
            const char c = text_[i];
            if (c == '"' || c == '\'') {
                i = text_.find(c, i + 1);
                if (i == std::string_view::npos) return i;
            } else if (c == '>') {
                return i;
            } else if (c == '<') {
                return std::string_view::npos;
            }
        }
        return std::string_view::npos;
    }

    // Walks name="value" pairs; false at the end or at something else.
    static bool NextAttribute(std::string_view& rest, std::string_view& name, std::string_view& value,
                              bool& malformed) {
        rest = Trim(rest);
        if (rest.empty()) return false;
        const std::size_t equals = rest.find('=');
        if (equals == std::string_view::npos) return malformed = true, false;
        name = Trim(rest.substr(0, equals));
        rest = Trim(rest.substr(equals + 1));
        if (name.empty() || rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return malformed = true, false;
        const std::size_t close = rest.find(rest.front(), 1);
        if (close == std::string_view::npos) return malformed = true, false;
        value = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        return true;
    }

    std::size_t StartTag(std::size_t open) {
        const std::size_t end = TagEnd(open);
        if (end == std::string_view::npos) return end;
        std::string_view inside = text_.substr(open + 1, end - open - 1);
        const bool empty = !inside.empty() && inside.back() == '/';
        if (empty) inside.remove_suffix(1);
        std::size_t nameEnd = 0;
        while (nameEnd < inside.size() && !IsXmlSpace(inside[nameEnd])) ++nameEnd;
        const std::string_view name = inside.substr(0, nameEnd);
        const std::string_view attributes = inside.substr(nameEnd);
        if (name.empty()) return std::string_view::npos;

        // Declarations first: they may bind the tag's own prefix.
        std::string_view rest = attributes, attribute, value;
        bool malformed = false;
        while (NextAttribute(rest, attribute, value, malformed)) {
            if (attribute.starts_with("xmlns:")) Bind(attribute.substr(6), value);
        }
        if (malformed) return std::string_view::npos;

        StartElement(Resolve(name));
        rest = attributes;
        while (NextAttribute(rest, attribute, value, malformed)) Property(Resolve(attribute), value);
        if (empty) EndElement();
        return end + 1;
    }

    void Bind(std::string_view prefix, std::string_view uri) {
        for (std::size_t i = 0; i < bindingCount_; ++i) {
            if (bindings_[i].prefix == prefix) {
                bindings_[i].uri = uri;
                return;
            }
        }
        if (bindingCount_ < kMaxBindings) bindings_[bindingCount_++] = {prefix, uri};
    }

    QualifiedName Resolve(std::string_view name) const {
        const std::size_t colon = name.find(':');
        if (colon == std::string_view::npos) return {{}, name};
        const std::string_view prefix = name.substr(0, colon), local = name.substr(colon + 1);
        for (std::size_t i = 0; i < bindingCount_; ++i) {
            if (bindings_[i].prefix == prefix) return {bindings_[i].uri, local};
        }
        for (const Binding& usual : kUsualPrefixes) {
            if (usual.prefix == prefix) return {usual.uri, local};
        }
        return {{}, local};
    }

    void StartElement(const QualifiedName& name) {
        ++depth_;
        capture_ = Capture::None;
        if (!directoryClosed_ && directoryDepth_ == 0 && name.Is(kContainerNamespace, "Directory")) {
            directoryDepth_ = depth_;
        } else if (directoryDepth_ != 0 && itemDepth_ == 0 &&
                   (name.Is(kRdfNamespace, "li") || name.Is(kContainerNamespace, "Item"))) {
            // An item is an rdf:li of the directory's list, or a
            // Container:Item written straight into the list.
            itemDepth_ = depth_;
            itemLength_ = -1;
        }
        if (name.Is(kCameraNamespace, "MicroVideoOffset")) capture_ = Capture::MicroVideo;
        if (itemDepth_ != 0 && name.Is(kItemNamespace, "Length")) capture_ = Capture::ItemLength;
    }

    void EndElement() {
        capture_ = Capture::None;
        if (depth_ == 0) return;  // a stray end tag
        if (depth_ == itemDepth_) {
            // The first item is the primary image, the file's JPEG part.
            if (items_ >= 1) {
                if (itemLength_ < 0 || directorySum_ > kMaxLength - itemLength_) {
                    directoryBroken_ = true;
                } else {
                    directorySum_ += itemLength_;
                }
            }
            ++items_;
            itemDepth_ = 0;
        }
        if (depth_ == directoryDepth_) {
            directoryDepth_ = 0;
            directoryClosed_ = true;
        }
        --depth_;
    }

    void Property(const QualifiedName& name, std::string_view value) {
        if (name.Is(kCameraNamespace, "MicroVideoOffset")) SetMicroVideo(value);
        if (itemDepth_ != 0 && name.Is(kItemNamespace, "Length")) SetItemLength(value);
    }

    // Character data; it is the value of the element just opened when that
    // is a property looked for.
    void Text(std::string_view text) {
        if (capture_ == Capture::MicroVideo) SetMicroVideo(text);
        if (capture_ == Capture::ItemLength) SetItemLength(text);
        capture_ = Capture::None;
    }

    void SetMicroVideo(std::string_view value) {
        const std::optional<int64_t> offset = ParseInteger(value);
        if (offset && *offset > 0 && *offset <= kMaxLength) microVideo_ = *offset;
    }

    void SetItemLength(std::string_view value) {
        const std::optional<int64_t> length = ParseInteger(value);
        itemLength_ = length && *length >= 0 && *length <= kMaxLength ? *length : -1;
    }

    std::string_view text_;
    Binding bindings_[kMaxBindings];
    std::size_t bindingCount_ = 0;
    int64_t depth_ = 0;           // elements open
    int64_t directoryDepth_ = 0;  // depth of the open directory element, 0 outside it
    bool directoryClosed_ = false;
    bool directoryBroken_ = false;
    int64_t itemDepth_ = 0;       // depth of the element that opened the current item, 0 outside
    int64_t itemLength_ = -1;
    int64_t items_ = 0;
    int64_t directorySum_ = 0;
    int64_t microVideo_ = -1;
    Capture capture_ = Capture::None;
};

// ---- SEF -------------------------------------------------------------------

constexpr std::size_t kSefTrailerLength = 8;   // directory length, "SEFT"
constexpr std::size_t kSefHeaderLength = 12;   // "SEFH", version, entry count
constexpr std::size_t kSefEntryLength = 12;    // type, offset back, length

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

XmpTrailerLengths ReadXmpTrailerLengths(std::span<const uint8_t> packet) {
    return XmpReader(std::string_view(reinterpret_cast<const char*>(packet.data()), packet.size())).Read();
}

int64_t SefDataStart(std::span<const uint8_t> tail, int64_t fileSize) {
    if (tail.size() < kSefTrailerLength + kSefHeaderLength || int64_t(tail.size()) > fileSize) return -1;
    const uint8_t* end = tail.data() + tail.size();
    if (!std::equal(end - 4, end, "SEFT")) return -1;
    const uint32_t directoryLength = LittleEndian32(end - 8);
    if (directoryLength < kSefHeaderLength || directoryLength > tail.size() - kSefTrailerLength) return -1;
    const uint8_t* directory = end - kSefTrailerLength - directoryLength;
    if (!std::equal(directory, directory + 4, "SEFH")) return -1;
    const uint32_t count = LittleEndian32(directory + 8);
    if (count == 0 || count > (directoryLength - kSefHeaderLength) / kSefEntryLength) return -1;
    const int64_t directoryAt = fileSize - int64_t(kSefTrailerLength) - int64_t(directoryLength);
    int64_t farthest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = directory + kSefHeaderLength + std::size_t(i) * kSefEntryLength;
        const int64_t back = LittleEndian32(entry + 4), length = LittleEndian32(entry + 8);
        if (back == 0 || back > directoryAt || length > back) return -1;
        farthest = std::max(farthest, back);
    }
    return directoryAt - farthest;
}

int64_t PaddingStart(std::span<const uint8_t> tail, int64_t fileSize) {
    if (int64_t(tail.size()) > fileSize) return -1;
    std::size_t kept = tail.size();
    while (kept > 0 && (tail[kept - 1] == 0x00 || tail[kept - 1] == 0xFF)) --kept;
    if (kept < 2 || tail[kept - 2] != 0xFF || tail[kept - 1] != 0xD9) return -1;
    return fileSize - int64_t(tail.size() - kept);
}

}  // namespace htmlimglist
