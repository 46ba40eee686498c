#pragma once
// Entry into the window mode: the modal main dialog.
#include <windows.h>

#include <string>

namespace corelens {

// The save-file dialog's initial directory; run_main_window sets it.
extern std::string save_directory;

// Opens the main window (template 108) with no owner and returns when it closes.
// program_directory is the save dialog's initial directory.
INT_PTR run_main_window(HINSTANCE instance, const std::string& program_directory);

INT_PTR CALLBACK main_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Writes every value field once, greying the ones without a value first.
void fill_main_fields(HWND window);

}  // namespace corelens
