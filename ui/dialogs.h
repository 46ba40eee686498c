#pragma once
// The three windows as ui/dialog_table.h describes them, as a table: what the Win32 dialog
// templates are made of, what ui/qt lays its windows out from, and every text of their
// labels, headings and buttons.
#include <cstddef>

namespace corelens {

// Every control a window or the view model names; frames and separators are unnamed.
enum class Control {
    unnamed,
    // Main window
    processor_label, speed_label, vendor_label, description_label, level_label, family_label,
    model_label, stepping_label, type_label, results_label,
    name, vendor, description, model, family, speed, stepping, type, level,
    features_button, copy_button, save_button, about_button, quit_button,
    // Features window
    cache_heading, extensions_heading, flags_heading,
    l2_label, l1_data_label, l1_code_label, mmx_label, simd_label, three_dnow_label,
    mmx, three_dnow, simd, l1_data, l1_code, l2,
    feature_list, cache_help_button, features_ok_button,
    // About window
    logo_frame, about_ok_button,
};

enum class ControlKind {
    label,            // black text painted onto the background
    heading,          // navy text painted onto the background
    field,            // a sunken value field
    unwrapped_field,  // the same, never broken into lines
    button,
    default_button,   // pressed by Enter
    group_box,
    separator,        // a group box so flat it is a line
    list,             // the flag list
    logo_frame,       // where the about window's logo turns
};

// Dialog units: a quarter of the window font's average character width across, an eighth
// of its height down.
struct DialogRect {
    int x, y, width, height;
};

struct DialogControl {
    Control control;
    int id;  // resources/resource.h
    ControlKind kind;
    const char* text;  // an ampersand marks the mnemonic
    DialogRect at;
};

struct DialogWindow {
    const char* title;
    int width, height;  // client area, dialog units
    const DialogControl* first;
    std::size_t count;

    const DialogControl* begin() const { return first; }
    const DialogControl* end() const { return first + count; }
    // The control of that name; nullptr when the window has none.
    const DialogControl* find(Control control) const;
};

const DialogWindow& main_dialog();
const DialogWindow& features_dialog();
const DialogWindow& about_dialog();

}  // namespace corelens
