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

}  // namespace

bool name_exists_in(const std::string& directory, const std::string& name) {
    const std::string path = directory + k_path_separator + name;
    struct stat info{};
    return lstat(path.c_str(), &info) == 0;
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
        // Emptied in place: a link is written through, permissions and owner stay.
        result = CreateResult::replaced;
        fd = open_retrying(path, O_TRUNC);
        // Gone since, or a link to nothing: created through the link, which we then
        // cannot tell from a file of someone else's, so it is never removed.
        if (fd < 0 && errno == ENOENT) fd = open_retrying(path, O_CREAT | O_TRUNC);
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
