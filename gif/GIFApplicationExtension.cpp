#include "gif/GIFApplicationExtension.h"

#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "gif/GIFAppExtNSLoop.h"
#include "gif/GIFStreamReading.h"
#include "gif/GIFUnknownAppExtension.h"

namespace htmlimglist {

using namespace gifread;

namespace {

std::unique_ptr<TGIFExtension> Create(TGIFSubImage& frame) {
    return std::make_unique<TGIFApplicationExtension>(frame);
}

// Registry of identifier -> class, searched newest first, all 11 bytes
// compared.
class TAppExtensionList {
public:
    TAppExtensionList() {
        records_ = {{MakeApplicationRec("NETSCAPE2.0"), &TGIFAppExtNSLoop::Class},
                    {MakeApplicationRec("ANIMEXTS1.0"), &TGIFAppExtNSLoop::Class}};
    }
    void Add(const TGIFApplicationRec& identifier, const TGIFExtensionClass* extensionClass) {
        std::unique_lock lock(mutex_);
        records_.push_back({identifier, extensionClass});
    }
    const TGIFExtensionClass* Find(const uint8_t (&bytes)[11]) const {
        std::shared_lock lock(mutex_);
        for (auto it = records_.rbegin(); it != records_.rend(); ++it)
            if (std::memcmp(&it->identifier, bytes, 11) == 0) return it->extensionClass;
        return nullptr;
    }

private:
    struct Record {
        TGIFApplicationRec identifier;
        const TGIFExtensionClass* extensionClass;
    };
    mutable std::shared_mutex mutex_;
    std::vector<Record> records_;
};

TAppExtensionList& AppExtensionRegistry() {
    static TAppExtensionList registry;  // made on first use
    return registry;
}

}  // namespace

const TGIFExtensionClass TGIFApplicationExtension::Class{
    "TGIFApplicationExtension", 0xFF, &Create, &TGIFApplicationExtension::FindSubExtension};

TGIFApplicationRec MakeApplicationRec(std::string_view elevenCharacters) {
    TGIFApplicationRec rec{};
    std::memcpy(&rec, elevenCharacters.data(), std::min<std::size_t>(elevenCharacters.size(), 11));
    return rec;
}

const TGIFExtensionClass* TGIFApplicationExtension::FindSubExtension(const TGIFExtensionClass& self,
                                                                     TGIFStream& stream) {
    int64_t start = stream.Position();
    uint8_t size = 0;
    if (!ReadByte(stream, size)) return nullptr;
    if (size == 10) {
        uint8_t bytes[10];
        if (stream.Read(bytes, 10) == 10) return &TGIFUnknownAppExtension::Class;
        return nullptr;
    }
    if (size == 11) {
        uint8_t bytes[11];
        if (stream.Read(bytes, 11) == 11) {
            const TGIFExtensionClass* found = AppExtensionRegistry().Find(bytes);
            return found != nullptr ? found : &TGIFUnknownAppExtension::Class;
        }
    }
    stream.Seek(start, TSeekOrigin::Beginning);
    return &self;
}

void TGIFApplicationExtension::RegisterExtension(const TGIFApplicationRec& identifier,
                                                 const TGIFExtensionClass* extensionClass) {
    AppExtensionRegistry().Add(identifier, extensionClass);
}

void TGIFApplicationExtension::LoadFromStream(TGIFStream& stream) {
    TGIFExtension::LoadFromStream(stream);
    uint8_t size = 0;
    ReadExact(stream, &size, 1);
    if (size == 10) {
        // Some writers leave out the last authentication character.
        ReadExact(stream, &record_, 10);
        record_.Authentication[2] = 0;
    } else if (size < 10) {
        GIFError(gifmsg::kAppBlockSize);
    } else {
        ReadExact(stream, &record_, 11);
        Skip(stream, size - 11);
    }
    LoadData(stream);
}

void TGIFApplicationExtension::LoadData(TGIFStream& stream) { SkipSubBlocks(stream); }

}  // namespace htmlimglist
