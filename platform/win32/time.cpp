#include <windows.h>

#include "platform/platform.h"

namespace corelens::platform {

std::uint32_t milliseconds() { return timeGetTime(); }

}  // namespace corelens::platform
