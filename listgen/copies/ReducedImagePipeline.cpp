#include "listgen/copies/ReducedImagePipeline.h"

#include <malloc.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "listgen/copies/JpegEncoder.h"
#include "platform/AtomicFile.h"

namespace htmlimglist {

namespace {
// Jobs in flight per worker: enough to keep every core busy while the
// writer commits, few enough to keep memory flat.
constexpr std::size_t kJobsPerWorker = 2;
// Blocks from this size on are taken from the system and given back when
// freed (glibc's own starting bound).
constexpr int kLargeBlockBytes = 128 * 1024;
}  // namespace

ReducedImage MakeReducedImageInMemory(const ReducedImageRequest& request, const std::atomic<bool>* cancel,
                                      MemoryBudget* budget) {
    ReducedImage result;
    try {
        DecodeControl control;
        control.cancel = cancel;
        control.budget = budget;
        DecodeReport report;
        if (!DecodeReducedImage(request.kind, DecodeInput{request.sourcePath, {}}, request.target, control,
                                result.picture, report)) {
            result.aborted = report.aborted;
            result.overLimit = report.overLimit && !report.aborted;
            result.why = report.error;
            return result;
        }
        result.ok = EncodeJpeg(result.picture, kCopyQuality, result.jpeg, request.record, report.colourProfile);
    } catch (const std::exception&) {
        // Memory running out: no copy.
        result.ok = false;
    }
    return result;
}

struct ReducedImagePipeline::Job {
    ReducedImageRequest request;
    bool done = false;
    bool cancelled = false;
    ReducedImage result;
};

ReducedImagePipeline::ReducedImagePipeline(CopyObserver& observer, int jobs, const std::atomic<bool>* abortCommand)
    : observer_(observer), jobs_(jobs < 1 ? 1 : jobs), abortCommand_(abortCommand) {}

ReducedImagePipeline::~ReducedImagePipeline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void ReducedImagePipeline::StartWorkers() {
    if (!workers_.empty()) return;
    // A decode holds a photo's picture in a few blocks of tens of MB. glibc
    // serves blocks that large from the system and hands them back when
    // freed, until it sees one freed: then it raises that bound and keeps
    // the next ones in the heap of the thread that took them, and a run over
    // many photos on several workers grows to several times what one decode
    // takes (400 MB for 30 AVIF photos on two workers, 180 MB with this).
    // Fixing the bound keeps large blocks going back.
    static const bool largeBlocksGoBack = mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes) != 0;
    (void)largeBlocksGoBack;
    for (int i = 0; i < jobs_; ++i) workers_.emplace_back([this] { WorkerLoop(); });
}

void ReducedImagePipeline::WorkerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        std::shared_ptr<Job> job = queue_.front();
        queue_.pop_front();
        if (job->cancelled) continue;
        lock.unlock();
        ReducedImage result = MakeReducedImageInMemory(job->request, abortCommand_, &budget_);
        lock.lock();
        job->result = std::move(result);
        job->done = true;
        wake_.notify_all();
    }
}

bool ReducedImagePipeline::WantsMore() const {
    std::lock_guard lock(mutex_);
    return ahead_.size() < kJobsPerWorker * std::size_t(jobs_);
}

void ReducedImagePipeline::Prefetch(const ReducedImageRequest& request) {
    auto job = std::make_shared<Job>();
    job->request = request;
    {
        std::lock_guard lock(mutex_);
        StartWorkers();
        ahead_.push_back(job);
        queue_.push_back(job);
    }
    wake_.notify_one();
}

void ReducedImagePipeline::DiscardAhead() {
    std::lock_guard lock(mutex_);
    for (auto& job : ahead_) job->cancelled = true;
    ahead_.clear();
    // Cancelled jobs still queued are dropped by the workers unrun; one that
    // is running finishes and its result is thrown away.
}

CopyOutcome ReducedImagePipeline::MakeReducedImage(const ReducedImageRequest& request, const std::string& destPath) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        if (!ahead_.empty()) {
            job = ahead_.front();
            ahead_.pop_front();
            if (!(job->request == request)) {
                // Not what was announced: drop everything ahead and make this
                // one here (the writer never does this; it keeps the result right).
                job->cancelled = true;
                for (auto& j : ahead_) j->cancelled = true;
                ahead_.clear();
                job.reset();
            } else {
                wake_.wait(lock, [&] { return job->done; });
            }
        }
    }
    if (job) return SaveReducedImage(observer_, job->result, destPath);
    return SaveReducedImage(observer_, MakeReducedImageInMemory(request, abortCommand_, &budget_), destPath);
}

CopyOutcome ReducedImagePipeline::SaveReducedImage(CopyObserver& observer, const ReducedImage& image,
                                                   const std::string& destPath) {
    if (image.aborted) return CopyOutcome::Aborted;
    if (image.overLimit) {
        observer.CopyOverLimit(destPath, image.why);
        return CopyOutcome::OverLimit;
    }
    if (!image.ok) return CopyOutcome::NotMade;  // the source could not be loaded: silently no copy
    observer.CopyMade(image.picture);
    if (!WriteFileAtomically(destPath, image.jpeg, Durability::NoFlush)) {
        observer.CopyNotSaved(destPath, std::strerror(errno));
        return CopyOutcome::SaveFailed;
    }
    return CopyOutcome::Written;
}

int DefaultJobs() {
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(n);
}

}  // namespace htmlimglist
