#include "app/command_line.h"

#include "app/strings.h"

namespace corelens {

namespace {

bool is_blank_or_control(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte != 0 && byte <= ' ';
}

}  // namespace

std::string windows_command_tail(const char* command_line) {
    if (command_line == nullptr) return {};
    const char* at = command_line;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"') ++at;
        if (*at == '"') ++at;
    } else {
        while (*at != '\0' && !is_blank_or_control(*at)) ++at;
    }
    while (is_blank_or_control(*at)) ++at;
    return at;
}

std::string program_directory_of(const char* program_path, char separator) {
    if (program_path == nullptr) return {};
    std::size_t end = bounded_length(program_path);
    while (end > 0 && program_path[end - 1] != separator) --end;
    if (end == 0) return {};
    return std::string(program_path, end - 1);
}

}  // namespace corelens
