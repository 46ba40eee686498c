#pragma once
// The look the three Qt windows share: dialog units, the tiled background, labels, headings
// and value fields, and the dialogs they talk through.
#include <QDialog>
#include <QFont>
#include <QLineEdit>
#include <QPixmap>
#include <QRect>

#include <utility>
#include <vector>

#include "ui/view_model.h"

class QFontMetrics;
class QPushButton;

namespace corelens::qt {

// The Windows program's pixel sizes (list columns, the about window's credits) were made for
// these dialog base units: MS Sans Serif 8 at 96 dots per inch.
constexpr int k_windows_across = 6;
constexpr int k_windows_down = 13;

// Dialog units in pixels of one font, as Windows lays out a template: across, a quarter of
// the average width of "A" to "Z" and "a" to "z"; down, an eighth of the font's height. Each
// coordinate and size is scaled on its own and rounded.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect to_pixels(DialogRect at) const;
    // A length the Windows program gives in pixels, in these units.
    int from_windows_x(int pixels) const;
    int from_windows_y(int pixels) const;
    // Widens (and heightens) the units until every text of layout fits its control at this
    // font: a label or heading its rectangle, a button's text within its margins, a field
    // one line of text within its border; then each extra (x and width in pixels the Windows
    // program gives, as for the about window's credits) within the window.
    void fit(const DialogWindow& layout, const QFontMetrics& metrics,
             const std::vector<std::pair<int, QString>>& extras = {});

private:
    double across_;  // pixels in four units
    double down_;    // pixels in eight units
};

// Room a button's text leaves to its left and right edges, and a field's text (and a
// button's, above and below) to its border, in pixels.
constexpr int k_button_padding = 3;
constexpr int k_field_border = 1;

// The tiled background all windows copy from, built once for the main window's client
// size plus 200 pixels each way; client (x, y) of every window shows its pixel (x, y).
const QPixmap& background(QSize main_client);

// A value field: read-only, its text selectable and scrolled by the keys (Home, End) and the
// mouse, never editable, drawn as a sunken panel.
class Field : public QLineEdit {
public:
    explicit Field(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A dialog laid out from its table in the window font's dialog units, with the tiled
// background; its labels and headings sit on the text line of the control beside them.
class DressedDialog : public QDialog {
public:
    // extras: texts the window paints itself, as DialogUnits::fit takes them.
    DressedDialog(QWidget* parent, const DialogWindow& layout,
                  const std::vector<std::pair<int, QString>>& extras = {});

    // The widget made for that control: a label, button, field, frame, list or the logo's
    // frame; nullptr when the window has none. Unnamed frames are not found.
    QWidget* widget(Control control) const;
    const DialogUnits& units() const { return units_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    QPushButton* button(Control control) const;
    // Fills this window's fields with the view model's texts, greying the ones without a value.
    void show_fields(const std::vector<FieldText>& fields) const;

private:
    DialogUnits units_;
    std::vector<std::pair<Control, QWidget*>> widgets_;
};

// The Qt side of UserDialogs: message boxes, the file dialog and the clipboard.
class QtDialogs final : public UserDialogs {
public:
    // owner may be null: a box of its own.
    explicit QtDialogs(QWidget* owner) : owner_(owner) {}

    Answer ask(const Message& question, bool cancellable) override;
    void tell(const Message& message) override;
    bool choose_file(const SaveDialogRequest& request, std::string& path) override;
    // UTF-8 with Linux line ends on the Linux clipboard.
    bool put_on_clipboard(const std::string& text) override;

private:
    QWidget* owner_;
};

}  // namespace corelens::qt
