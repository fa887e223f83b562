#include "gif/GIFException.h"

namespace htmlimglist {

void GIFError(const std::string& message) { throw GIFException(message); }

}  // namespace htmlimglist
