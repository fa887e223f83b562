#include "gif/GIFList.h"

#include <stdexcept>

#include "gif/GIFExtension.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamReading.h"
#include "gif/GIFSubImage.h"

namespace htmlimglist {

using namespace gifread;

namespace {
constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr uint8_t kImageSeparator = 0x2C;       // ','
constexpr uint8_t kTrailer = 0x3B;              // ';'

// The next byte that is not 0x00; false at the end of the stream. Zero bytes
// between blocks are tolerated: some writers pad with them.
bool ReadSkippingZeros(TGIFStream& stream, uint8_t& value) {
    do {
        if (!ReadByte(stream, value)) return false;
    } while (value == 0);
    return true;
}
}  // namespace

void TGIFList::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("TGIFList::Delete");
    auto it = items_.begin() + index;
    std::unique_ptr<TGIFItem> item = std::move(*it);
    items_.erase(it);
    item.reset();
}

void TGIFList::Clear() {
    // Front to back, as deleting from the front one at a time would, but in
    // one pass: the items leave the list first, then are freed in order (an
    // extension still finds its frame, which its list belongs to).
    while (!items_.empty()) {
        std::vector<std::unique_ptr<TGIFItem>> items = std::move(items_);
        items_.clear();
        for (std::unique_ptr<TGIFItem>& item : items) item.reset();
    }
}

void TGIFList::Warning(TGIFSeverity severity, const std::string& message) const {
    if (image_ != nullptr) image_->Warning(this, severity, message);
}

TGIFSubImage& TGIFImageList::SubImage(int index) const {
    return static_cast<TGIFSubImage&>(Item(index));
}

void TGIFImageList::Clear() {
    dropped_ = 0;
    TGIFList::Clear();
}

void TGIFImageList::LoadFromStream(TGIFStream& stream, TPersistent* parent) {
    LoadFromStream(stream, parent, TGIFFrameLoad::flAllFrames);
}

void TGIFImageList::LoadFromStream(TGIFStream& stream, TPersistent* parent, TGIFFrameLoad frames) {
    auto* image = static_cast<TGIFImage*>(parent);
    uint8_t b = 0;
    // No trailer is required: the end of the stream ends the frames.
    if (!ReadSkippingZeros(stream, b)) return;
    while (b != kTrailer) {
        StepBack(stream);
        if (b != kExtensionIntroducer && b != kImageSeparator) {
            // Left at that byte: the trailer check reports it as well.
            Warning(TGIFSeverity::gsWarning, gifmsg::kUnknownBlock);
            return;
        }
        // The first frame is decoded now; the later ones are walked for
        // their structure and decode on first use (all of them now when
        // every frame is to be rendered on load). A later frame that is not
        // kept only has its data stepped over.
        const bool first = Count() == 0;
        const bool keep = first || frames == TGIFFrameLoad::flAllFrames;
        TGIFDataLoad load = TGIFDataLoad::dlDecode;
        if (!first && !GIFImageRenderOnLoad) load = keep ? TGIFDataLoad::dlDefer : TGIFDataLoad::dlSkip;
        auto frame = std::make_unique<TGIFSubImage>(image);
        frame->LoadFromStream(stream, load);
        if (keep)
            Add(std::move(frame));
        else
            ++dropped_;
        frame.reset();
        image->Progress(TProgressStage::psRunning,
                        stream.Size() > 0 ? static_cast<int>(stream.Position() * 100 / stream.Size()) : 0,
                        GIFImageRenderOnLoad, gifmsg::kLoading);
        if (!ReadSkippingZeros(stream, b)) return;
    }
    StepBack(stream);  // the trailer reads it
}

TGIFExtension& TGIFExtensionList::Extension(int index) const {
    return static_cast<TGIFExtension&>(Item(index));
}

void TGIFExtensionList::LoadFromStream(TGIFStream& stream, TPersistent* parent) {
    auto& frame = *static_cast<TGIFSubImage*>(parent);
    uint8_t b = 0;
    if (!ReadByte(stream, b)) return;
    while (b != kImageSeparator && b != kTrailer) {
        if (b != kExtensionIntroducer) {
            Warning(TGIFSeverity::gsWarning, gifmsg::kBadIntroducer);
            break;
        }
        const TGIFExtensionClass* extensionClass = TGIFExtension::FindExtension(stream);
        if (extensionClass == nullptr) GIFError(gifmsg::kUnknownExtension);
        StepBack(stream);  // to the introducer
        std::unique_ptr<TGIFExtension> extension = extensionClass->Create(frame);
        extension->LoadFromStream(stream);
        Add(std::move(extension));
        if (!ReadByte(stream, b)) return;
    }
    StepBack(stream);  // stand at the byte that ended the extensions
}

}  // namespace htmlimglist
