#include "ui/qt/look.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>

#include "ui/layout.h"

namespace corelens::qt {

namespace {

// The templates' font has base units of 6 x 13 pixels at 96 dots per inch.
constexpr double k_unit_x = 6.0 / 4.0;
constexpr double k_unit_y = 13.0 / 8.0;
constexpr int k_background_margin = 200;

QColor colour(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

QRect to_pixels(Units u) {
    const int left = static_cast<int>(u.x * k_unit_x);
    const int top = static_cast<int>(u.y * k_unit_y);
    return QRect(left, top, static_cast<int>((u.x + u.w) * k_unit_x) - left,
                 static_cast<int>((u.y + u.h) * k_unit_y) - top);
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

DressedDialog::DressedDialog(QWidget* parent, const WindowTexts& texts, Units client)
    : QDialog(parent), texts_(texts) {
    setWindowTitle(QString::fromLatin1(texts.title));
    setFixedSize(to_pixels(client).size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont dialog_font = font();
    dialog_font.setPixelSize(11);  // the templates' 8-point font at 96 dots per inch
    setFont(dialog_font);
}

void DressedDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect update = event->rect();
    painter.drawPixmap(update, background(size()), update);
    painter.setFont(label_font());
    const QFontMetrics metrics(label_font());
    for (const PaintedLabel& label : labels_) {
        bool heading = false;
        for (const ControlText& c : texts_.controls) {
            if (c.control == label.control) heading = c.kind == ControlKind::heading;
        }
        painter.setPen(colour(heading ? k_heading_colour : k_label_colour));
        // The top of the text's cell on the label's corner, never clipped to it.
        const QRect at = to_pixels(label.at);
        painter.drawText(at.left(), at.top() + metrics.ascent(), QString::fromLatin1(text_of(label.control)));
    }
}

const char* DressedDialog::text_of(Control control) const {
    for (const ControlText& c : texts_.controls) {
        if (c.control == control) return c.text;
    }
    return "";
}

QLabel* DressedDialog::add_field(Units at) {
    auto* field = new QLabel(this);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setAutoFillBackground(true);
    field->setGeometry(to_pixels(at));
    field->setIndent(1);
    field->setTextFormat(Qt::PlainText);
    return field;
}

QPushButton* DressedDialog::add_button(Control control, Units at) {
    auto* button = new QPushButton(QString::fromLatin1(text_of(control)), this);
    button->setGeometry(to_pixels(at));
    for (const ControlText& c : texts_.controls) {
        if (c.control == control && c.kind == ControlKind::default_button) button->setDefault(true);
    }
    return button;
}

void DressedDialog::add_frame(Units at) {
    auto* frame = new QFrame(this);
    frame->setFrameStyle(at.h <= 5 ? QFrame::HLine | QFrame::Sunken : QFrame::Box | QFrame::Sunken);
    frame->setGeometry(to_pixels(at));
    frame->lower();
}

bool show_message(QWidget* parent, const Message& message, bool yes_no) {
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromLatin1(message.caption));
    box.setText(QString::fromLatin1(message.text));
    switch (message.icon) {
        case MessageIcon::none: box.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::warning: box.setIcon(QMessageBox::Warning); break;
    }
    box.setStandardButtons(yes_no ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    return box.exec() == QMessageBox::Yes;
}

void apply_field_texts(const std::vector<FieldText>& fields,
                       const std::vector<std::pair<Field, QLabel*>>& widgets) {
    for (const FieldText& field : fields) {
        for (const auto& [name, widget] : widgets) {
            if (name != field.field) continue;
            widget->setEnabled(field.enabled);
            // Windows-1252 bytes, the micro sign of model names included.
            widget->setText(QString::fromUtf8(platform::utf8_from_windows1252(field.text).c_str()));
        }
    }
}

}  // namespace corelens::qt
