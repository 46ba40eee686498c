#pragma once
// The about window: credits, mail link and the rotating logo.
#include <windows.h>

#include "ui/about_logic.h"

namespace corelens {

// Opens the about window (template 116) modally over owner; returns 1 when it closes.
INT_PTR run_about_window(HINSTANCE instance, HWND owner);

// The dialog procedure of template 116; the instance given to the dialog holds its cursor
// and logo.
INT_PTR CALLBACK about_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace corelens
