#pragma once
// corelens-gui's three windows over the view model.
#include <QImage>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ui/about_logic.h"
#include "ui/animation.h"
#include "ui/qt/look.h"

class QTreeWidget;

namespace corelens::qt {

class MainWindow : public DressedDialog {
public:
    // starting_folder: where the save dialog opens.
    explicit MainWindow(std::string starting_folder);

    void open_features();
    void open_about();
    void copy();
    void save();

    // Called once, after the window's first paint (the start-up benchmark's mark).
    static std::function<void()> on_first_paint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string starting_folder_;
    bool painted_ = false;
};

class FeaturesWindow : public DressedDialog {
public:
    explicit FeaturesWindow(QWidget* parent);
    // A header click: the rows in the order the process's sort flags now give.
    void sort_by(int column);
    QTreeWidget* list() const { return list_; }

private:
    QTreeWidget* list_ = nullptr;
};

// Where the drawing thread's frames are shown; only the GUI thread touches it.
class FrameView : public QWidget {
public:
    explicit FrameView(QWidget* parent);
    void show_frame(const QImage& frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
};

// Renders the turned and zoomed logo on a thread of its own into an image it hands to
// the frame view on the GUI thread. The destructor stops and joins the thread.
class LogoAnimation {
public:
    LogoAnimation(FrameView* target, const QImage& logo, AnimationPace pace);
    ~LogoAnimation();
    LogoAnimation(const LogoAnimation&) = delete;
    LogoAnimation& operator=(const LogoAnimation&) = delete;

private:
    static constexpr std::int32_t k_shortest_frame_ms = 80;  // 12.5 frames a second at most

    void run();

    FrameView* target_;  // not owned; reached only through queued calls
    QImage logo_;        // 24-bit copy, read by the thread alone
    QImage frame_;       // written by the thread alone
    AnimationPace pace_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

class AboutWindow : public DressedDialog {
public:
    explicit AboutWindow(QWidget* parent);
    ~AboutWindow() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Where the credits start, in this window's pixels.
    int credits_x() const;
    void mousePressEvent(QMouseEvent* event) override;
    void done(int result) override;

private:
    FrameView* frame_ = nullptr;
    std::unique_ptr<LogoAnimation> animation_;
    bool over_link_ = false;
};

// The link's size as last painted; kept from one opening to the next.
extern LinkExtent link_extent;

// corelens-gui after start-up: the "Unsupported CPU" box, or the main window until it closes;
// returns the exit status. For the start-up benchmark, with CORELENS_GUI_FIRST_PAINT set, it
// prints when the probe ended and when the main window was first painted, counted from
// started, and ends there.
int run_gui(int argc, char** argv, bool cpu_supported, std::chrono::steady_clock::time_point started,
            std::chrono::steady_clock::time_point probed);

}  // namespace corelens::qt
