#include "listgen/ReducedImagePipeline.h"

#include <exception>

#include "gif/GIFImage.h"
#include "listgen/JpegCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"

namespace htmlimglist {

namespace {
constexpr int kQuality = 75;
// Jobs in flight per worker: enough to keep every core busy while the
// writer commits, few enough to keep memory flat.
constexpr std::size_t kJobsPerWorker = 2;
}  // namespace

ReducedImage MakeReducedImageInMemory(ImageKind kind, const std::string& sourcePath, int32_t width,
                                      int32_t height) {
    ReducedImage result;
    if (width <= 0 || height <= 0) return result;
    try {
        if (kind == ImageKind::Gif) {
            TGIFImage gif;
            gif.LoadFromFile(sourcePath);
            // The picture starts white, so transparent or uncovered parts of
            // the first frame come out white whatever was made before.
            result.picture = Bitmap(width, height, kWhite);
            gif.Draw(result.picture, Rect{0, 0, width, height});
        } else if (!DecodeJpegScaled(JpegInput{sourcePath, {}}, width, height, result.picture)) {
            return result;
        }
        result.ok = EncodeJpeg(result.picture, kQuality, result.jpeg);
    } catch (const std::exception&) {
        // A source the GIF library rejects, or memory running out: no copy.
        result.ok = false;
    }
    return result;
}

struct ReducedImagePipeline::Job {
    ImageKind kind;
    std::string source;
    int32_t width;
    int32_t height;
    bool done = false;
    bool cancelled = false;
    ReducedImage result;
};

ReducedImagePipeline::ReducedImagePipeline(RunView& view, int jobs) : view_(view), jobs_(jobs < 1 ? 1 : jobs) {}

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
        ReducedImage result = MakeReducedImageInMemory(job->kind, job->source, job->width, job->height);
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

void ReducedImagePipeline::Prefetch(ImageKind kind, const std::string& sourcePath, int32_t width, int32_t height) {
    auto job = std::make_shared<Job>();
    job->kind = kind;
    job->source = sourcePath;
    job->width = width;
    job->height = height;
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

void ReducedImagePipeline::MakeReducedImage(ImageKind kind, const std::string& sourcePath, int32_t width,
                                            int32_t height, const std::string& destPath) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        if (!ahead_.empty()) {
            job = ahead_.front();
            ahead_.pop_front();
            if (job->kind != kind || job->source != sourcePath || job->width != width || job->height != height) {
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
    if (job) {
        SaveReducedImage(view_, job->result, destPath);
    } else {
        SaveReducedImage(view_, MakeReducedImageInMemory(kind, sourcePath, width, height), destPath);
    }
}

void ReducedImagePipeline::SaveReducedImage(RunView& view, const ReducedImage& image, const std::string& destPath) {
    if (!image.ok) return;  // the source could not be loaded: silently no copy
    view.ShowPreview(image.picture);
    if (!WriteFileAtomically(destPath, image.jpeg, Durability::NoFlush)) {
        view.BringToFront();
        view.ShowMessage(Format(kMessageSaveFailed, destPath.c_str()));
    }
}

int DefaultJobs() {
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int(n);
}

}  // namespace htmlimglist
