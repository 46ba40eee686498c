#pragma once
// The command-line tail the switches search, and the program's directory, formed the way
// each platform hands them over.
#include <string>
#include <vector>

namespace corelens {

// Windows: the process's command line without the program's name (in double quotes, or
// up to the first blank or control character) and without the blanks and control
// characters after it. Empty for a null pointer.
std::string windows_command_tail(const char* command_line);

// POSIX: the arguments after the program's name joined by single blanks. An argument
// holding a blank is quoted so the switch rules see it whole: after a leading "/p:" or
// "/f:" the rest goes in double quotes, any other such argument is quoted as a whole.
// Arguments that are all empty or blank give an empty tail.
std::string posix_command_tail(const std::vector<std::string>& arguments);

// Everything before the last separator of the program's path; empty without one.
std::string program_directory_of(const char* program_path, char separator);

}  // namespace corelens
