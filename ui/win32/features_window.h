#pragma once
// The features window: cache sizes, instruction-set extensions and the sortable flag list.
#include <windows.h>

namespace corelens {

INT_PTR CALLBACK features_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Writes the cache and extension fields, greying the unknown ones first.
void fill_features_fields(HWND window);
// Four columns, then one row per named flag in position order.
void fill_feature_list(HWND window);

}  // namespace corelens
