// The dialog templates, checked on the windows the dialog manager builds from
// them: every control's id, class, styles, text and place, in template order.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

struct ControlRow {
    int id;
    const char* class_name;
    DWORD style;
    DWORD ex_style;
    const char* text;
    int x, y, width, height;  // dialog units
};

struct DialogSpec {
    int template_id;
    bool extended;  // DIALOGEX: only it carries extended styles for controls
    DWORD style;
    const char* caption;
    int width, height;  // dialog units
    std::vector<ControlRow> controls;
};

constexpr DWORD k_button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD k_default_button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD k_frame = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD k_field = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_SUNKEN | SS_LEFT;
constexpr DWORD k_one_line_field = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_SUNKEN | SS_LEFTNOWORDWRAP;
constexpr DWORD k_main_label = WS_CHILD | SS_SIMPLE;
constexpr DWORD k_features_label = WS_CHILD | WS_GROUP | SS_SIMPLE;
constexpr DWORD k_heading = WS_CHILD | SS_LEFT;

const DialogSpec k_main_window{
    IDD_MAIN, true, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT,
    "CPU Identification tool", 178, 188,
    {
        // id                          class     style             ex style            text             x    y    w    h
        {IDC_MAIN_FEATURES,          "Button", k_button,         0,                  "CPU &Features", 114, 22, 56, 12},
        {IDC_MAIN_COPY,              "Button", k_button,         0,                  "&Copy",         58, 152, 54, 12},
        {IDC_MAIN_SAVE,              "Button", k_button,         0,                  "&Save",         116, 152, 54, 12},
        {IDC_MAIN_ABOUT,             "Button", k_button,         0,                  "&About",        3, 171, 77, 14},
        {IDOK,                       "Button", k_default_button, 0,                  "&Quit",         97, 171, 78, 14},
        {IDC_MAIN_VENDOR_LABEL,      "Static", k_main_label,     WS_EX_TRANSPARENT,  "Vendor:",       11, 43, 41, 8},
        {IDC_MAIN_MODEL_LABEL,       "Static", k_main_label,     WS_EX_TRANSPARENT,  "Model:",        11, 102, 41, 8},
        {IDC_MAIN_STEPPING_LABEL,    "Static", k_main_label,     WS_EX_TRANSPARENT,  "Stepping:",     11, 114, 41, 8},
        {IDC_MAIN_FAMILY_LABEL,      "Static", k_main_label,     WS_EX_TRANSPARENT,  "Family:",       11, 89, 41, 8},
        {IDC_MAIN_TYPE_LABEL,        "Static", k_main_label,     WS_EX_TRANSPARENT,  "Type:",         11, 134, 41, 8},
        {IDC_MAIN_VENDOR,            "Static", k_one_line_field, 0,                  "Vendor",        58, 40, 112, 11},
        {IDC_MAIN_MODEL,             "Static", k_field,          0,                  "Model",         58, 100, 112, 11},
        {IDC_MAIN_STEPPING,          "Static", k_field,          0,                  "Stepping",      58, 114, 112, 11},
        {IDC_MAIN_FAMILY,            "Static", k_field,          0,                  "Family",        58, 87, 112, 11},
        {IDC_MAIN_TYPE,              "Static", k_field,          0,                  "Type",          58, 132, 112, 11},
        {IDC_MAIN_DESCRIPTION_LABEL, "Static", k_main_label,     WS_EX_TRANSPARENT,  "Description:",  11, 56, 41, 8},
        {IDC_MAIN_DESCRIPTION,       "Static", k_field,          0,                  "Description",   58, 54, 112, 11},
        {IDC_MAIN_SPEED_LABEL,       "Static", k_main_label,     WS_EX_TRANSPARENT,  "Speed:",        11, 24, 41, 8},
        {IDC_MAIN_SPEED,             "Static", k_field,          0,                  "Speed",         58, 22, 50, 11},
        {IDC_MAIN_LEVEL_LABEL,       "Static", k_main_label,     WS_EX_TRANSPARENT,  "CPUID-Level:",  11, 69, 44, 8},
        {IDC_MAIN_LEVEL,             "Static", k_field,          0,                  "Level",         58, 68, 112, 11},
        {IDC_STATIC,                 "Button", k_frame,          0,                  "",              3, 0, 172, 168},
        {IDC_MAIN_NAME,              "Static", k_one_line_field, 0,                  "Name",          58, 8, 112, 11},
        {IDC_MAIN_NAME_LABEL,        "Static", k_main_label,     WS_EX_TRANSPARENT,  "Processor:",    11, 9, 41, 8},
        {IDC_STATIC,                 "Button", k_frame,          0,                  "",              3, 78, 172, 5},
        {IDC_STATIC,                 "Button", k_frame,          0,                  "",              3, 144, 172, 5},
        {IDC_STATIC,                 "Button", k_frame,          0,                  "",              3, 32, 172, 5},
        {IDC_STATIC,                 "Button", k_frame,          0,                  "",              3, 124, 172, 5},
        {IDC_MAIN_RESULTS_LABEL,     "Static", k_main_label,     WS_EX_TRANSPARENT,  "Results:",      11, 154, 41, 8},
    }};

