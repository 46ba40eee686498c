#include <windows.h>

#include "platform/platform.h"

namespace corelens::platform {

LocalTime local_time() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    LocalTime result;
    result.year = now.wYear;
    result.month = now.wMonth;
    result.day = now.wDay;
    result.hour = now.wHour;
    result.minute = now.wMinute;
    result.second = now.wSecond;
    return result;
}

std::string user_name() {
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    if (!GetUserNameA(buffer, &size)) return {};
    return std::string(buffer);
}

std::string computer_name() {
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    if (!GetComputerNameA(buffer, &size)) return {};
    return std::string(buffer);
}

std::string program_path(const std::string& fallback) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    // A full buffer means the path was cut: refuse it rather than use a wrong one.
    if (length == 0 || length >= sizeof buffer) return fallback;
    return std::string(buffer, length);
}

std::string terminal_text(const std::string& windows1252) { return windows1252; }

}  // namespace corelens::platform
