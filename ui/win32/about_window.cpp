#include "ui/win32/about_window.h"

namespace corelens {

// Placeholder until the about window exists.
INT_PTR run_about_window(HINSTANCE, HWND) { return 1; }

}  // namespace corelens
