#include "ui/win32/features_window.h"

#include <commctrl.h>

#include "core/processor_record.h"
#include "resources/resource.h"
#include "ui/feature_list.h"
#include "ui/view_model.h"
#include "ui/win32/dressing.h"
#include "ui/win32/user_dialogs.h"

namespace corelens {

namespace {

// The list control hands each row's row_position and the sort parameter as LPARAMs.
int CALLBACK list_compare_by_name(LPARAM a, LPARAM b, LPARAM parameter) {
    return compare_by_name(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b),
                           static_cast<std::int32_t>(parameter));
}
int CALLBACK list_compare_by_position(LPARAM a, LPARAM b, LPARAM parameter) {
    return compare_by_position(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b),
                               static_cast<std::int32_t>(parameter));
}
int CALLBACK list_compare_by_enabled(LPARAM a, LPARAM b, LPARAM parameter) {
    return compare_by_enabled(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b),
                              static_cast<std::int32_t>(parameter), processor_record);
}

PFNLVCOMPARE comparison_for(const SortOrder& order) {
    switch (order.column) {
        case 0:
        case 1: return list_compare_by_name;
        case 2: return list_compare_by_position;
        default: return list_compare_by_enabled;
    }
}

void set_cell(HWND list, int index, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void on_init_dialog(HWND window) {
    center_on_screen(window);
    fill_features_fields(window);
    fill_feature_list(window);
}

void on_notify(LPARAM lparam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->code != static_cast<UINT>(LVN_COLUMNCLICK)) return;
    const auto* click = reinterpret_cast<const NMLISTVIEW*>(lparam);
    const auto order = click_column(sort_flags, click->iSubItem);
    if (!order) return;
    SendMessageA(header->hwndFrom, LVM_SORTITEMS, static_cast<WPARAM>(sort_parameter(*order)),
                 reinterpret_cast<LPARAM>(comparison_for(*order)));
}

void on_command(HWND window, WPARAM wparam) {
    // The whole of wParam is compared, notification code included.
    switch (wparam) {
        case IDOK:
        case IDCANCEL:
            EndDialog(window, 1);
            break;
        case IDC_FEAT_CACHE_HELP:
            WindowsDialogs(window).tell(k_cache_help_message);
            break;
        default:
            break;
    }
}

}  // namespace

INT_PTR CALLBACK features_dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            on_init_dialog(window);
            return TRUE;  // focus to the first tab stop
        case WM_PAINT: paint_dialog(window, features_dialog()); break;
        case WM_NOTIFY: on_notify(lparam); break;
        case WM_COMMAND: on_command(window, wparam); break;
        default: break;
    }
    return FALSE;
}

void fill_features_fields(HWND window) {
    apply_field_texts(window, features_dialog(), features_field_texts(processor_record));
}

void fill_feature_list(HWND window) {
    const HWND list = GetDlgItem(window, IDC_FEAT_LIST);
    InitCommonControls();  // common controls 4.00 (NT 4.0) has no InitCommonControlsEx

    for (int index = 0; index < static_cast<int>(feature_columns.size()); ++index) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = feature_columns[index].width;
        column.pszText = const_cast<char*>(feature_columns[index].header);
        column.iSubItem = index;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    }

    for (const FeatureRow& row : feature_rows(processor_record)) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row.row_position;  // the list appends it after the rows already there
        item.pszText = const_cast<char*>(row.short_name.c_str());
        item.lParam = row.row_position;
        const int index = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        set_cell(list, index, 1, row.long_name);
        set_cell(list, index, 2, row.position_text);
        set_cell(list, index, 3, row.enabled_text);
    }
}

}  // namespace corelens
