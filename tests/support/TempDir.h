// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
#pragma once

#include <string>
#include <string_view>

namespace htmlimglist::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path()/relative, with the folders on the way created.
    std::string Make(std::string_view relativeFolder) const;
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// Sets a file's last-write time to the given local date and time.
void SetLocalMtime(const std::string& path, int year, int month, int day, int hour, int minute, int second);

}  // namespace htmlimglist::test
