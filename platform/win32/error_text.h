#pragma once
// Reason texts for Win32 error codes, shared by the files of this directory.
#include <windows.h>

#include <string>

namespace corelens::platform {

// The system's message for error, without its line end and final full stop.
std::string error_text(DWORD error);

}  // namespace corelens::platform
