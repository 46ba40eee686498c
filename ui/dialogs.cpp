#include "ui/dialogs.h"

#include "resources/resource.h"
#include "ui/dialog_table.h"

namespace corelens {

namespace {

#define CORELENS_ROW(name, id, kind, text, x, y, width, height) \
    {Control::name, id, ControlKind::kind, text, {x, y, width, height}},

// Built at compile time: the Windows program carries no start-up code for them.
constexpr DialogControl k_main_controls[] = {CORELENS_MAIN_CONTROLS(CORELENS_ROW)};
constexpr DialogControl k_features_controls[] = {CORELENS_FEATURES_CONTROLS(CORELENS_ROW)};
constexpr DialogControl k_about_controls[] = {CORELENS_ABOUT_CONTROLS(CORELENS_ROW)};

#undef CORELENS_ROW

template <std::size_t N>
constexpr DialogWindow window(const char* title, int width, int height, const DialogControl (&controls)[N]) {
    return {title, width, height, controls, N};
}

constexpr DialogWindow k_main = window(CORELENS_MAIN_TITLE, CORELENS_MAIN_SIZE, k_main_controls);
constexpr DialogWindow k_features = window(CORELENS_FEATURES_TITLE, CORELENS_FEATURES_SIZE, k_features_controls);
constexpr DialogWindow k_about = window(CORELENS_ABOUT_TITLE, CORELENS_ABOUT_SIZE, k_about_controls);

}  // namespace

const DialogControl* DialogWindow::find(Control control) const {
    for (const DialogControl& row : *this) {
        if (row.control == control) return &row;
    }
    return nullptr;
}

const DialogWindow& main_dialog() { return k_main; }
const DialogWindow& features_dialog() { return k_features; }
const DialogWindow& about_dialog() { return k_about; }

}  // namespace corelens
