#pragma once
// Entry into the window mode: the modal main dialog.
#include <windows.h>

#include <string>

namespace corelens {

// Opens the main window (template 108) with no owner and returns when it closes.
// program_directory is the save dialog's initial directory.
INT_PTR run_main_window(HINSTANCE instance, const std::string& program_directory);

}  // namespace corelens
