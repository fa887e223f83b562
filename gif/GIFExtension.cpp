#include "gif/GIFExtension.h"

#include <mutex>
#include <shared_mutex>
#include <vector>

#include "gif/GIFApplicationExtension.h"
#include "gif/GIFCommentExtension.h"
#include "gif/GIFGraphicControlExtension.h"
#include "gif/GIFStreamReading.h"
#include "gif/GIFSubImage.h"
#include "gif/GIFTextExtension.h"

namespace htmlimglist {

using namespace gifread;

namespace {

// Registry of label -> class, searched newest first so that a later
// registration overrides an earlier one. Reads may come from several loading
// threads at once, hence the lock.
class TExtensionList {
public:
    TExtensionList() {
        records_ = {{0x01, &TGIFTextExtension::Class},
                    {0xF9, &TGIFGraphicControlExtension::Class},
                    {0xFE, &TGIFCommentExtension::Class},
                    {0xFF, &TGIFApplicationExtension::Class}};
    }
    void Add(uint8_t label, const TGIFExtensionClass* extensionClass) {
        std::unique_lock lock(mutex_);
        records_.push_back({label, extensionClass});
    }
    const TGIFExtensionClass* Find(uint8_t label) const {
        std::shared_lock lock(mutex_);
        for (auto it = records_.rbegin(); it != records_.rend(); ++it)
            if (it->label == label) return it->extensionClass;
        return nullptr;
    }

private:
    struct Record {
        uint8_t label;
        const TGIFExtensionClass* extensionClass;
    };
    mutable std::shared_mutex mutex_;
    std::vector<Record> records_;
};

TExtensionList& ExtensionRegistry() {
    static TExtensionList registry;  // made on first use
    return registry;
}

}  // namespace

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), subImage_(&frame) {}

void TGIFExtension::LoadFromStream(TGIFStream& stream) {
    uint8_t introducerAndLabel[2];
    ReadExact(stream, introducerAndLabel, 2);
    if (introducerAndLabel[0] != 0x21) GIFError(gifmsg::kBadIntroducer);
    if (introducerAndLabel[1] != GetExtensionType()) GIFError(gifmsg::kLabelMismatch);
}

const TGIFExtensionClass* TGIFExtension::FindExtension(TGIFStream& stream) {
    int64_t start = stream.Position();
    const TGIFExtensionClass* found = nullptr;
    uint8_t label = 0;
    if (ReadByte(stream, label)) {
        found = ExtensionRegistry().Find(label);
        // Let each class refine the choice until one answers itself; every
        // refinement reads on from where the previous one stopped.
        while (found != nullptr) {
            const TGIFExtensionClass* next = found->FindSubExtension(*found, stream);
            if (next == found) break;
            found = next;
        }
    }
    stream.Seek(start, TSeekOrigin::Beginning);
    return found;
}

const TGIFExtensionClass* TGIFExtension::FindSubExtension(const TGIFExtensionClass& self,
                                                          TGIFStream&) {
    return &self;
}

void TGIFExtension::RegisterExtension(uint8_t label, const TGIFExtensionClass* extensionClass) {
    ExtensionRegistry().Add(label, extensionClass);
}

}  // namespace htmlimglist
