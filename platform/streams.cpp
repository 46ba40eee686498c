// The standard streams, the same on every system: C stdio.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/format.h"
#include "platform/platform.h"

namespace corelens::platform {

bool write_standard_output(const std::string& text, std::string* reason) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (written && std::fflush(stdout) == 0) return true;
    if (reason != nullptr) *reason = errno != 0 ? std::strerror(errno) : "not all written";
    return false;
}

void print_error(const std::string& program, const std::string& message) {
    std::string line = program + ": ";
    for (const char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            line += c;
        } else if (c == '\n' || c == '\r' || c == '\t') {
            line += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else {
            line += "\\x" + upper_hex(byte, 2);
        }
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace corelens::platform
