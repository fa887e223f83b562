#include "gif/GIFItem.h"

#include "gif/GIFFileStream.h"
#include "gif/GIFImage.h"

namespace htmlimglist {

void TGIFItem::Warning(TGIFSeverity severity, const std::string& message) const {
    if (image_ != nullptr) image_->Warning(this, severity, message);
}

void TGIFItem::LoadFromFile(const std::string& path) {
    TGIFFileStream stream(path);
    LoadFromStream(stream);
}

}  // namespace htmlimglist
