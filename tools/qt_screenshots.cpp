// Grabs corelens-gui's three windows, as this machine shows them, into PNG files; run on
// the offscreen platform by tools/screenshots.sh.
#include <QApplication>
#include <QDir>
#include <QThread>

#include <cstdio>

#include "app/startup.h"
#include "platform/platform.h"
#include "ui/qt/windows.h"

namespace {

bool save(QWidget& window, const QString& path) {
    window.show();
    // A few frames of the logo reach the about window.
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(15);
    }
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    window.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = corelens::platform::program_path(argc > 0 ? argv[0] : "");
    corelens::start_up(path.c_str(), corelens::platform::k_path_separator);
    QApplication application(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    corelens::qt::MainWindow main_window(QDir::currentPath().toStdString());
    corelens::qt::FeaturesWindow features(&main_window);
    corelens::qt::AboutWindow about(&main_window);
    bool ok = save(main_window, out + "/main-window-linux.png");
    ok = save(features, out + "/features-window-linux.png") && ok;
    ok = save(about, out + "/about-window-linux.png") && ok;
    return ok ? 0 : 1;
}
