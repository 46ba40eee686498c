#pragma once
// The look the three Qt windows share: dialog units, the tiled background, the label
// font, labels and headings painted onto the background, and the dialogs they talk through.
#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QRect>

#include <utility>
#include <vector>

#include "ui/view_model.h"

class QPushButton;

namespace corelens::qt {

// Dialog units in pixels of one font, as Windows lays out a template: across, a quarter of
// the average width of "A" to "Z" and "a" to "z" (rounded to whole pixels); down, an eighth
// of the font's height. Each coordinate and size is scaled on its own and rounded.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect to_pixels(DialogRect at) const;

private:
    int across_;  // pixels in four units
    int down_;    // pixels in eight units
};

// The tiled background all windows copy from, built once for the main window's client
// size plus 200 pixels each way; client (x, y) of every window shows its pixel (x, y).
const QPixmap& background(QSize main_client);

// 14-pixel cell height Arial at normal weight.
QFont label_font();

// A dialog laid out from its table, with the tiled background and its labels and headings
// drawn onto it.
class DressedDialog : public QDialog {
public:
    DressedDialog(QWidget* parent, const DialogWindow& layout);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The widget made for that control: a button, field, frame, list or the logo's frame.
    QWidget* widget(Control control) const;
    QPushButton* button(Control control) const;
    // Fills this window's fields with the view model's texts, greying the ones without a value.
    void show_fields(const std::vector<FieldText>& fields) const;
    const DialogUnits& units() const { return units_; }

private:
    const DialogWindow& layout_;
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
