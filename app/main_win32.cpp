#include <windows.h>
#include <commctrl.h>

#include "app/command_line.h"
#include "app/shell.h"
#include "app/startup.h"
#include "platform/platform.h"
#include "ui/view_model.h"
#include "ui/win32/main_window.h"
#include "ui/win32/user_dialogs.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace corelens;
    const std::string path = platform::program_path("");
    const StartupState state = start_up(path.c_str(), platform::k_path_separator);
    if (!state.cpu_supported) {
        WindowsDialogs(nullptr).tell(k_unsupported_cpu_message);
        return 1;
    }

    const std::string tail = windows_command_tail(GetCommandLineA());
    if (tail.empty()) {
        InitCommonControls();
        run_main_window(instance, state.program_directory);
        return 0;
    }

    // Batch mode shows nothing; only the exit status tells of a file not written.
    ReportFiles files;
    return batch_exit_status(
        run_switches(find_switches(tail), state.program_directory, state.program_path_too_long, files));
}
