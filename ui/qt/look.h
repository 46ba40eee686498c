#pragma once
// The look the three Qt windows share: dialog units, the tiled background, the label
// font, labels and headings painted onto the background, and one way to show a message.
#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QRect>

#include <vector>

#include "ui/view_model.h"

class QLabel;
class QPainter;
class QPushButton;

namespace corelens::qt {

// A rectangle in the dialog units of the Windows templates (8-point MS Sans Serif).
struct Units {
    int x, y, w, h;
};
// In logical pixels; Qt scales them to the screen.
QRect to_pixels(Units units);

// The tiled background all windows copy from, built once for the main window's client
// size plus 200 pixels each way; client (x, y) of every window shows its pixel (x, y).
const QPixmap& background(QSize main_client);

// 14-pixel cell height Arial at normal weight.
QFont label_font();

struct PaintedLabel {
    Control control;
    Units at;
};

// A dialog with the tiled background and its labels and headings drawn onto it.
class DressedDialog : public QDialog {
public:
    DressedDialog(QWidget* parent, const WindowTexts& texts, Units client);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Labels drawn black or navy from the window's texts, each at its place.
    void set_labels(std::vector<PaintedLabel> labels) { labels_ = std::move(labels); }
    // A sunken value field.
    QLabel* add_field(Units at);
    // A button with its text (and mnemonic) from the window's texts.
    QPushButton* add_button(Control control, Units at);
    // An untitled frame or, 5 units high, a separator line.
    void add_frame(Units at);
    const char* text_of(Control control) const;

private:
    const WindowTexts& texts_;
    std::vector<PaintedLabel> labels_;
};

// A view-model message in a box owned by parent; true for Yes when yes_no.
bool show_message(QWidget* parent, const Message& message, bool yes_no = false);

// Fills the fields with the view model's texts, greying the ones without a value.
void apply_field_texts(const std::vector<FieldText>& fields,
                       const std::vector<std::pair<Field, QLabel*>>& widgets);

}  // namespace corelens::qt
