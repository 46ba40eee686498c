// corelens-gui: --help and --version are answered before any window system is asked for (so
// without a display too); then the processor is probed first, as on Windows, and the windows
// open.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/startup.h"
#include "platform/platform.h"
#include "report/renderers.h"
#include "ui/qt/windows.h"

namespace {

const char* const k_usage =
    "usage: corelens-gui [-h | --help | --version]\n"
    "\n"
    "Shows this processor's name, speed, vendor, family, model and stepping in a\n"
    "window, its caches, extensions and feature flags in a second one; Copy and Save\n"
    "put the report on the clipboard or in a text or HTML file. Other arguments are\n"
    "Qt's own (-platform, -display, -style ...). The exit status is 0 when the window\n"
    "is closed, 1 on a processor without CPUID.\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(k_usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("corelens-gui %s\n", corelens::k_version_text);
            return 0;
        }
    }
    const auto started = std::chrono::steady_clock::now();
    corelens::platform::prepare_process();
    const std::string path = corelens::platform::program_path(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const corelens::StartupState state = corelens::start_up(path.c_str(), corelens::platform::k_path_separator);
    return corelens::qt::run_gui(argc, argv, state.cpu_supported, started, std::chrono::steady_clock::now());
}
