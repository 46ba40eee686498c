// corelens-gui: the processor is probed first, as on Windows, then the main window opens.
#include <QApplication>
#include <QDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "platform/platform.h"
#include "ui/qt/windows.h"

int main(int argc, char** argv) {
    using clock = std::chrono::steady_clock;
    const auto started = clock::now();
    corelens::platform::prepare_process();
    const std::string path = corelens::platform::program_path(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const corelens::StartupState state = corelens::start_up(path.c_str(), corelens::platform::k_path_separator);
    const auto probed = clock::now();

    QApplication application(argc, argv);
    if (!state.cpu_supported) {
        corelens::qt::show_message(nullptr, {corelens::k_unsupported_cpu_text, corelens::k_unsupported_cpu_title,
                                             corelens::MessageIcon::warning});
        return 1;
    }
    // For the start-up benchmark: report the first paint, apart from the probe, and end.
    if (std::getenv("CORELENS_GUI_FIRST_PAINT") != nullptr) {
        corelens::qt::MainWindow::on_first_paint = [&] {
            const auto painted = clock::now();
            const auto ms = [](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
            std::printf("probe %.2f ms, first paint %.2f ms after start\n", ms(probed - started),
                        ms(painted - started));
            std::fflush(stdout);
            QMetaObject::invokeMethod(&application, &QApplication::quit, Qt::QueuedConnection);
        };
    }
    // The save dialog opens in the current directory: an installed program's own is not writable.
    corelens::qt::MainWindow window(QDir::currentPath().toLocal8Bit().toStdString());
    window.show();
    return application.exec();
}
