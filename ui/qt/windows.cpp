#include "ui/qt/windows.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/processor_record.h"
#include "platform/platform.h"
#include "ui/feature_list.h"

namespace corelens::qt {

LinkExtent link_extent;
std::function<void()> MainWindow::on_first_paint;

namespace {

QString from_windows1252(const std::string& text) {
    return QString::fromUtf8(platform::utf8_from_windows1252(text).c_str());
}

QColor colour(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

MainWindow::MainWindow(std::string starting_folder)
    : DressedDialog(nullptr, main_dialog()), starting_folder_(std::move(starting_folder)) {
    background(size());  // sized by this window, shared by the other two
    setWindowIcon(QIcon(QStringLiteral(":/corelens/corelens.ico")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    connect(button(Control::features_button), &QPushButton::clicked, this, &MainWindow::open_features);
    connect(button(Control::copy_button), &QPushButton::clicked, this, &MainWindow::copy);
    connect(button(Control::save_button), &QPushButton::clicked, this, &MainWindow::save);
    connect(button(Control::about_button), &QPushButton::clicked, this, &MainWindow::open_about);
    connect(button(Control::quit_button), &QPushButton::clicked, this, &QDialog::accept);
    show_fields(main_field_texts(processor_record));
}

void MainWindow::paintEvent(QPaintEvent* event) {
    DressedDialog::paintEvent(event);
    if (painted_) return;
    painted_ = true;
    if (on_first_paint) on_first_paint();
}

void MainWindow::open_features() {
    FeaturesWindow window(this);
    window.exec();
}

void MainWindow::open_about() {
    AboutWindow window(this);
    window.exec();
}

void MainWindow::copy() {
    QtDialogs dialogs(this);
    run_copy_flow(dialogs);
}

void MainWindow::save() {
    QtDialogs dialogs(this);
    run_save_flow(dialogs, starting_folder_, k_desktop_save);
}

FeaturesWindow::FeaturesWindow(QWidget* parent) : DressedDialog(parent, features_dialog()) {
    connect(button(Control::features_ok_button), &QPushButton::clicked, this, &QDialog::accept);
    connect(button(Control::cache_help_button), &QPushButton::clicked, this,
            [this] { QtDialogs(this).tell(k_cache_help_message); });
    show_fields(features_field_texts(processor_record));

    list_ = static_cast<QTreeWidget*>(widget(Control::feature_list));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(static_cast<int>(feature_columns.size()));
    QStringList headers;
    for (const FeatureColumn& column : feature_columns) headers << QString::fromLatin1(column.header);
    list_->setHeaderLabels(headers);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->header()->setSectionsClickable(true);
    list_->header()->setStretchLastSection(false);
    for (const FeatureRow& row : feature_rows(processor_record)) {
        auto* item = new QTreeWidgetItem(list_, QStringList{from_windows1252(row.short_name),
                                                            from_windows1252(row.long_name),
                                                            QString::fromLatin1(row.position_text.c_str()),
                                                            QString::fromLatin1(row.enabled_text.c_str())});
        item->setData(0, Qt::UserRole, row.row_position);
    }
    // The Windows program's widths in this font's units, wider where a heading or value needs it.
    for (int i = 0; i < static_cast<int>(feature_columns.size()); ++i) {
        list_->resizeColumnToContents(i);
        list_->setColumnWidth(i, std::max(list_->columnWidth(i), units().from_windows_x(feature_columns[i].width)));
    }
    connect(list_->header(), &QHeaderView::sectionClicked, this, &FeaturesWindow::sort_by);
}

void FeaturesWindow::sort_by(int column) {
    const auto order = click_column(sort_flags, column);
    if (!order) return;
    std::vector<std::int32_t> positions;
    std::vector<QTreeWidgetItem*> items;
    while (list_->topLevelItemCount() > 0) {
        items.push_back(list_->takeTopLevelItem(0));
        positions.push_back(items.back()->data(0, Qt::UserRole).toInt());
    }
    for (std::int32_t position : sorted_positions(positions, *order, processor_record)) {
        for (QTreeWidgetItem*& item : items) {
            if (item != nullptr && item->data(0, Qt::UserRole).toInt() == position) {
                list_->addTopLevelItem(item);
                item = nullptr;
            }
        }
    }
}

// Every frame covers the view: nothing beneath it is painted again for one.
FrameView::FrameView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void FrameView::show_frame(const QImage& frame) {
    frame_ = frame;
    update();
}

void FrameView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (frame_.isNull()) {
        painter.fillRect(rect(), palette().window());  // until the first frame comes
        return;
    }
    painter.drawImage(0, 0, frame_);
}

LogoAnimation::LogoAnimation(FrameView* target, const QImage& logo, AnimationPace pace)
    : target_(target), pace_(pace) {
    if (logo.isNull() || target->width() <= 0 || target->height() <= 0) return;  // inert
    logo_ = logo.convertToFormat(QImage::Format_BGR888);
    frame_ = QImage(target->size(), QImage::Format_BGR888);
    thread_ = std::thread([this] { run(); });
}

LogoAnimation::~LogoAnimation() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

// Touches no widget: each frame goes to the GUI thread as an image of its own. A frame
// shown costs the X server and this process far more than one drawn, so frames are shown
// at most every k_shortest_frame_ms, each as many steps on as the pace has made meanwhile.
void LogoAnimation::run() {
    AnimationState state{0, 1.0, pace_.zoom_step};
    const std::int32_t steps = steps_per_frame(pace_, k_shortest_frame_ms);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        lock.unlock();
        render_frame(logo_.constBits(), logo_.width(), logo_.height(),
                     static_cast<std::int32_t>(logo_.bytesPerLine()), frame_.bits(), frame_.width(),
                     frame_.height(), static_cast<std::int32_t>(frame_.bytesPerLine()), state.angle,
                     state.zoom);
        // In the window's own pixel format, so that painting it is a plain copy.
        const QImage shown = frame_.convertToFormat(QImage::Format_RGB32);
        FrameView* target = target_;
        QMetaObject::invokeMethod(target, [target, shown] { target->show_frame(shown); },
                                  Qt::QueuedConnection);
        for (std::int32_t step = 0; step < steps; ++step) {
            state = advance_animation(state.angle, pace_.angle_step, state.zoom, state.zoom_step);
        }
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(steps * pace_.frame_pause_ms), [this] { return stop_; });
    }
}

namespace {

// The credits and the address, each at the x the Windows program paints them at.
std::vector<std::pair<int, QString>> credit_texts() {
    std::vector<std::pair<int, QString>> texts;
    for (const CreditLine& line : k_credit_lines) texts.emplace_back(k_credits_x, QString::fromLatin1(line.text));
    texts.emplace_back(k_credits_x, QString::fromLatin1(k_contact_address));
    return texts;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent) : DressedDialog(parent, about_dialog(), credit_texts()) {
    setMouseTracking(true);
    connect(button(Control::about_ok_button), &QPushButton::clicked, this, &QDialog::accept);
    QWidget* sunken = widget(Control::logo_frame);
    frame_ = new FrameView(sunken);
    frame_->setGeometry(sunken->contentsRect());
    animation_ = std::make_unique<LogoAnimation>(frame_, QImage(QStringLiteral(":/corelens/logo.bmp")),
                                                 animation_pace(processor_record.speed_mhz));
}

AboutWindow::~AboutWindow() { animation_.reset(); }

void AboutWindow::done(int result) {
    animation_.reset();  // the thread ends before the window and its frame go
    DressedDialog::done(result);
}

int AboutWindow::credits_x() const { return units().from_windows_x(k_credits_x); }

void AboutWindow::paintEvent(QPaintEvent* event) {
    DressedDialog::paintEvent(event);
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int x = credits_x();
    painter.setPen(colour(k_credits_colour));
    for (const CreditLine& line : k_credit_lines) {
        painter.drawText(x, units().from_windows_y(line.y) + metrics.ascent(), QString::fromLatin1(line.text));
    }
    painter.setPen(colour(k_link_colour));
    const QString address = QString::fromLatin1(k_contact_address);
    link_extent = LinkExtent{metrics.horizontalAdvance(address), metrics.height()};
    painter.drawText(x, units().from_windows_y(k_link_y) + metrics.ascent(), address);
}

void AboutWindow::mouseMoveEvent(QMouseEvent* event) {
    // The link's area is the view model's, in the Windows program's pixels: the pointer is
    // moved there from where this window paints the address.
    const QPoint at = event->position().toPoint() -
                      QPoint(credits_x() - k_credits_x, units().from_windows_y(k_link_y) - k_link_y);
    switch (track_pointer(over_link_, at.x(), at.y(), link_extent)) {
        case CursorChange::show_link: setCursor(Qt::PointingHandCursor); break;
        case CursorChange::show_normal: unsetCursor(); break;
        case CursorChange::none: break;
    }
}

void AboutWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !over_link_) return;
    // A URL holds no blank: the desktop gets "mailto:" and the address.
    const QUrl request(QStringLiteral("mailto:") + QString::fromLatin1(k_contact_address));
    if (!QDesktopServices::openUrl(request)) QtDialogs(nullptr).tell(k_email_error_message);
}

int run_gui(int argc, char** argv, bool cpu_supported, std::chrono::steady_clock::time_point started,
            std::chrono::steady_clock::time_point probed) {
    // On X the windows' pixels go over the server's socket, not through shared memory: for
    // windows this small that is cheap, and it spares a round trip to the server before every
    // paint, which Qt makes to know the shared image free (a third of what each of the about
    // window's hundred frames a second costs). Whoever sets the variable decides.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication application(argc, argv);
    if (!cpu_supported) {
        QtDialogs(nullptr).tell(k_unsupported_cpu_message);
        return 1;
    }
    if (std::getenv("CORELENS_GUI_FIRST_PAINT") != nullptr) {
        MainWindow::on_first_paint = [&] {
            const auto ms = [started](std::chrono::steady_clock::time_point t) {
                return std::chrono::duration<double, std::milli>(t - started).count();
            };
            std::printf("probe %.2f ms, first paint %.2f ms after start\n", ms(probed),
                        ms(std::chrono::steady_clock::now()));
            std::fflush(stdout);
            QMetaObject::invokeMethod(&application, &QApplication::quit, Qt::QueuedConnection);
        };
    }
    // The save dialog opens in the current directory: an installed program's own is not writable.
    MainWindow window(QDir::currentPath().toLocal8Bit().toStdString());
    window.show();
    return application.exec();
}

}  // namespace corelens::qt
