#pragma once
// The look the three windows share: the tiled background image, labels written onto it
// in Arial, and centring on the screen.
#include <windows.h>

#include "ui/win32/handles.h"

namespace corelens {


// The memory context that holds the tiled background; null before dress_main_window and
// after release_background.
HDC background_dc();
// The background image's size in pixels (0 x 0 while there is none).
SIZE background_size();

// Title, class icon and the background image (main client size + 200 in each direction).
void dress_main_window(HWND window);
// Frees the background image and its context; safe to call when there is none.
void release_background();

// Moves the window to the middle of the whole screen, keeping its size and Z order.
void center_on_screen(HWND window);

// The one label font: 14-pixel Arial, normal weight.
Font create_label_font();

// The whole WM_PAINT handling of the main and features windows: the update rectangle
// from the background image, then every hidden child's text.
void paint_dialog(HWND window);
// EnumChildWindows callback; dc_param is the paint device context. Always TRUE.
BOOL CALLBACK paint_hidden_label(HWND child, LPARAM dc_param);

}  // namespace corelens
