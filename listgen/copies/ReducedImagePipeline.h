// The reduced image maker of a real run: decodes, samples and encodes on a
// pool of worker threads ahead of the page, while the writer still writes
// every file, preview and cell in page order. The bytes written do not depend
// on the number of threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "listgen/copies/ReducedImageMaker.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// One reduced image made in memory: the picture at its reduced size and the
// JPEG file's bytes. ok is false when the source could not be decoded, or
// when the cancel flag stopped the work (aborted).
struct ReducedImage {
    bool ok = false;
    bool aborted = false;
    bool overLimit = false;  // refused for its size (its reason in why)
    std::string why;         // why no copy was made
    Bitmap picture;
    std::string jpeg;
};

// Decodes the request's source through its format's entry, reduced to the
// target (by the nearest pixel, or with target.smooth by area average where
// both sides shrink), and encodes it at quality 75 with the request's record.
// A set cancel flag stops the decoding soon. Never throws.
ReducedImage MakeReducedImageInMemory(const ReducedImageRequest& request,
                                      const std::atomic<bool>* cancel = nullptr, MemoryBudget* budget = nullptr);

class ReducedImagePipeline final : public ReducedImageMaker {
public:
    // jobs worker threads (at least 1), started on the first request. While
    // the abort command (when given) is set, copies being made are dropped.
    ReducedImagePipeline(CopyObserver& observer, int jobs, const std::atomic<bool>* abortCommand = nullptr);
    ~ReducedImagePipeline() override;
    ReducedImagePipeline(const ReducedImagePipeline&) = delete;
    ReducedImagePipeline& operator=(const ReducedImagePipeline&) = delete;

    CopyOutcome MakeReducedImage(const ReducedImageRequest& request, const std::string& destPath) override;
    bool WantsMore() const override;
    void Prefetch(const ReducedImageRequest& request) override;
    void DiscardAhead() override;

    // Writes a finished image to destPath (atomically) and tells the
    // observer; after a failed write the run goes on.
    static CopyOutcome SaveReducedImage(CopyObserver& observer, const ReducedImage& image,
                                        const std::string& destPath);

private:
    struct Job;

    void StartWorkers();
    void WorkerLoop();

    CopyObserver& observer_;
    const int jobs_;
    const std::atomic<bool>* abortCommand_;
    // The memory the workers' decodes hold between them.
    MemoryBudget budget_{kDecoderMemoryBudget};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;   // waiting for a worker
    std::deque<std::shared_ptr<Job>> ahead_;   // announced, not yet committed
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// Worker threads to use when none are asked for: one per core.
int DefaultJobs();

}  // namespace htmlimglist
