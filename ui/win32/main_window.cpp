#include "ui/win32/main_window.h"

namespace corelens {

// Placeholder until the dialogs exist.
INT_PTR run_main_window(HINSTANCE, const std::string&) { return 1; }

}  // namespace corelens
