#include "listgen/LineListStr.h"

#include <new>

#include "platform/AtomicFile.h"

namespace htmlimglist {
namespace {

LineEntry* NewEntry(std::string_view text) {
    try {
        auto* entry = new LineEntry;
        try {
            entry->text.assign(text);
        } catch (const std::bad_alloc&) {
            delete entry;
            return nullptr;
        }
        return entry;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

TLineListStr::~TLineListStr() { ClearLines(); }

LineEntry* TLineListStr::AppendLine(std::string_view text, LineEntry* start) {
    LineEntry* entry = NewEntry(text);
    if (entry == nullptr) return nullptr;
    LineEntry* last = start != nullptr ? start : first_;
    while (last != nullptr && last->next != nullptr) last = last->next;
    if (last == nullptr) {
        first_ = entry;
    } else {
        last->next = entry;
        entry->prev = last;
    }
    return entry;
}

LineEntry* TLineListStr::InsertLine(LineEntry* entry, std::string_view text) {
    if (entry == nullptr) return nullptr;
    LineEntry* added = NewEntry(text);
    if (added == nullptr) return nullptr;
    added->next = entry;
    added->prev = entry->prev;
    if (entry->prev != nullptr) {
        entry->prev->next = added;
    } else {
        first_ = added;
    }
    entry->prev = added;
    return added;
}

void TLineListStr::ClearLines() {
    LineEntry* entry = first_;
    while (entry != nullptr) {
        LineEntry* next = entry->next;
        delete entry;
        entry = next;
    }
    first_ = nullptr;
}

std::string TLineListStr::Text() const {
    std::size_t total = 0;
    for (LineEntry* e = first_; e != nullptr; e = e->next) total += e->text.size() + 2;
    std::string out;
    out.reserve(total);
    for (LineEntry* e = first_; e != nullptr; e = e->next) {
        out += e->text;
        out += "\r\n";
    }
    return out;
}

bool TLineListStr::SaveLines(const std::string& path) const {
    return WriteFileAtomically(path, Text());
}

}  // namespace htmlimglist
