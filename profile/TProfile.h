// TProfile: a cursor on one entry of one section of an INI file. The caller
// points it at a file, a section and an entry, optionally gives a default
// text, and reads or writes the entry as text, as an integer or as a truth
// value. Nothing is buffered: every read and write goes to the file at once;
// a caller reading many entries reads them from one ProfileSnapshot of the
// file instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace htmlimglist {

class ProfileSnapshot;

class TProfile {
public:
    // Section, entry, default text and every text written are handed on in a
    // 256-byte zero-terminated buffer, so each holds at most 255 bytes; a
    // read returns at most 255 bytes too.
    static constexpr std::size_t kMaxTextBytes = 255;

    TProfile() = default;

    // Text that a read returns when the entry, its section or the file is
    // absent. It stays set until it is changed.
    const std::string& DefaultText() const { return defaultText_; }
    void SetDefaultText(std::string_view text);

    // Key name within the section.
    const std::string& Entry() const { return entry_; }
    void SetEntry(std::string_view text);

    // Path of the INI file. Unlike the other texts it is never cut: a cut
    // path would name some other file. A path the platform cannot take reads
    // as a missing file and refuses writes.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string_view text);

    const std::string& Section() const { return section_; }
    void SetSection(std::string_view text);

    // The entry as text. Empty, without touching the file, while the section,
    // the entry or the file name is empty.
    std::string GetText() const;
    // Whether the entry stands in the file's section, empty or not.
    bool HasEntry() const;
    // Writes text (its first 255 bytes); nothing happens while the section,
    // the entry or the file name is empty. Returns whether the file took the
    // write; callers of the system ignore it, a refused write is silent.
    bool SetText(std::string_view text);

    // The entry as a signed 32-bit integer (ParseProfileInteger); text that
    // is no integer gives 1 when it counts as true (GetState's rule), else 0.
    int32_t GetValue() const;
    // GetText and GetValue answered from snapshot, a reading of the file
    // FileName() names, instead of from the file itself.
    std::string GetText(const ProfileSnapshot& snapshot) const;
    int32_t GetValue(const ProfileSnapshot& snapshot) const;

    // Writes the decimal form of number.
    bool SetValue(int32_t number);

    // True when the entry's text is "TRUE" or "YES" in any letter case, or
    // exactly "1".
    bool GetState() const;
    // Writes "True" or "False".
    bool SetState(bool flag);

private:
    std::string defaultText_;
    std::string entry_;
    std::string fileName_ = "WIN.INI";
    std::string section_;
};

// The integer rule of GetValue: leading blanks, an optional "+" or "-", then
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X";
// nothing may follow the digits. A decimal number must lie in the int32
// range; a hexadecimal one may use all 32 bits ("$FFFFFFFF" is -1).
std::optional<int32_t> ParseProfileInteger(std::string_view text);

// The truth rule of GetState.
bool IsProfileTrue(std::string_view text);

}  // namespace htmlimglist
