#pragma once
// The thin operating-system layer. Nothing outside platform/ (and ui/win32/, the Windows
// entry point) talks to the operating system. Texts are Windows-1252 bytes throughout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corelens::platform {

// The system's millisecond counter as a wrapping 32-bit value.
std::uint32_t milliseconds();

// While it lives, the millisecond counter advances in 1 ms steps: Windows NT counts in
// 10-15.6 ms steps unless asked (timeBeginPeriod); POSIX's counter is always fine.
class FineTimer {
public:
    FineTimer();
    ~FineTimer();
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
#ifdef _WIN32
    bool granted_ = false;
#endif
};

struct LocalTime {
    unsigned year = 0, month = 0, day = 0;
    unsigned hour = 0, minute = 0, second = 0;
};
LocalTime local_time();

// The logged-on (POSIX: effective) user's name; empty when it cannot be read.
std::string user_name();
// The computer's short name (POSIX: the host name up to its first dot, read whole, in
// Windows-1252 as the reports have it); empty on failure.
std::string computer_name();
// The same name as a file name: Windows, the same bytes; POSIX, as the file system has
// it (UTF-8), with each '/' replaced by '_'.
std::string computer_file_name();

// The program's own full path, whole however long. POSIX reads /proc/self/exe; where
// the system cannot tell, fallback is returned instead.
std::string program_path(const std::string& fallback);

// Called first by every program. POSIX: a file-size limit makes a write fail (EFBIG)
// instead of ending the process (SIGXFSZ ignored). Windows: nothing to do.
void prepare_process();

// Writes all of text to standard output now; false and the reason when it could not.
bool write_standard_output(const std::string& text, std::string* reason);
// "PROGRAM: MESSAGE" and a line end on standard error. Control characters in message (a
// name or path can hold a newline) are shown escaped: \n, \r, \t, \xHH.
void print_error(const std::string& program, const std::string& message);

#ifdef _WIN32
constexpr char k_path_separator = '\\';
#else
constexpr char k_path_separator = '/';
#endif

// The longest path the program handles, in bytes with its NUL: Windows' MAX_PATH. The
// POSIX programs keep it, so both write and refuse the same paths.
constexpr std::size_t k_path_capacity = 260;
// The one decision on a path's length: it fits k_path_capacity with its NUL, or it is
// refused (never cut).
inline bool path_fits(const std::string& path) { return path.size() < k_path_capacity; }

// True when anything of that name is in that directory. Windows searches the directory
// alone (SearchPathA); POSIX looks at directory, separator, name without following links.
bool name_exists_in(const std::string& directory, const std::string& name);

// True when both names lead to one existing file (links followed); "-" stands for the
// file open as standard input.
bool same_file(const std::string& name, const std::string& other);

constexpr int k_create_new = 1;     // CREATE_NEW: fails when the file exists
constexpr int k_create_always = 2;  // CREATE_ALWAYS: creates, or empties the file in place

// replaced: k_create_always opened an existing file (through a link, keeping its
// permissions and owner) and emptied it. Only a regular file is replaced: a pipe or device
// would block or swallow the report, and is refused without waiting.
enum class CreateResult { created, replaced, exists, failed };
inline constexpr const char* k_not_a_regular_file = "not a regular file";

// A file opened for writing; closed when it goes out of scope.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { close(nullptr); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = k_closed; }
    OutputFile& operator=(OutputFile&& other) noexcept {
        if (this != &other) {
            close(nullptr);
            handle_ = other.handle_;
            other.handle_ = k_closed;
        }
        return *this;
    }

    // mode is k_create_new or k_create_always. exists means k_create_new met a file of
    // that name; reason is filled on every failure.
    CreateResult create(const std::string& path, int mode, std::string* reason);
    // All size bytes, or false with the reason.
    bool write_all(const char* data, std::size_t size, std::string* reason);
    // Waits until what was written reached the device (fsync, FlushFileBuffers): a
    // failure that shows only at write-back is seen here.
    bool sync(std::string* reason);
    // Closes now, so that a failure of the close itself is seen.
    bool close(std::string* reason);
    bool is_open() const { return handle_ != k_closed; }

private:
    static constexpr std::intptr_t k_closed = -1;  // INVALID_HANDLE_VALUE, or fd -1
    std::intptr_t handle_ = k_closed;
};

bool remove_file(const std::string& path);

// Text for standard output: UTF-8 with "\n" line ends on POSIX, the bytes unchanged on
// Windows.
std::string terminal_text(const std::string& windows1252);

// Byte 0x80-0x9F as the Windows code page has them; the five unused ones pass through
// as the control characters of the same number.
std::string utf8_from_windows1252(const std::string& text);
// A file name as UTF-8: POSIX names are UTF-8 already (a byte of a broken sequence becomes
// '?'); Windows names are in the ANSI code page.
std::string utf8_from_file_name(const std::string& name);

#ifndef _WIN32
// A character with no Windows-1252 form, and each byte of a broken sequence, becomes '?'.
std::string windows1252_from_utf8(const std::string& text);
#endif

// Reading result files back. A link counts as what it points to, except that a link to a
// directory is other: a walk through directories never loops.
enum class PathKind { missing, file, directory, other };
PathKind path_kind(const std::string& path);
struct DirectoryEntry {
    std::string name;
    PathKind kind;
};
// The entries of directory, "." and ".." left out, in no particular order.
bool list_directory(const std::string& directory, std::vector<DirectoryEntry>& entries, std::string* reason);
// The whole content of a regular file of at most limit bytes; false with the reason otherwise.
bool read_small_file(const std::string& path, std::size_t limit, std::string& content, std::string* reason);

}  // namespace corelens::platform
