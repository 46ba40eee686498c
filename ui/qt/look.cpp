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
#include <qdrawutil.h>

#include <algorithm>

#include "platform/platform.h"
#include "ui/layout.h"

namespace corelens::qt {

namespace {

constexpr int k_background_margin = 200;
// What the fitted units leave free on the window's right of a text it paints, in dialog units.
constexpr int k_right_margin = 3;

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

bool is_field(ControlKind kind) { return kind == ControlKind::field || kind == ControlKind::unwrapped_field; }
bool is_button(ControlKind kind) { return kind == ControlKind::button || kind == ControlKind::default_button; }

// The field or button a label names: the nearest one to its right whose rows hold the
// label's middle; nullptr for none.
const DialogControl* labelled(const DialogWindow& layout, const DialogControl& label) {
    const int middle = label.at.y + label.at.height / 2;
    const DialogControl* found = nullptr;
    for (const DialogControl& row : layout) {
        if (!is_field(row.kind) && !is_button(row.kind)) continue;
        if (row.at.x <= label.at.x || middle < row.at.y || middle >= row.at.y + row.at.height) continue;
        if (found == nullptr || row.at.x < found->at.x) found = &row;
    }
    return found;
}

// Top of the line of text a field or button shows in pixels at: where QLineEdit centres it
// within its margins, and a button (near enough) too.
int text_top(QRect at, int text_height, int margin) {
    return at.top() + margin + (at.height() - 2 * margin - text_height + 1) / 2;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    across_ = letters / 52.0;
    down_ = metrics.height();
}

QRect DialogUnits::to_pixels(DialogRect at) const {
    return QRect(qRound(at.x * across_ / 4), qRound(at.y * down_ / 8), qRound(at.width * across_ / 4),
                 qRound(at.height * down_ / 8));
}

int DialogUnits::from_windows_x(int pixels) const { return qRound(pixels * across_ / k_windows_across); }
int DialogUnits::from_windows_y(int pixels) const { return qRound(pixels * down_ / k_windows_down); }

void DialogUnits::fit(const DialogWindow& layout, const QFontMetrics& metrics,
                      const std::vector<std::pair<int, QString>>& extras) {
    // Units in which width dialog units hold pixels.
    const auto widen = [this](int pixels, double width) { across_ = std::max(across_, 4 * (pixels + 1) / width); };
    const auto heighten = [this](int pixels, double height) { down_ = std::max(down_, 8 * (pixels + 1) / height); };
    for (const DialogControl& row : layout) {
        const int text = metrics.horizontalAdvance(QString::fromLatin1(row.text).remove(QLatin1Char('&')));
        if (row.kind == ControlKind::label || row.kind == ControlKind::heading) {
            widen(text, row.at.width);
            heighten(metrics.height(), row.at.height);
        } else if (is_button(row.kind)) {
            widen(text + 2 * k_button_padding, row.at.width);
            heighten(metrics.height() + 2 * k_field_border, row.at.height);
        } else if (is_field(row.kind)) {
            heighten(metrics.height() + 2 * k_field_border, row.at.height);
        }
    }
    for (const auto& [x, text] : extras) {
        widen(metrics.horizontalAdvance(text), layout.width - k_right_margin - x * 4.0 / k_windows_across);
    }
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

Field::Field(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFrame(false);
    setTextMargins(k_field_border, k_field_border, k_field_border, k_field_border);
    // The window's face, as the Windows program's fields have it.
    QPalette face = palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    setPalette(face);
}

void Field::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, k_field_border);
}

DressedDialog::DressedDialog(QWidget* parent, const DialogWindow& layout,
                             const std::vector<std::pair<int, QString>>& extras)
    : QDialog(parent), units_(font()) {
    const QFontMetrics metrics(font());
    units_.fit(layout, metrics, extras);
    setWindowTitle(QString::fromLatin1(layout.title));
    setFixedSize(units_.to_pixels({0, 0, layout.width, layout.height}).size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // In the table's order, which is the tab order; frames go below what they frame.
    for (const DialogControl& row : layout) {
        QWidget* made = nullptr;
        QRect at = units_.to_pixels(row.at);
        switch (row.kind) {
            case ControlKind::label:
            case ControlKind::heading: {
                auto* label = new QLabel(QString::fromLatin1(row.text), this);
                label->setTextFormat(Qt::PlainText);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                QPalette pen = label->palette();
                pen.setColor(QPalette::WindowText,
                             colour(row.kind == ControlKind::heading ? k_heading_colour : k_label_colour));
                label->setPalette(pen);
                // On the text line of what it names, so that both share a baseline.
                if (const DialogControl* named = row.kind == ControlKind::label ? labelled(layout, row) : nullptr) {
                    const int margin = is_field(named->kind) ? k_field_border : 0;
                    at.moveTop(text_top(units_.to_pixels(named->at), metrics.height(), margin));
                }
                at.setHeight(std::max(at.height(), metrics.height()));
                made = label;
                break;
            }
            case ControlKind::field:
            case ControlKind::unwrapped_field:
                made = new Field(this);
                break;
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
        made->setGeometry(at);
        widgets_.emplace_back(row.control, made);
    }
}

void DressedDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect update = event->rect();
    painter.drawPixmap(update, background(size()), update);
}

QWidget* DressedDialog::widget(Control control) const {
    if (control == Control::unnamed) return nullptr;
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
        auto* shown = static_cast<Field*>(widget(field.field));
        if (shown == nullptr) continue;
        shown->setEnabled(field.enabled);
        // Windows-1252 bytes, the micro sign of model names included.
        shown->setText(QString::fromUtf8(platform::utf8_from_windows1252(field.text).c_str()));
        shown->setCursorPosition(0);  // the start of a long value, not its end
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
