#include "platform/Path.h"

#include <unistd.h>

#include <vector>

namespace htmlimglist {

std::string CutAtLastSeparator(std::string_view path) {
    auto pos = path.rfind('/');
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(0, pos));
}

std::string NameAfterLastSeparator(std::string_view path) {
    auto pos = path.rfind('/');
    if (pos == std::string_view::npos) return {};
    return std::string(path.substr(pos + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

int PathDepth(std::string_view path) {
    int n = 0;
    for (char c : path) n += c == '/';
    return n;
}

std::string AbsolutePath(std::string_view path) {
    std::string full;
    if (path.empty() || path.front() != '/') {
        std::vector<char> buf(4096);
        while (getcwd(buf.data(), buf.size()) == nullptr) {
            if (buf.size() > (1u << 20)) return std::string(path);
            buf.resize(buf.size() * 2);
        }
        full = buf.data();
        full += '/';
    }
    full += path;

    std::vector<std::string_view> parts;
    std::string_view rest(full);
    while (!rest.empty()) {
        auto slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty()) return "/";
    std::string out;
    for (auto part : parts) {
        out += '/';
        out += part;
    }
    return out;
}

}  // namespace htmlimglist
