// The reduced image maker of a real run: decodes, samples and encodes on a
// pool of worker threads ahead of the page, while the writer still writes
// every file, preview and cell in page order. The bytes written do not depend
// on the number of threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "listgen/ReducedImageMaker.h"
#include "listgen/RunView.h"
#include "platform/Bitmap.h"

namespace htmlimglist {

// Message shown when a reduced image cannot be written; %s is its path.
inline constexpr const char* kMessageSaveFailed = "保存に失敗しました.\n%s";

// One reduced image made in memory: the picture at its reduced size and the
// JPEG file's bytes. ok is false when the source could not be decoded.
struct ReducedImage {
    bool ok = false;
    Bitmap picture;
    std::string jpeg;
};

// Decodes sourcePath (JPEG through libjpeg, GIF through the GIF library onto
// a white picture), samples it to width x height and encodes it at quality
// 75. Never throws.
ReducedImage MakeReducedImageInMemory(ImageKind kind, const std::string& sourcePath, int32_t width,
                                      int32_t height);

class ReducedImagePipeline final : public ReducedImageMaker {
public:
    // jobs worker threads (at least 1), started on the first request.
    ReducedImagePipeline(RunView& view, int jobs);
    ~ReducedImagePipeline() override;
    ReducedImagePipeline(const ReducedImagePipeline&) = delete;
    ReducedImagePipeline& operator=(const ReducedImagePipeline&) = delete;

    void MakeReducedImage(ImageKind kind, const std::string& sourcePath, int32_t width, int32_t height,
                          const std::string& destPath) override;
    bool WantsMore() const override;
    void Prefetch(ImageKind kind, const std::string& sourcePath, int32_t width, int32_t height) override;
    void DiscardAhead() override;

    // Shows a finished image as the preview and writes it to destPath
    // (atomically); a failed write shows the save message and the run goes on.
    static void SaveReducedImage(RunView& view, const ReducedImage& image, const std::string& destPath);

private:
    struct Job;

    void StartWorkers();
    void WorkerLoop();

    RunView& view_;
    const int jobs_;
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