const DialogSpec k_features_window{
    IDD_FEATURES, false, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    "CPU Features", 260, 234,
    {
        // id                       class            style             ex  text                                        x    y    w    h
        {IDC_STATIC,              "Button",        k_frame,          0, "",                                        3, 10, 255, 23},
        {IDC_FEAT_L2_LABEL,       "Static",        k_features_label, 0, "L2 (unif.):",                             8, 19, 33, 8},
        {IDC_FEAT_L2,             "Static",        k_field,          0, "L2 Cache",                                42, 18, 37, 10},
        {IDC_STATIC,              "Button",        k_frame,          0, "",                                        3, 83, 255, 130},
        {IDOK,                    "Button",        k_default_button, 0, "OK",                                      105, 217, 50, 14},
        {IDC_FEAT_LIST,           "SysListView32",
         WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL,
                                                                     0, "List1",                                   7, 91, 246, 117},
        {IDC_FEAT_FLAGS_HEADING,  "Static",        k_heading,        0, "Processor Flags (almost complete list):", 3, 76, 243, 8},
        {IDC_FEAT_L1_DATA_LABEL,  "Static",        k_features_label, 0, "L1 Data:",                                88, 19, 31, 8},
        {IDC_FEAT_L1_CODE_LABEL,  "Static",        k_features_label, 0, "L1 Instr.:",                              180, 19, 32, 8},
        {IDC_FEAT_L1_DATA,        "Static",        k_field,          0, "L1-Data Cache",                           131, 18, 37, 10},
        {IDC_FEAT_L1_CODE,        "Static",        k_field,          0, "L1-Instr. Cache",                         213, 18, 37, 10},
        {IDC_FEAT_MMX_LABEL,      "Static",        k_features_label, 0, "MMX:",                                    7, 55, 29, 8},
        {IDC_FEAT_3DNOW_LABEL,    "Static",        k_features_label, 0, "3DNow:",                                  178, 55, 34, 8},
        {IDC_FEAT_MMX,            "Static",        k_field,          0, "MMX",                                     41, 54, 37, 10},
        {IDC_FEAT_3DNOW,          "Static",        k_field,          0, "3DNow",                                   213, 54, 37, 10},
        {IDC_FEAT_SIMD_LABEL,     "Static",        k_features_label, 0, "SIMD (ISSE):",                            87, 55, 43, 8},
        {IDC_FEAT_SIMD,           "Static",        k_field,          0, "SIMD",                                    131, 54, 37, 10},
        {IDC_STATIC,              "Button",        k_frame,          0, "",                                        3, 46, 255, 23},
        {IDC_FEAT_CACHE_HEADING,  "Static",        k_heading,        0, "Cache information:",                      3, 3, 73, 8},
        {IDC_FEAT_CACHE_HELP,     "Button",        k_button,         0, "&?",                                      83, 1, 12, 11},
        {IDC_FEAT_EXT_HEADING,    "Static",        k_heading,        0, "Instruction set extensions:",             3, 39, 163, 8},
    }};

const DialogSpec k_about_window{
    IDD_ABOUT, false, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    "About", 173, 73,
    {
        // id             class     style             ex  text  x   y   w   h
        {IDOK,            "Button", k_default_button, 0, "OK", 63, 51, 50, 14},
        {IDC_ABOUT_FRAME, "Static", k_field,          0, "",   8, 9, 50, 34},
    }};

std::string hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string rect_text(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

std::string window_text(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Leaves every control as the template made it: no focus moves, no texts.
INT_PTR CALLBACK inert_dialog_proc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using DialogWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

DialogWindow create_dialog(int template_id)
{
    return DialogWindow(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id),
                                           nullptr, inert_dialog_proc, 0));
}

