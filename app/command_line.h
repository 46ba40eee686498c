#pragma once
// The Windows command-line tail the switches search, and the program's directory.
#include <string>

namespace corelens {

// Windows: the process's command line without the program's name (in double quotes, or
// up to the first blank or control character) and without the blanks and control
// characters after it. Empty for a null pointer.
std::string windows_command_tail(const char* command_line);

// Everything before the last separator of the program's path; empty without one.
std::string program_directory_of(const char* program_path, char separator);

}  // namespace corelens
