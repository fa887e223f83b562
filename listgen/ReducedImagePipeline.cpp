#include "listgen/ReducedImagePipeline.h"

#include <cerrno>
#include <cstring>
#include <exception>

#include "gif/GIFImage.h"
#include "listgen/GifAverage.h"
#include "listgen/JpegCodec.h"
#include "listgen/PngCodec.h"
#include "listgen/WebpCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"

namespace htmlimglist {

namespace {
constexpr int kQuality = 75;
// Thrown through the GIF library when the cancel flag is seen.
struct ReducedImageCancelled {};
// Jobs in flight per worker: enough to keep every core busy while the
// writer commits, few enough to keep memory flat.
constexpr std::size_t kJobsPerWorker = 2;
}  // namespace

ReducedImage MakeReducedImageInMemory(const ReducedImageRequest& request, const std::atomic<bool>* cancel) {
    ReducedImage result;
    const int32_t width = request.width, height = request.height;
    if (width <= 0 || height <= 0) return result;
    try {
        if (request.kind == ImageKind::Gif) {
            TGIFImage gif;
            // The library reports progress while it reads and draws; a set
            // cancel flag ends the work there.
            gif.OnProgress = [cancel](const TPersistent*, TProgressStage, int, bool, const std::string&) {
                if (cancel != nullptr && cancel->load()) throw ReducedImageCancelled();
            };
            gif.LoadFromFile(request.sourcePath, TGIFFrameLoad::flFirstFrame);
            if (request.smooth && width <= gif.GetWidth() && height <= gif.GetHeight()) {
                if (!AverageGifFirstFrame(gif, width, height, result.picture, cancel)) {
                    result.aborted = cancel != nullptr && cancel->load();
                    return result;
                }
            } else {
                // The picture starts white, so transparent or uncovered parts
                // of the first frame come out white whatever was made before.
                result.picture = Bitmap(width, height, kWhite);
                gif.Draw(result.picture, Rect{0, 0, width, height});
            }
        } else {
            DecodeReport report;
            Reduction how;
            how.orientation = request.orientation;
            how.smooth = request.smooth;
            how.cancel = cancel;
            bool decoded = false;
            switch (request.kind) {
                case ImageKind::Png:
                    decoded = DecodePngReduced(request.sourcePath, width, height, result.picture, &report, how);
                    break;
                case ImageKind::Webp:
                    decoded = DecodeWebpReduced(request.sourcePath, width, height, result.picture, &report, how);
                    break;
                default:
                    decoded = DecodeJpegScaled(JpegInput{request.sourcePath, {}}, width, height, result.picture,
                                               &report, how);
                    break;
            }
            if (!decoded) {
                result.aborted = report.aborted;
                return result;
            }
        }
        result.ok = EncodeJpeg(result.picture, kQuality, result.jpeg, request.record);
    } catch (const ReducedImageCancelled&) {
        result.aborted = true;
    } catch (const std::exception&) {
        // A source the GIF library rejects, or memory running out: no copy.
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

ReducedImagePipeline::ReducedImagePipeline(RunView& view, int jobs, const std::atomic<bool>* abortCommand)
    : view_(view), jobs_(jobs < 1 ? 1 : jobs), abortCommand_(abortCommand) {}

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
        ReducedImage result = MakeReducedImageInMemory(job->request, abortCommand_);
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
    if (job) return SaveReducedImage(view_, job->result, destPath);
    return SaveReducedImage(view_, MakeReducedImageInMemory(request, abortCommand_), destPath);
}

CopyOutcome ReducedImagePipeline::SaveReducedImage(RunView& view, const ReducedImage& image,
                                                   const std::string& destPath) {
    if (image.aborted) return CopyOutcome::Aborted;
    if (!image.ok) return CopyOutcome::NotMade;  // the source could not be loaded: silently no copy
    view.ShowPreview(image.picture);
    if (!WriteFileAtomically(destPath, image.jpeg, Durability::NoFlush)) {
        const std::string reason = std::strerror(errno);
        view.BringToFront();
        view.ShowMessage(RunMessage{RunMessageId::SaveFailed, destPath, reason});
        return CopyOutcome::SaveFailed;
    }
    return CopyOutcome::Written;
}

int DefaultJobs() {
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(n);
}

}  // namespace htmlimglist
