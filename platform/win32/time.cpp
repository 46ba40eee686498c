#include <windows.h>

#include "platform/platform.h"

namespace corelens::platform {

std::uint32_t milliseconds() { return timeGetTime(); }

FineTimer::FineTimer() : granted_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

// Every granted request is ended, or the whole system keeps the faster timer.
FineTimer::~FineTimer() {
    if (granted_) timeEndPeriod(1);
}

}  // namespace corelens::platform
