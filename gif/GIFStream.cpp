#include "gif/GIFStream.h"

#include <vector>

#include "gif/GIFMemoryStream.h"
#include "gif/GIFStreamReading.h"

namespace htmlimglist {

std::shared_ptr<TGIFStream> TGIFStream::Reopen() {
    int64_t at = Position();
    auto bytes = std::make_shared<std::vector<uint8_t>>(static_cast<std::size_t>(Size()));
    Seek(0, TSeekOrigin::Beginning);
    std::size_t got = Read(bytes->data(), bytes->size());
    Seek(at, TSeekOrigin::Beginning);
    bytes->resize(got);
    return std::make_shared<TGIFMemoryStream>(std::shared_ptr<const std::vector<uint8_t>>(std::move(bytes)));
}

}  // namespace htmlimglist
