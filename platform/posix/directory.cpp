#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/format.h"
#include "platform/platform.h"

namespace corelens::platform {

namespace {

PathKind kind_of(const struct stat& info) {
    if (S_ISREG(info.st_mode)) return PathKind::file;
    if (S_ISDIR(info.st_mode)) return PathKind::directory;
    return PathKind::other;
}

void set_reason(std::string* reason, int error) {
    if (reason != nullptr) *reason = std::strerror(error);
}

}  // namespace

PathKind path_kind(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? kind_of(info) : PathKind::missing;
}

bool list_directory(const std::string& directory, std::vector<DirectoryEntry>& entries, std::string* reason) {
    DIR* const listing = opendir(directory.c_str());
    if (listing == nullptr) return set_reason(reason, errno), false;
    const std::string prefix = directory + (directory.empty() || directory.back() == '/' ? "" : "/");
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        PathKind kind = PathKind::missing;
        if (lstat((prefix + name).c_str(), &info) == 0) {
            // A link to a file is read; a link to a directory is not walked into.
            kind = S_ISLNK(info.st_mode) ? (path_kind(prefix + name) == PathKind::file ? PathKind::file : PathKind::other)
                                         : kind_of(info);
        }
        entries.push_back({name, kind});
        errno = 0;
    }
    const int error = errno;
    closedir(listing);
    if (error != 0) return set_reason(reason, error), false;
    return true;
}

bool read_small_file(const std::string& path, std::size_t limit, std::string& content, std::string* reason) {
    // Non-blocking, so that a pipe in place of a file cannot hold the reader at its open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return set_reason(reason, errno), false;
    std::string failure;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        failure = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        failure = "not a regular file";
    }
    content.clear();
    char buffer[16384];
    while (failure.empty()) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            failure = std::strerror(errno);
        } else if (got == 0) {
            break;
        } else if (content.size() + static_cast<std::size_t>(got) > limit) {
            failure = "larger than " + unsigned_decimal(limit / 1024) + " KB";
        } else {
            content.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    if (!failure.empty() && reason != nullptr) *reason = failure;
    return failure.empty();
}

}  // namespace corelens::platform
