// Memory that the decodes running at once may hold between them. A decode
// asks for what it is about to hold before it takes it: it waits while the
// others hold too much of the budget, and it is refused when it asks for more
// than the whole of it. Safe to share between threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace htmlimglist {

// What the reduced-image workers of a run share.
inline constexpr int64_t kDecoderMemoryBudget = int64_t(512) * 1024 * 1024;

class MemoryBudget {
public:
    explicit MemoryBudget(int64_t bytes) : total_(bytes) {}

    enum class Answer { Granted, TooLarge, Cancelled };
    // Takes bytes from the budget, waiting while others hold too much of it;
    // a set cancel flag ends the wait.
    Answer Take(int64_t bytes, const std::atomic<bool>* cancel);
    void Give(int64_t bytes);

    int64_t Total() const { return total_; }
    int64_t Held() const;

private:
    const int64_t total_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    int64_t held_ = 0;
};

// What one decode holds; given back when it ends.
class BudgetLease {
public:
    BudgetLease() = default;
    BudgetLease(const BudgetLease&) = delete;
    BudgetLease& operator=(const BudgetLease&) = delete;
    ~BudgetLease() { Release(); }

    void Hold(MemoryBudget* budget, int64_t bytes) {
        Release();
        budget_ = budget;
        bytes_ = bytes;
    }
    void Release() {
        if (budget_ != nullptr) budget_->Give(bytes_);
        budget_ = nullptr;
    }

private:
    MemoryBudget* budget_ = nullptr;
    int64_t bytes_ = 0;
};

}  // namespace htmlimglist
