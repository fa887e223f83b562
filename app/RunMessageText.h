// The window's wording of the messages a run shows.
#pragma once

#include <QString>

#include "listgen/RunMessage.h"

namespace htmlimglist {

// The text of a run's message box. The system's reason is not shown: the
// window's messages are the tool's own short sentences.
QString RunMessageText(const RunMessage& message);

}  // namespace htmlimglist
