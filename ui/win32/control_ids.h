#pragma once
// Where the view model's fields and controls live in the dialog templates.
#include <windows.h>

#include <vector>

#include "ui/view_model.h"

namespace corelens {

// A view-model colour, 0xRRGGBB, as GDI takes it.
constexpr COLORREF colour_ref(unsigned rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int control_id(Field field);
int control_id(Control control);

// The window's title and every label, heading and button text, from the view model.
void apply_window_texts(HWND window, const WindowTexts& texts);
// Each field's text, greying the ones without a value first.
void apply_field_texts(HWND window, const std::vector<FieldText>& fields);

}  // namespace corelens
