#pragma once
// The look the three windows share: the tiled background image, labels written onto it
// in Arial, and centring on the screen.
#include <windows.h>

#include <vector>

#include "ui/view_model.h"
#include "ui/win32/handles.h"

namespace corelens {

// A view-model colour, 0xRRGGBB, as GDI takes it.
constexpr COLORREF colour_ref(unsigned rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The memory context that holds the tiled background; null before dress_main_window and
// after release_background.
HDC background_dc();
// Class icon and the background image (main client size + 200 in each direction).
void dress_main_window(HWND window);
// Frees the background image and its context; safe to call when there is none.
void release_background();

// Moves the window to the middle of the whole screen, keeping its size and Z order.
void center_on_screen(HWND window);

// The one label font: 14-pixel Arial, normal weight.
Font create_label_font();

// The whole WM_PAINT handling of the main and features windows: the update rectangle
// from the background image, then the text of every label and heading of layout where
// the template put its (hidden) control.
void paint_dialog(HWND window, const DialogWindow& layout);

// Each field's text into its control of layout, greying the ones without a value first.
void apply_field_texts(HWND window, const DialogWindow& layout, const std::vector<FieldText>& fields);

}  // namespace corelens
