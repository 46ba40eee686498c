// In a file of its own: only corelens-cpuid asks, so corelens.exe imports none of this.
#include <windows.h>

#include "platform/platform.h"

namespace corelens::platform {

bool same_file(const std::string& name, const std::string& other) {
    // A file's identity is its volume and index; any kind of file, read or not, may be asked.
    const auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        if (path == "-") return GetFileInformationByHandle(GetStdHandle(STD_INPUT_HANDLE), &info) != 0;
        const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(file, &info) != 0;
        CloseHandle(file);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identify(name, first) && identify(other, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace corelens::platform
