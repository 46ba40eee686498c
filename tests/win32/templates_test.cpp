// The dialog templates, checked on the windows the dialog manager builds from
// them: every control's id, class, styles, text and place, in template order.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"

namespace {

using corelens::testing::client_rect_of;
using corelens::testing::text_of;

// Styles as the created control has them; the dialog manager adds WS_EX_NOPARENTNOTIFY to
// every control, a sunken static takes a static edge, and the list
// view trades its template border for a client edge.
struct Look {
    DWORD style;
    DWORD ex_style;
};

struct ControlRow {
    int id;
    const char* class_name;
    Look look;
    const char* text;
    int x, y, width, height;  // dialog units
};

struct ExpectedDialog {
    int template_id;
    DWORD style;
    const char* caption;
    int width, height;  // dialog units
    std::vector<ControlRow> controls;
};

constexpr Look k_button{WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0};
constexpr Look k_default_button{WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
constexpr Look k_frame{WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0};
constexpr Look k_field{WS_CHILD | WS_VISIBLE | WS_GROUP | SS_SUNKEN | SS_LEFT, WS_EX_STATICEDGE};
constexpr Look k_one_line_field{WS_CHILD | WS_VISIBLE | WS_GROUP | SS_SUNKEN | SS_LEFTNOWORDWRAP, WS_EX_STATICEDGE};
constexpr Look k_main_label{WS_CHILD | SS_SIMPLE, WS_EX_TRANSPARENT};
constexpr Look k_features_label{WS_CHILD | WS_GROUP | SS_SIMPLE, 0};
constexpr Look k_heading{WS_CHILD | SS_LEFT, 0};
constexpr Look k_list{WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, WS_EX_CLIENTEDGE};

const ExpectedDialog k_main_window{
    IDD_MAIN, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT, "CPU Identification tool", 178, 188, {
    // id                          class     look              text             x    y    w    h
    {IDC_MAIN_FEATURES,          "Button", k_button,         "CPU &Features", 114, 22, 56, 12},
    {IDC_MAIN_COPY,              "Button", k_button,         "&Copy",         58, 152, 54, 12},
    {IDC_MAIN_SAVE,              "Button", k_button,         "&Save",         116, 152, 54, 12},
    {IDC_MAIN_ABOUT,             "Button", k_button,         "&About",        3, 171, 77, 14},
    {IDOK,                       "Button", k_default_button, "&Quit",         97, 171, 78, 14},
    {IDC_MAIN_VENDOR_LABEL,      "Static", k_main_label,     "Vendor:",       11, 43, 41, 8},
    {IDC_MAIN_MODEL_LABEL,       "Static", k_main_label,     "Model:",        11, 102, 41, 8},
    {IDC_MAIN_STEPPING_LABEL,    "Static", k_main_label,     "Stepping:",     11, 114, 41, 8},
    {IDC_MAIN_FAMILY_LABEL,      "Static", k_main_label,     "Family:",       11, 89, 41, 8},
    {IDC_MAIN_TYPE_LABEL,        "Static", k_main_label,     "Type:",         11, 134, 41, 8},
    {IDC_MAIN_VENDOR,            "Static", k_one_line_field, "Vendor",        58, 40, 112, 11},
    {IDC_MAIN_MODEL,             "Static", k_field,          "Model",         58, 100, 112, 11},
    {IDC_MAIN_STEPPING,          "Static", k_field,          "Stepping",      58, 114, 112, 11},
    {IDC_MAIN_FAMILY,            "Static", k_field,          "Family",        58, 87, 112, 11},
    {IDC_MAIN_TYPE,              "Static", k_field,          "Type",          58, 132, 112, 11},
    {IDC_MAIN_DESCRIPTION_LABEL, "Static", k_main_label,     "Description:",  11, 56, 41, 8},
    {IDC_MAIN_DESCRIPTION,       "Static", k_field,          "Description",   58, 54, 112, 11},
    {IDC_MAIN_SPEED_LABEL,       "Static", k_main_label,     "Speed:",        11, 24, 41, 8},
    {IDC_MAIN_SPEED,             "Static", k_field,          "Speed",         58, 22, 50, 11},
    {IDC_MAIN_LEVEL_LABEL,       "Static", k_main_label,     "CPUID-Level:",  11, 69, 44, 8},
    {IDC_MAIN_LEVEL,             "Static", k_field,          "Level",         58, 68, 112, 11},
    {IDC_STATIC,                 "Button", k_frame,          "",              3, 0, 172, 168},
    {IDC_MAIN_NAME,              "Static", k_one_line_field, "Name",          58, 8, 112, 11},
    {IDC_MAIN_NAME_LABEL,        "Static", k_main_label,     "Processor:",    11, 9, 41, 8},
    {IDC_STATIC,                 "Button", k_frame,          "",              3, 78, 172, 5},
    {IDC_STATIC,                 "Button", k_frame,          "",              3, 144, 172, 5},
    {IDC_STATIC,                 "Button", k_frame,          "",              3, 32, 172, 5},
    {IDC_STATIC,                 "Button", k_frame,          "",              3, 124, 172, 5},
    {IDC_MAIN_RESULTS_LABEL,     "Static", k_main_label,     "Results:",      11, 154, 41, 8},
}};

const ExpectedDialog k_features_window{
    IDD_FEATURES, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, "CPU Features", 260, 234, {
    // id                       class            look              text                                        x    y    w    h
    {IDC_STATIC,              "Button",        k_frame,          "",                                        3, 10, 255, 23},
    {IDC_FEAT_L2_LABEL,       "Static",        k_features_label, "L2 (unif.):",                             8, 19, 33, 8},
    {IDC_FEAT_L2,             "Static",        k_field,          "L2 Cache",                                42, 18, 37, 10},
    {IDC_STATIC,              "Button",        k_frame,          "",                                        3, 83, 255, 130},
    {IDOK,                    "Button",        k_default_button, "OK",                                      105, 217, 50, 14},
    {IDC_FEAT_LIST,           "SysListView32", k_list,           "List1",                                   7, 91, 246, 117},
    {IDC_FEAT_FLAGS_HEADING,  "Static",        k_heading,        "Processor Flags (almost complete list):", 3, 76, 243, 8},
    {IDC_FEAT_L1_DATA_LABEL,  "Static",        k_features_label, "L1 Data:",                                88, 19, 31, 8},
    {IDC_FEAT_L1_CODE_LABEL,  "Static",        k_features_label, "L1 Instr.:",                              180, 19, 32, 8},
    {IDC_FEAT_L1_DATA,        "Static",        k_field,          "L1-Data Cache",                           131, 18, 37, 10},
    {IDC_FEAT_L1_CODE,        "Static",        k_field,          "L1-Instr. Cache",                         213, 18, 37, 10},
    {IDC_FEAT_MMX_LABEL,      "Static",        k_features_label, "MMX:",                                    7, 55, 29, 8},
    {IDC_FEAT_3DNOW_LABEL,    "Static",        k_features_label, "3DNow:",                                  178, 55, 34, 8},
    {IDC_FEAT_MMX,            "Static",        k_field,          "MMX",                                     41, 54, 37, 10},
    {IDC_FEAT_3DNOW,          "Static",        k_field,          "3DNow",                                   213, 54, 37, 10},
    {IDC_FEAT_SIMD_LABEL,     "Static",        k_features_label, "SIMD (ISSE):",                            87, 55, 43, 8},
    {IDC_FEAT_SIMD,           "Static",        k_field,          "SIMD",                                    131, 54, 37, 10},
    {IDC_STATIC,              "Button",        k_frame,          "",                                        3, 46, 255, 23},
    {IDC_FEAT_CACHE_HEADING,  "Static",        k_heading,        "Cache information:",                      3, 3, 73, 8},
    {IDC_FEAT_CACHE_HELP,     "Button",        k_button,         "&?",                                      83, 1, 12, 11},
    {IDC_FEAT_EXT_HEADING,    "Static",        k_heading,        "Instruction set extensions:",             3, 39, 163, 8},
}};

const ExpectedDialog k_about_window{
    IDD_ABOUT, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, "About", 173, 73, {
    {IDOK,            "Button", k_default_button, "OK", 63, 51, 50, 14},
    {IDC_ABOUT_FRAME, "Static", k_field,          "",   8, 9, 50, 34},
}};

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string size_text(LONG width, LONG height) { return std::to_string(width) + "x" + std::to_string(height); }

// One line per control, so a failure prints the expected and actual control whole.
std::string control_text(int id, const std::string& class_name, DWORD style, DWORD ex_style,
                         const std::string& text, const RECT& r) {
    return std::to_string(id & 0xFFFF) + " " + class_name + " style " + hex(style) + " ex " + hex(ex_style) +
           ((style & WS_VISIBLE) ? " shown" : " hidden") + " \"" + text + "\" at " + std::to_string(r.left) +
           "," + std::to_string(r.top) + " size " + size_text(r.right, r.bottom);
}

// Leaves every control as the template made it: no focus moves, no texts.
INT_PTR CALLBACK inert_dialog_proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void check_dialog(const ExpectedDialog& wanted) {
    const HWND dialog = corelens::testing::open_dialog(wanted.template_id, inert_dialog_proc);
    ASSERT_TRUE(dialog);
    // The system adds clip-siblings to top-level windows and the 3-D look to dialogs.
    const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)) & ~(WS_CLIPSIBLINGS | DS_3DLOOK);
    RECT client{0, 0, wanted.width, wanted.height}, actual_client{};
    MapDialogRect(dialog, &client);
    GetClientRect(dialog, &actual_client);
    EXPECT_EQ(hex(wanted.style) + " \"" + wanted.caption + "\" " + size_text(client.right, client.bottom),
              hex(style) + " \"" + text_of(dialog) + "\" " + size_text(actual_client.right, actual_client.bottom));

    // Children follow template order in the Z order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(wanted.controls.size(), children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlRow& row = wanted.controls[i];
        const HWND child = children[i];
        // The dialog manager converts the corner and the size separately.
        RECT units{row.x, row.y, row.width, row.height};
        MapDialogRect(dialog, &units);
        RECT place = client_rect_of(dialog, child);
        place.right -= place.left;
        place.bottom -= place.top;
        char class_name[64] = {};
        GetClassNameA(child, class_name, sizeof class_name);
        EXPECT_EQ(control_text(row.id, row.class_name, row.look.style, row.look.ex_style | WS_EX_NOPARENTNOTIFY,
                               row.text, units),
                  control_text(GetDlgCtrlID(child), class_name, GetWindowLongA(child, GWL_STYLE),
                               GetWindowLongA(child, GWL_EXSTYLE), text_of(child), place));
    }
    DestroyWindow(dialog);
}

TEST(Templates, EachDialogAsItsTemplateMakesIt) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    for (const ExpectedDialog* dialog : {&k_main_window, &k_features_window, &k_about_window}) {
        SCOPED_TRACE(dialog->caption);
        check_dialog(*dialog);
    }
}

}  // namespace
