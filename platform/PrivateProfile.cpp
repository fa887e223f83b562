#include "platform/PrivateProfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/Text.h"

namespace htmlimglist {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A path the platform can take as it is: not empty, no zero byte (which would
// silently cut it into another path) and shorter than PATH_MAX with its zero.
bool UsablePath(const std::string& path) {
    return !path.empty() && path.size() < PATH_MAX && path.find('\0') == std::string::npos;
}

enum class LineKind { Other, Section, Key };

// One line of the file as it stands, with the parts a lookup needs.
struct Line {
    std::string_view raw;   // the whole line with its line end, as in the file
    std::string_view body;  // without the line end (LF or CR LF)
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name or key, blanks trimmed
    std::size_t valueStart = 0;  // key lines: offset in body where the value begins
};

Line ParseLine(std::string_view raw) {
    Line line;
    line.raw = raw;
    std::string_view body = raw;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    line.body = body;

    std::string_view text = TrimBlanks(body);
    if (text.empty() || text.front() == ';') return line;
    if (text.front() == '[') {
        std::string_view inner = text.substr(1);
        std::size_t close = inner.rfind(']');
        if (close != std::string_view::npos) inner = inner.substr(0, close);
        line.kind = LineKind::Section;
        line.name = TrimBlanks(inner);
        return line;
    }
    std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) return line;
    line.kind = LineKind::Key;
    line.name = TrimBlanks(body.substr(0, eq));
    std::size_t start = eq + 1;
    while (start < body.size() && IsBlank(body[start])) ++start;
    line.valueStart = start;
    return line;
}

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        std::size_t nl = content.find('\n');
        std::size_t len = nl == std::string_view::npos ? content.size() : nl + 1;
        lines.push_back(ParseLine(content.substr(0, len)));
        content.remove_prefix(len);
    }
    return lines;
}

std::string_view ValueOf(const Line& line) {
    std::string_view value = TrimBlanks(line.body.substr(line.valueStart));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a key stands, or where it would go: the key's own line, or else the
// line after the last entry of the first matching section (after its header
// when it has none), so that blank lines and comments that lead into the
// next section stay with it.
struct Location {
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> sectionEnd;
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    bool inSection = false;
    bool firstSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Section) {
            inSection = EqualsIgnoreAsciiCase(line.name, section);
            firstSection = inSection && !where.sectionEnd;
            if (firstSection) where.sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (line.kind == LineKind::Key && EqualsIgnoreAsciiCase(line.name, key)) {
            where.keyLine = i;
            return where;
        }
        if (firstSection && line.kind == LineKind::Key) where.sectionEnd = i + 1;
    }
    return where;
}

// The whole of a file, or why it was not read.
struct FileContent {
    ProfileFileStatus status = ProfileFileStatus::Missing;
    std::string reason;
    std::string bytes;
};

FileContent Refused(ProfileFileStatus status, std::string reason) {
    return {status, std::move(reason), {}};
}

FileContent RefusedBy(int error) {
    return Refused(error == ENOENT ? ProfileFileStatus::Missing : ProfileFileStatus::Unreadable,
                   std::strerror(error));
}

FileContent TooLarge(uintmax_t size) {
    return Refused(ProfileFileStatus::TooLarge, Format("larger than 1 MiB (%ju bytes)", size));
}

// Reads the whole file, refusing anything but a regular file before opening
// it: the path comes from the user, not from a listing, and opening a device
// could act on it. OpenRegularFile checks again once it is open, since
// something else may have been put at path in between. A file over the bound
// is refused by its size before a byte is read, and by what a read gives
// when it grows in the meantime.
FileContent ReadProfileFile(const std::string& path) {
    if (path.empty()) return RefusedBy(ENOENT);
    if (path.find('\0') != std::string::npos) return RefusedBy(EINVAL);
    if (path.size() >= PATH_MAX) return RefusedBy(ENAMETOOLONG);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return RefusedBy(errno);
    if (S_ISDIR(st.st_mode)) return RefusedBy(EISDIR);
    if (!S_ISREG(st.st_mode)) return Refused(ProfileFileStatus::Unreadable, "not a regular file");
    if (uintmax_t(st.st_size) > kMaxProfileFileBytes) return TooLarge(uintmax_t(st.st_size));
    UniqueFd fd = OpenRegularFile(path, &st);
    if (!fd) {
        return errno == EINVAL ? Refused(ProfileFileStatus::Unreadable, "not a regular file") : RefusedBy(errno);
    }
    if (uintmax_t(st.st_size) > kMaxProfileFileBytes) return TooLarge(uintmax_t(st.st_size));

    FileContent file;
    file.status = ProfileFileStatus::Loaded;
    file.bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return RefusedBy(errno);
        }
        if (n == 0) break;
        if (file.bytes.size() + std::size_t(n) > kMaxProfileFileBytes) {
            const bool sized = fstat(fd.get(), &st) == 0 && uintmax_t(st.st_size) > kMaxProfileFileBytes;
            return TooLarge(sized ? uintmax_t(st.st_size) : file.bytes.size() + std::size_t(n));
        }
        file.bytes.append(buffer, std::size_t(n));
    }
    return file;
}

// A read's result, stored text or default alike, as the caller's
// zero-terminated buffer of bufferSize bytes holds it.
std::string CutForBuffer(std::string_view text, std::size_t bufferSize) {
    text = text.substr(0, text.find('\0'));
    std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
    return std::string(text.substr(0, limit));
}

