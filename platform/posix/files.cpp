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

}  // namespace

bool name_exists_in(const std::string& directory, const std::string& name) {
    const std::string path = directory + k_path_separator + name;
    struct stat info{};
    return lstat(path.c_str(), &info) == 0;
}

CreateResult OutputFile::create(const std::string& path, int mode, std::string* reason) {
    close(nullptr);
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    if (mode == k_create_new) {
        flags |= O_EXCL;
    } else if (mode == k_create_always) {
        flags |= O_TRUNC;
    } else {
        set_reason(reason, EINVAL);
        return CreateResult::failed;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        set_reason(reason, error);
        return error == EEXIST && mode == k_create_new ? CreateResult::exists
                                                       : CreateResult::failed;
    }
    handle_ = fd;
    return CreateResult::created;
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

bool replace_file(const std::string& from, const std::string& to, std::string* reason) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        set_reason(reason, errno);
        return false;
    }
    return true;
}

}  // namespace corelens::platform
