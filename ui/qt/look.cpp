#include "ui/qt/look.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/platform.h"
#include "ui/layout.h"

namespace corelens::qt {

namespace {

constexpr int k_background_margin = 200;

// The font of every window: the application's at 11 pixels, as 8 points at 96 dots per inch.
QFont window_font() {
    QFont font = QApplication::font();
    font.setPixelSize(11);
    return font;
}

// MulDiv's rounding, for the non-negative values of a layout.
int scale(int value, int numerator, int denominator) {
    return (value * numerator + denominator / 2) / denominator;
}

QColor colour(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// A view-model message in a box owned by parent, with these buttons; the one pressed. Esc
// presses Cancel where there is one (Qt's escape button), and the only button of a one-button box.
QMessageBox::StandardButton show_message(QWidget* parent, const Message& message,
                                         QMessageBox::StandardButtons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromLatin1(message.caption));
    // Texts are ASCII; a path in one is the file system's (UTF-8).
    box.setText(QString::fromLocal8Bit(message.text));
    switch (message.icon) {
        case MessageIcon::none: box.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::warning: box.setIcon(QMessageBox::Warning); break;
    }
    box.setStandardButtons(buttons);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    across_ = (letters / 26 + 1) / 2;
    down_ = metrics.height();
}

QRect DialogUnits::to_pixels(DialogRect at) const {
    return QRect(scale(at.x, across_, 4), scale(at.y, down_, 8), scale(at.width, across_, 4),
                 scale(at.height, down_, 8));
}

const QPixmap& background(QSize main_client) {
    static QPixmap image;
    if (!image.isNull()) return image;
    const QSize size = main_client + QSize(k_background_margin, k_background_margin);
    image = QPixmap(size);
    const QPixmap tile(QStringLiteral(":/corelens/background.bmp"));
    QPainter painter(&image);
    if (tile.isNull()) {
        image.fill(QColor(222, 222, 222));  // no tile: plain light grey
        return image;
    }
    const TileGrid grid = tile_grid(size.width(), size.height(), tile.width(), tile.height());
    for (int column = 0; column < grid.columns; ++column) {
        for (int row = 0; row < grid.rows; ++row) {
            const Position at = grid.tile(column, row);
            painter.drawPixmap(at.x, at.y, tile);
        }
    }
    return image;
}

QFont label_font() {
    // The largest Arial whose cell (ascent plus descent) fits the Windows cell height.
    static const QFont font = [] {
        QFont candidate(QString::fromLatin1(k_label_font_face));
        candidate.setWeight(QFont::Normal);
        for (int pixels = k_label_cell_height; pixels > 6; --pixels) {
            candidate.setPixelSize(pixels);
            if (QFontMetrics(candidate).height() <= k_label_cell_height) break;
        }
        return candidate;
    }();
    return font;
}

DressedDialog::DressedDialog(QWidget* parent, const DialogWindow& layout)
    : QDialog(parent), layout_(layout), units_(window_font()) {
    setFont(window_font());
    setWindowTitle(QString::fromLatin1(layout.title));
    setFixedSize(units_.to_pixels({0, 0, layout.width, layout.height}).size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // In the table's order, which is the tab order; frames go below what they frame.
    for (const DialogControl& row : layout) {
        QWidget* made = nullptr;
        switch (row.kind) {
            case ControlKind::label:
            case ControlKind::heading:
                continue;  // painted
            case ControlKind::field:
            case ControlKind::unwrapped_field: {
                auto* field = new QLabel(this);
                field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                field->setAutoFillBackground(true);
                field->setIndent(1);
                field->setTextFormat(Qt::PlainText);
                made = field;
                break;
            }
            case ControlKind::button:
            case ControlKind::default_button: {
                auto* button = new QPushButton(QString::fromLatin1(row.text), this);
                button->setDefault(row.kind == ControlKind::default_button);
                made = button;
                break;
            }
            case ControlKind::group_box:
            case ControlKind::separator: {
                auto* frame = new QFrame(this);
                frame->setFrameStyle((row.kind == ControlKind::separator ? QFrame::HLine : QFrame::Box) |
                                     QFrame::Sunken);
                frame->lower();
                made = frame;
                break;
            }
            case ControlKind::list:
                made = new QTreeWidget(this);
                break;
            case ControlKind::logo_frame: {
                auto* frame = new QFrame(this);
                frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                made = frame;
                break;
            }
        }
        made->setGeometry(units_.to_pixels(row.at));
        widgets_.emplace_back(row.control, made);
    }
}

void DressedDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect update = event->rect();
    painter.drawPixmap(update, background(size()), update);
    painter.setFont(label_font());
    const QFontMetrics metrics(label_font());
    for (const DialogControl& row : layout_) {
        if (row.kind != ControlKind::label && row.kind != ControlKind::heading) continue;
        painter.setPen(colour(row.kind == ControlKind::heading ? k_heading_colour : k_label_colour));
        // The top of the text's cell on the label's corner, never clipped to it.
        const QRect at = units_.to_pixels(row.at);
        painter.drawText(at.left(), at.top() + metrics.ascent(), QString::fromLatin1(row.text));
    }
}

QWidget* DressedDialog::widget(Control control) const {
    for (const auto& [name, made] : widgets_) {
        if (name == control) return made;
    }
    return nullptr;
}

QPushButton* DressedDialog::button(Control control) const {
    return static_cast<QPushButton*>(widget(control));
}

void DressedDialog::show_fields(const std::vector<FieldText>& fields) const {
    for (const FieldText& field : fields) {
        auto* shown = static_cast<QLabel*>(widget(field.field));
        if (shown == nullptr) continue;
        shown->setEnabled(field.enabled);
        // Windows-1252 bytes, the micro sign of model names included.
        shown->setText(QString::fromUtf8(platform::utf8_from_windows1252(field.text).c_str()));
    }
}

Answer QtDialogs::ask(const Message& question, bool cancellable) {
    switch (show_message(owner_, question,
                         QMessageBox::Yes | QMessageBox::No | (cancellable ? QMessageBox::Cancel : QMessageBox::NoButton))) {
        case QMessageBox::Yes: return Answer::yes;
        case QMessageBox::No: return Answer::no;
        default: return Answer::cancel;
    }
}

void QtDialogs::tell(const Message& message) { show_message(owner_, message, QMessageBox::Ok); }

bool QtDialogs::choose_file(const SaveDialogRequest& request, std::string& path) {
    QFileDialog dialog(owner_, QString::fromLatin1(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(QString::fromLocal8Bit(request.initial_directory.c_str()));
    dialog.selectFile(QString::fromLocal8Bit(path.c_str()));
    // Qt reads each type's pattern from the parentheses of its name.
    QStringList filters;
    for (const FileType& type : request.types) filters << QString::fromLatin1(type.name);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(static_cast<int>(request.type_index) - 1));
    dialog.setDefaultSuffix(QString::fromLatin1(request.default_extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().first().toLocal8Bit().toStdString();
    return true;
}

bool QtDialogs::put_on_clipboard(const std::string& text) {
    std::string lines;
    for (char c : text) {
        if (c != '\r') lines += c;
    }
    QApplication::clipboard()->setText(QString::fromUtf8(platform::utf8_from_windows1252(lines).c_str()));
    return true;
}

}  // namespace corelens::qt
