#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/platform.h"

namespace corelens::platform {

LocalTime local_time() {
    LocalTime result;
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (localtime_r(&now, &parts) == nullptr) return result;
    result.year = static_cast<unsigned>(parts.tm_year + 1900);
    result.month = static_cast<unsigned>(parts.tm_mon + 1);
    result.day = static_cast<unsigned>(parts.tm_mday);
    result.hour = static_cast<unsigned>(parts.tm_hour);
    result.minute = static_cast<unsigned>(parts.tm_min);
    // A leap second reads as 60 here; the reports print two digits either way.
    result.second = static_cast<unsigned>(parts.tm_sec);
    return result;
}

std::string user_name() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0) size = 16384;
    std::vector<char> scratch(static_cast<std::size_t>(size));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr) {
        return {};
    }
    return windows1252_from_utf8(found->pw_name);
}

namespace {

// The host name up to its first dot, as the system has it.
std::string short_host_name() {
    // uname's node name is the whole host name, NUL-ended, however long the system allows.
    utsname names{};
    if (uname(&names) != 0) return {};
    std::string name(names.nodename, strnlen(names.nodename, sizeof names.nodename));
    return name.substr(0, name.find('.'));
}

}  // namespace

std::string computer_name() { return windows1252_from_utf8(short_host_name()); }

std::string computer_file_name() {
    std::string name = short_host_name();
    for (char& c : name) {
        if (c == '/') c = '_';  // a name, never a path into a subdirectory
    }
    return name;
}

void prepare_process() { std::signal(SIGXFSZ, SIG_IGN); }

std::string program_path(const std::string& fallback) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return fallback;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        // readlink does not say how long the link is: grow until it fits.
        if (buffer.size() >= 65536) return fallback;
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace corelens::platform
