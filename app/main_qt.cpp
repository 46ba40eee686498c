// corelens-gui: the processor is probed first, as on Windows, then the windows open.
#include <chrono>

#include "app/startup.h"
#include "platform/platform.h"
#include "ui/qt/windows.h"

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    corelens::platform::prepare_process();
    const std::string path = corelens::platform::program_path(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const corelens::StartupState state = corelens::start_up(path.c_str(), corelens::platform::k_path_separator);
    return corelens::qt::run_gui(argc, argv, state.cpu_supported, started, std::chrono::steady_clock::now());
}
