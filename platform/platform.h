#pragma once
// The thin operating-system layer. Nothing outside platform/ (and ui/win32/, the Windows
// entry point) talks to the operating system.
#include <cstdint>

namespace corelens::platform {

// The system's millisecond counter as a wrapping 32-bit value.
std::uint32_t milliseconds();

}  // namespace corelens::platform
