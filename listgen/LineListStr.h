// The line list a page is built in: a doubly linked chain of owned lines.
// Entries never move once inserted, so the writer keeps pointers to a few of
// them as insertion anchors and never searches for a line.
#pragma once

#include <string>
#include <string_view>

namespace htmlimglist {

struct LineEntry {
    LineEntry* next = nullptr;
    LineEntry* prev = nullptr;
    std::string text;  // page bytes, without a line break
};

class TLineListStr {
public:
    TLineListStr() = default;
    ~TLineListStr();
    TLineListStr(const TLineListStr&) = delete;
    TLineListStr& operator=(const TLineListStr&) = delete;

    // Adds text after the last entry, searching for it from start (null: from
    // the first entry). Returns the new entry, or null when memory runs out.
    LineEntry* AppendLine(std::string_view text, LineEntry* start = nullptr);

    // Adds text directly before entry (the new entry becomes the first when
    // entry is). Null entry, or no memory: nothing is added, null returned.
    LineEntry* InsertLine(LineEntry* entry, std::string_view text);

    void ClearLines();

    // Every line followed by CR LF, first to last.
    std::string Text() const;

    // Writes Text() to path, replacing the file only once the whole page is
    // written (a crash or a full disk leaves the old page as it was). Returns
    // whether the page was written.
    bool SaveLines(const std::string& path) const;

    LineEntry* First() const { return first_; }

private:
    LineEntry* first_ = nullptr;
};

}  // namespace htmlimglist
