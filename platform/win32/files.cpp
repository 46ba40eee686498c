#include <windows.h>

#include "platform/format.h"
#include "platform/platform.h"
#include "platform/win32/error_text.h"

namespace corelens::platform {

namespace {

HANDLE as_handle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

void set_reason(std::string* reason, DWORD error) {
    if (reason != nullptr) *reason = error_text(error);
}

}  // namespace

std::string error_text(DWORD error) {
    char buffer[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length < sizeof buffer ? length : 0);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' ||
                             text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) text = "error " + unsigned_decimal(error);
    return text;
}

bool name_exists_in(const std::string& directory, const std::string& name) {
    char found[MAX_PATH] = {};
    // The directory is the only search path; no default extension is tried.
    return SearchPathA(directory.c_str(), name.c_str(), nullptr, sizeof found, found, nullptr) !=
           0;
}

CreateResult OutputFile::create(const std::string& path, int mode, std::string* reason) {
    close(nullptr);
    if (mode != k_create_new && mode != k_create_always) {
        set_reason(reason, ERROR_INVALID_PARAMETER);
        return CreateResult::failed;
    }
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                    static_cast<DWORD>(mode), FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        set_reason(reason, error);
        const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return exists && mode == k_create_new ? CreateResult::exists : CreateResult::failed;
    }
    const bool existed = mode == k_create_always && GetLastError() == ERROR_ALREADY_EXISTS;
    // A device name (NUL, COM1, a pipe) opens too; only a file on a disk holds a report.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        if (reason != nullptr) *reason = k_not_a_regular_file;
        return CreateResult::failed;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return existed ? CreateResult::replaced : CreateResult::created;
}

bool OutputFile::write_all(const char* data, std::size_t size, std::string* reason) {
    if (!is_open()) {
        set_reason(reason, ERROR_INVALID_HANDLE);
        return false;
    }
    while (size > 0) {
        const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(as_handle(handle_), data, chunk, &written, nullptr)) {
            set_reason(reason, GetLastError());
            return false;
        }
        if (written == 0) {  // success without progress: the disk took nothing
            set_reason(reason, ERROR_DISK_FULL);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool OutputFile::sync(std::string* reason) {
    if (!is_open()) {
        set_reason(reason, ERROR_INVALID_HANDLE);
        return false;
    }
    if (FlushFileBuffers(as_handle(handle_))) return true;
    set_reason(reason, GetLastError());
    return false;
}

bool OutputFile::close(std::string* reason) {
    if (!is_open()) return true;
    const HANDLE file = as_handle(handle_);
    handle_ = k_closed;
    if (!CloseHandle(file)) {
        set_reason(reason, GetLastError());
        return false;
    }
    return true;
}

bool remove_file(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

}  // namespace corelens::platform
