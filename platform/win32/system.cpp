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

std::string computer_file_name() { return computer_name(); }

void prepare_process() {}

std::string program_path(const std::string& fallback) {
    // Whole however long (a cut path names another directory); Windows 9x stops at MAX_PATH.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return fallback;
        if (length < buffer.size()) return buffer.substr(0, length);
        if (buffer.size() >= 32768) return fallback;
        buffer.resize(buffer.size() * 2);
    }
}

std::string terminal_text(const std::string& windows1252) { return windows1252; }

}  // namespace corelens::platform