struct Styles {
    DWORD style;
    DWORD ex_style;
};

// What the system makes of a template's styles: the dialog manager adds
// WS_EX_NOPARENTNOTIFY to every control, a sunken static takes a static edge,
// and the list view trades its flat border for a client edge.
Styles created_styles(const ControlRow& row)
{
    Styles styles{row.style, row.ex_style | WS_EX_NOPARENTNOTIFY};
    if (lstrcmpiA(row.class_name, "Static") == 0 && (row.style & SS_SUNKEN))
        styles.ex_style |= WS_EX_STATICEDGE;
    if (lstrcmpiA(row.class_name, WC_LISTVIEWA) == 0 && (row.style & WS_BORDER)) {
        styles.style &= ~WS_BORDER;
        styles.ex_style |= WS_EX_CLIENTEDGE;
    }
    return styles;
}

bool is_extended_template(int template_id)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(template_id), MAKEINTRESOURCEA(5));
    if (!found)
        return false;
    const auto* words = static_cast<const WORD*>(LockResource(LoadResource(nullptr, found)));
    return words[0] == 1 && words[1] == 0xFFFF;
}

void check_dialog(const DialogSpec& wanted)
{
    ASSERT_TRUE(FindResourceA(nullptr, MAKEINTRESOURCEA(wanted.template_id), MAKEINTRESOURCEA(5)))
        << "no dialog template " << wanted.template_id;
    EXPECT_EQ(wanted.extended, is_extended_template(wanted.template_id));

    DialogWindow dialog = create_dialog(wanted.template_id);
    ASSERT_TRUE(dialog) << "CreateDialogParamA failed, error " << GetLastError();
    HWND window = dialog.get();

    // The system adds clip-siblings to top-level windows and the 3-D look to dialogs.
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ(hex(wanted.style), hex(style & ~(WS_CLIPSIBLINGS | DS_3DLOOK)));
    EXPECT_EQ((wanted.style & WS_VISIBLE) != 0, IsWindowVisible(window) != 0);
    EXPECT_EQ(wanted.caption, window_text(window));

    RECT client_expected{0, 0, wanted.width, wanted.height};
    MapDialogRect(window, &client_expected);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(rect_text(client_expected), rect_text(client));

    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTA logfont{};
    GetObjectA(font, sizeof logfont, &logfont);
    HDC screen = GetDC(nullptr);
    const int font_height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    EXPECT_STREQ("MS Sans Serif", logfont.lfFaceName);
    EXPECT_EQ(font_height, logfont.lfHeight);

    // Children follow template order in the Z order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(wanted.controls.size(), children.size());

    for (size_t i = 0; i < children.size(); ++i) {
        const ControlRow& row = wanted.controls[i];
        HWND child = children[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(row.id) + " \"" +
                     row.text + "\"");

        // A classic template stores the id in 16 bits, so -1 comes back as 0xFFFF.
        EXPECT_EQ(row.id & 0xFFFF, GetDlgCtrlID(child) & 0xFFFF);

        char class_name[64] = {};
        GetClassNameA(child, class_name, sizeof class_name);
        EXPECT_EQ(0, lstrcmpiA(row.class_name, class_name))
            << "expected class " << row.class_name << ", actual " << class_name;

        const Styles expected_styles = created_styles(row);
        const DWORD child_style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ(hex(expected_styles.style), hex(child_style));
        EXPECT_EQ((row.style & WS_VISIBLE) != 0, (child_style & WS_VISIBLE) != 0);

        const DWORD child_ex = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
        EXPECT_EQ(hex(expected_styles.ex_style), hex(child_ex));

        EXPECT_EQ(row.text, window_text(child));

        // The dialog manager converts the corner and the size separately, so
        // the far edge is not the converted x + width.
        RECT units{row.x, row.y, row.width, row.height};
        MapDialogRect(window, &units);
        const RECT expected{units.left, units.top, units.left + units.right, units.top + units.bottom};
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(rect_text(expected), rect_text(actual));
    }
}

class Templates : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

TEST_F(Templates, MainWindow)
{
    check_dialog(k_main_window);
}

TEST_F(Templates, FeaturesWindow)
{
    check_dialog(k_features_window);
}

TEST_F(Templates, AboutWindow)
{
    check_dialog(k_about_window);
}

}  // namespace
