#include <windows.h>

#include "platform/format.h"
#include "platform/platform.h"
#include "platform/win32/error_text.h"

namespace corelens::platform {

namespace {

constexpr DWORD k_no_attributes = 0xFFFFFFFF;     // INVALID_FILE_ATTRIBUTES
constexpr DWORD k_reparse_point = 0x400;          // FILE_ATTRIBUTE_REPARSE_POINT (NTFS 5)

void set_reason(std::string* reason, DWORD error) {
    if (reason != nullptr) *reason = error_text(error);
}

std::string utf8_from_code_page(UINT code_page, const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int wide_length = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
    if (wide_length <= 0) return text;
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), size, &wide[0], wide_length);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return text;
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, &out[0], length, nullptr, nullptr);
    return out;
}

}  // namespace

std::string utf8_from_windows1252(const std::string& text) { return utf8_from_code_page(1252, text); }

std::string utf8_from_file_name(const std::string& name) { return utf8_from_code_page(CP_ACP, name); }

PathKind path_kind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == k_no_attributes) return PathKind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::directory : PathKind::file;
}

bool list_directory(const std::string& directory, std::vector<DirectoryEntry>& entries, std::string* reason) {
    const char last = directory.empty() ? '\0' : directory.back();
    const std::string pattern = directory + (last == '\\' || last == '/' || last == ':' ? "*" : "\\*");
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return true;  // an empty drive root
        return set_reason(reason, error), false;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const DWORD attributes = found.dwFileAttributes;
        // A junction or directory link is not walked into.
        const PathKind kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? PathKind::file
                              : (attributes & k_reparse_point) != 0       ? PathKind::other
                                                                          : PathKind::directory;
        entries.push_back({name, kind});
    } while (FindNextFileA(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) return set_reason(reason, error), false;
    return true;
}

bool read_small_file(const std::string& path, std::size_t limit, std::string& content, std::string* reason) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return set_reason(reason, GetLastError()), false;
    std::string failure;
    if (GetFileType(file) != FILE_TYPE_DISK) failure = "not a regular file";
    content.clear();
    char buffer[16384];
    while (failure.empty()) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            failure = error_text(GetLastError());
        } else if (got == 0) {
            break;
        } else if (content.size() + got > limit) {
            failure = "larger than " + unsigned_decimal(limit / 1024) + " KB";
        } else {
            content.append(buffer, got);
        }
    }
    CloseHandle(file);
    if (!failure.empty() && reason != nullptr) *reason = failure;
    return failure.empty();
}

}  // namespace corelens::platform
