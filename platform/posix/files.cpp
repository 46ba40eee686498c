#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace corelens::platform {

namespace {

void set_reason(std::string* reason, int error) {
    if (reason != nullptr) *reason = std::strerror(error);
}

int open_retrying(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Empties the file open at fd and makes it blocking again, if it is a regular file;
// otherwise closes fd and returns false with the reason.
bool empty_regular_file(int fd, std::string* reason) {
    struct stat info{};
    int error = 0;
    if (fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = -1;
    } else if (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
    }
    if (error == 0) return true;
    ::close(fd);
    if (error < 0 && reason != nullptr) *reason = k_not_a_regular_file;
    if (error > 0) set_reason(reason, error);
    return false;
}

}  // namespace

bool name_exists_in(const std::string& directory, const std::string& name) {
    const std::string path = directory + k_path_separator + name;
    struct stat info{};
    return lstat(path.c_str(), &info) == 0;
}

bool same_file(const std::string& name, const std::string& other) {
    const auto identify = [](const std::string& path, struct stat& info) {
        return path == "-" ? fstat(STDIN_FILENO, &info) == 0 : stat(path.c_str(), &info) == 0;
    };
    struct stat first{}, second{};
    return identify(name, first) && identify(other, second) && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

CreateResult OutputFile::create(const std::string& path, int mode, std::string* reason) {
    close(nullptr);
    if (mode != k_create_new && mode != k_create_always) {
        set_reason(reason, EINVAL);
        return CreateResult::failed;
    }
    CreateResult result = CreateResult::created;
    int fd = open_retrying(path, O_CREAT | O_EXCL);
    if (fd < 0 && errno == EEXIST && mode == k_create_always) {
        // Emptied in place: a link is written through, permissions and owner stay. Opened
        // without blocking (a FIFO would wait for a reader) and emptied only once it proves
        // to be a regular file.
        result = CreateResult::replaced;
        fd = open_retrying(path, O_NONBLOCK);
        // Gone since, or a link to nothing: created through the link, which we then
        // cannot tell from a file of someone else's, so it is never removed.
        if (fd < 0 && errno == ENOENT) fd = open_retrying(path, O_CREAT | O_NONBLOCK);
        if (fd < 0 && errno == ENXIO) {  // a FIFO without a reader, a device without its driver
            if (reason != nullptr) *reason = k_not_a_regular_file;
            return CreateResult::failed;
        }
        if (fd >= 0 && !empty_regular_file(fd, reason)) return CreateResult::failed;
    }
    if (fd < 0) {
        const int error = errno;
        set_reason(reason, error);
        return error == EEXIST && mode == k_create_new ? CreateResult::exists
                                                       : CreateResult::failed;
    }
    handle_ = fd;
    return result;
}

bool OutputFile::write_all(const char* data, std::size_t size, std::string* reason) {
    if (!is_open()) {
        set_reason(reason, EBADF);
        return false;
    }
    const int fd = static_cast<int>(handle_);
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            set_reason(reason, errno);
            return false;
        }
        if (written == 0) {  // no progress and no error: treat as a full device
            set_reason(reason, ENOSPC);
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OutputFile::sync(std::string* reason) {
    if (!is_open()) {
        set_reason(reason, EBADF);
        return false;
    }
    int result;
    do {
        result = ::fsync(static_cast<int>(handle_));
    } while (result != 0 && errno == EINTR);
    // A file system that keeps nothing to flush says so; that is no failure.
    if (result == 0 || errno == EINVAL || errno == ENOTSUP) return true;
    set_reason(reason, errno);
    return false;
}

bool OutputFile::close(std::string* reason) {
    if (!is_open()) return true;
    const int fd = static_cast<int>(handle_);
    handle_ = k_closed;
    // The descriptor is gone even when close reports an error; retrying could close
    // someone else's.
    if (::close(fd) != 0) {
        set_reason(reason, errno);
        return false;
    }
    return true;
}

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace corelens::platform