// FNV-1a over the name with ASCII letters folded, so that names equal by
// EqualsIgnoreAsciiCase hash alike.
uint32_t NameHash(std::string_view name) {
    uint32_t hash = 2166136261u;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        hash = (hash ^ uint8_t(c)) * 16777619u;
    }
    return hash;
}

// The line that starts at offset in content, parsed.
Line LineAt(std::string_view content, std::size_t offset) {
    std::size_t nl = content.find('\n', offset);
    std::size_t end = nl == std::string_view::npos ? content.size() : nl + 1;
    return ParseLine(content.substr(offset, end - offset));
}

bool HasLineBreakOrZero(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Texts that would not read back as the same section, key and value.
bool WritableEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || key.empty()) return false;
    if (HasLineBreakOrZero(section) || HasLineBreakOrZero(key) || HasLineBreakOrZero(value)) {
        return false;
    }
    if (section.find(']') != std::string_view::npos) return false;
    if (key.find('=') != std::string_view::npos) return false;
    return key.front() != '[' && key.front() != ';';
}

// The file a write replaces: path itself, or the regular file a symlink at
// path leads to (replacing the link by a file would cut it off from its
// target). Empty when the write must be refused.
std::string WriteTarget(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? path : std::string();
    if (S_ISREG(st.st_mode)) return path;
    if (!S_ISLNK(st.st_mode)) return {};
    std::unique_ptr<char, void (*)(void*)> resolved(realpath(path.c_str(), nullptr), std::free);
    if (!resolved) return {};  // dangling or looping link
    std::string target = resolved.get();
    if (stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !UsablePath(target)) return {};
    return target;
}

}  // namespace

std::string ReadPrivateProfileString(std::string_view section, std::string_view key,
                                     std::string_view defaultText, std::size_t bufferSize,
                                     const std::string& path) {
    // One entry is read by the same rules as many: through a snapshot.
    return ProfileSnapshot(path).Read(section, key, defaultText, bufferSize);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!WritableEntry(section, key, value) || !UsablePath(path)) return false;
    std::string target = WriteTarget(path);
    if (target.empty()) return false;

    std::string content;
    struct stat st;
    if (stat(target.c_str(), &st) == 0) {
        // Never replace a file whose present content could not be read: that
        // would lose every other entry in it.
        FileContent old = ReadProfileFile(target);
        if (old.status != ProfileFileStatus::Loaded) return false;
        content = std::move(old.bytes);
    }

    std::vector<Line> lines = SplitLines(content);
    Location where = Locate(lines, section, key);
    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);

    auto appendLine = [&out](const Line& line) { out += line.raw; };
    auto endOpenLine = [&out] {
        if (!out.empty() && out.back() != '\n') out += kLineEnd;
    };
    auto appendEntry = [&] {
        endOpenLine();
        out += key;
        out += '=';
        out += value;
        out += kLineEnd;
    };

    if (where.keyLine) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i != *where.keyLine) {
                appendLine(lines[i]);
                continue;
            }
            const Line& line = lines[i];
            out += line.body.substr(0, line.valueStart);
            out += value;
            out += line.raw.substr(line.body.size());  // its own line end, if any
        }
    } else if (where.sectionEnd) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == *where.sectionEnd) appendEntry();
            appendLine(lines[i]);
        }
        if (*where.sectionEnd == lines.size()) appendEntry();
    } else {
        out = content;
        endOpenLine();
        out += '[';
        out += section;
        out += ']';
        out += kLineEnd;
        appendEntry();
    }
    // Never write a file that the next read would refuse.
    if (out.size() > kMaxProfileFileBytes) return false;
    return WriteFileAtomically(target, out);
}

ProfileSnapshot::ProfileSnapshot(const std::string& path) {
    FileContent file = ReadProfileFile(path);
    status_ = file.status;
    reason_ = std::move(file.reason);
    content_ = std::move(file.bytes);
    Index();
}

void ProfileSnapshot::Index() {
    // Every key line holds a "=", so this many entries at most: one
    // allocation, and no more than the file needs.
    const std::size_t keyLines = std::size_t(std::count(content_.begin(), content_.end(), '='));
    entries_.reserve(keyLines);
    std::string_view content = content_;
    // The last section header so far; keys before the first one belong to
    // no section and never match.
    bool inSection = false;
    uint32_t sectionHash = 0, sectionLine = 0;
    for (std::size_t offset = 0; offset < content.size();) {
        std::size_t nl = content.find('\n', offset);
        std::size_t end = nl == std::string_view::npos ? content.size() : nl + 1;
        Line line = ParseLine(content.substr(offset, end - offset));
        if (line.kind == LineKind::Section) {
            inSection = true;
            sectionHash = NameHash(line.name);
            sectionLine = uint32_t(offset);
        } else if (line.kind == LineKind::Key && inSection) {
            entries_.push_back({sectionHash, NameHash(line.name), sectionLine, uint32_t(offset)});
        }
        offset = end;
    }
}

std::string ProfileSnapshot::Read(std::string_view section, std::string_view key, std::string_view defaultText,
                                  std::size_t bufferSize) const {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    const uint32_t sectionHash = NameHash(section), keyHash = NameHash(key);
    std::string_view result = defaultText;
    for (const Entry& entry : entries_) {
        if (entry.keyHash != keyHash || entry.sectionHash != sectionHash) continue;
        Line keyLine = LineAt(content_, entry.keyLine);
        if (!EqualsIgnoreAsciiCase(keyLine.name, key) ||
            !EqualsIgnoreAsciiCase(LineAt(content_, entry.sectionLine).name, section)) {
            continue;
        }
        result = ValueOf(keyLine);
        break;
    }
    return CutForBuffer(result, bufferSize);
}

}  // namespace htmlimglist
