#include "app/command_line.h"

#include <algorithm>

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

std::string posix_command_tail(const std::vector<std::string>& arguments) {
    // Empty or blank arguments alone make no command line, as blanks after the name do on Windows.
    const auto blank = [](const std::string& argument) {
        return argument.find_first_not_of(' ') == std::string::npos;
    };
    if (std::all_of(arguments.begin(), arguments.end(), blank)) return {};
    std::string tail;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (i > 0) tail += ' ';
        if (argument.find(' ') == std::string::npos) {
            tail += argument;
        } else if (argument.compare(0, 3, "/p:") == 0 || argument.compare(0, 3, "/f:") == 0) {
            tail += argument.substr(0, 3) + '"' + argument.substr(3) + '"';
        } else {
            tail += '"' + argument + '"';
        }
    }
    return tail;
}

std::string program_directory_of(const char* program_path, char separator) {
    if (program_path == nullptr) return {};
    std::size_t end = bounded_length(program_path);
    while (end > 0 && program_path[end - 1] != separator) --end;
    if (end == 0) return {};
    return std::string(program_path, end - 1);
}

}  // namespace corelens
