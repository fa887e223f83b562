#include "listgen/formats/MemoryBudget.h"

#include <chrono>

namespace htmlimglist {

MemoryBudget::Answer MemoryBudget::Take(int64_t bytes, const std::atomic<bool>* cancel) {
    if (bytes > total_) return Answer::TooLarge;
    std::unique_lock lock(mutex_);
    // The cancel flag is a plain atomic nobody signals: look at it a few
    // times a second while waiting.
    while (held_ + bytes > total_) {
        if (cancel != nullptr && cancel->load()) return Answer::Cancelled;
        released_.wait_for(lock, std::chrono::milliseconds(50));
    }
    held_ += bytes;
    return Answer::Granted;
}

void MemoryBudget::Give(int64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        held_ -= bytes;
    }
    released_.notify_all();
}

int64_t MemoryBudget::Held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

}  // namespace htmlimglist
