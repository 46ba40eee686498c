#pragma once
// The about window: credits, mail link and the rotating logo.
#include <windows.h>

namespace corelens {

// Opens the about window (template 116) modally over owner; returns when it closes.
INT_PTR run_about_window(HINSTANCE instance, HWND owner);

}  // namespace corelens
