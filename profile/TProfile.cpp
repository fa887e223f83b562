#include "profile/TProfile.h"

#include <string>

#include "platform/PrivateProfile.h"
#include "platform/Text.h"

namespace htmlimglist {
namespace {

std::string_view Limited(std::string_view text) { return text.substr(0, TProfile::kMaxTextBytes); }

// GetValue's rule for an entry's text.
int32_t ValueOfText(const std::string& text) {
    if (std::optional<int32_t> number = ParseProfileInteger(text)) return *number;
    return IsProfileTrue(text) ? 1 : 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void TProfile::SetDefaultText(std::string_view text) { defaultText_ = Limited(text); }
void TProfile::SetEntry(std::string_view text) { entry_ = Limited(text); }
void TProfile::SetFileName(std::string_view text) { fileName_ = text; }
void TProfile::SetSection(std::string_view text) { section_ = Limited(text); }

std::string TProfile::GetText() const {
    if (section_.empty() || entry_.empty() || fileName_.empty()) return {};
    return ReadPrivateProfileString(section_, entry_, defaultText_, kProfileBufferSize, fileName_);
}

bool TProfile::HasEntry() const {
    if (section_.empty() || entry_.empty() || fileName_.empty()) return false;
    // A read answers its default only for an absent entry, so an entry that
    // answers two different defaults with those defaults is absent.
    return ReadPrivateProfileString(section_, entry_, "0", kProfileBufferSize, fileName_) != "0" ||
           ReadPrivateProfileString(section_, entry_, "1", kProfileBufferSize, fileName_) != "1";
}

bool TProfile::SetText(std::string_view text) {
    if (section_.empty() || entry_.empty() || fileName_.empty()) return false;
    return WritePrivateProfileString(section_, entry_, Limited(text), fileName_);
}

int32_t TProfile::GetValue() const { return ValueOfText(GetText()); }

std::string TProfile::GetText(const ProfileSnapshot& snapshot) const {
    if (section_.empty() || entry_.empty() || fileName_.empty()) return {};
    return snapshot.Read(section_, entry_, defaultText_, kProfileBufferSize);
}

int32_t TProfile::GetValue(const ProfileSnapshot& snapshot) const { return ValueOfText(GetText(snapshot)); }

bool TProfile::SetValue(int32_t number) { return SetText(std::to_string(number)); }

bool TProfile::GetState() const { return IsProfileTrue(GetText()); }

bool TProfile::SetState(bool flag) { return SetText(flag ? "True" : "False"); }

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;

    // Decimal numbers may reach 2^31 only as a negative; hexadecimal ones
    // fill all 32 bits.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    uint64_t magnitude = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0 || digit >= base) return std::nullopt;
        magnitude = magnitude * uint64_t(base) + uint64_t(digit);
        if (magnitude > limit) return std::nullopt;
    }
    uint32_t bits = uint32_t(magnitude);
    if (negative) bits = 0u - bits;
    return int32_t(bits);
}

bool IsProfileTrue(std::string_view text) {
    return EqualsIgnoreAsciiCase(text, "TRUE") || EqualsIgnoreAsciiCase(text, "YES") ||
           text == "1";
}

}  // namespace htmlimglist
