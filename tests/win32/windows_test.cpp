// The three windows in-process: each shows the view model where its control ids say, the
// features list reads the standard word, and a hundred openings of each leave nothing behind.
// What the texts say is ui_test's.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cpuid_source.h"
#include "resources/resource.h"
#include "tests/support/core_probe.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/about_window.h"
#include "ui/win32/dressing.h"
#include "ui/win32/features_window.h"
#include "ui/win32/main_window.h"

namespace corelens {
namespace {

const HINSTANCE module = GetModuleHandleA(nullptr);

// Rows 22 and 23 of the features list: feature, position and enabled.
std::string ia64_rows(HWND features) {
    const auto cell = [features](int row, int column) {
        char text[128] = {};
        ListView_GetItemText(GetDlgItem(features, IDC_FEAT_LIST), row, column, text, sizeof text);
        return std::string(text);
    };
    return cell(22, 0) + " " + cell(22, 2) + " " + cell(22, 3) + ", " + cell(23, 2) + " " + cell(23, 3);
}

// The window's title and what its controls show where the view model's ids say, " [grey]"
// after a disabled one, as one line; compared with the same line of the view model's texts.
void expect_shows(HWND window, const DialogWindow& texts, const std::vector<FieldText>& fields) {
    std::string shown = testing::text_of(window), wanted = texts.title;
    const auto add = [&](int id, const std::string& text, bool enabled) {
        shown += "|" + testing::text_of(GetDlgItem(window, id)) + (IsWindowEnabled(GetDlgItem(window, id)) ? "" : " [grey]");
        wanted += "|" + text + (enabled ? "" : " [grey]");
    };
    for (const DialogControl& control : texts) if (control.control != Control::unnamed && !(control.kind == ControlKind::field || control.kind == ControlKind::unwrapped_field || control.kind == ControlKind::list)) add(control.id, control.text, true);
    for (const FieldText& field : fields) add(texts.find(field.field)->id, field.text, field.enabled);
    EXPECT_EQ(shown, wanted);
}

// Wine keeps no per-process GUI counts (GetGuiResources answers 0), but its handle lookups
// accept a bare table index, so there the live objects are counted by index.
std::vector<unsigned long> gdi_user_threads() {
    std::vector<unsigned long> counts{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                                      GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0};
    const bool by_index = counts[0] == 0 && counts[1] == 0;
    // Window handles are shared by every process of the prefix: only ours count.
    for (ULONG_PTR index = 1; by_index && index < 0x10000; ++index) {
        DWORD owner = 0;
        const HWND window = reinterpret_cast<HWND>(index);
        counts[0] += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
        counts[1] += IsWindow(window) && GetWindowThreadProcessId(window, &owner) && owner == GetCurrentProcessId();
    }
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        counts[2] += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return counts;
}

// Opening n: the modal main window alone, with the features window or, both shown and painted,
// with the about window (left to draw for 60 ms); each closed in turn by OK, Esc and the close
// box, the main window after them by OK. The others are closed before shown: under Wine without
// a window manager, hiding a shown top-level window waits for the X server.
int opening = 0;
HWND shown = nullptr;
void close_dialog(HWND dialog) {
    const UINT messages[] = {WM_COMMAND, WM_COMMAND, WM_CLOSE};
    const WPARAM commands[] = {IDOK, IDCANCEL, 0};
    PostMessageA(dialog, messages[opening / 3 % 3], commands[opening / 3 % 3], 0);
    if (GetWindow(dialog, GW_OWNER) != nullptr) PostMessageA(GetWindow(dialog, GW_OWNER), WM_COMMAND, IDOK, 0);
}
void CALLBACK after_showing(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (GetWindow(shown, GW_OWNER) == nullptr) PostMessageA(shown, WM_COMMAND, IDC_MAIN_ABOUT, 0);
    if (GetWindow(shown, GW_OWNER) != nullptr) close_dialog(shown);
}

// The first opening of each also checks what it shows, with the recorded Athlon when present.
TEST(Windows, ShowTheViewModelAndAHundredOpeningsOfEachLeaveNothingBehind) {
    RecordedCpuid dump;
    RecordedCpuid::ParseError error;
    build_reference_tables();
    const bool athlon = dump.load_file(CORELENS_DUMPS_DIR "/AuthenticAMD/athlon-thunderbird-644.txt", error);
    processor_record = athlon ? probe_source(dump).record : testing::sample_record();
    processor_record.speed_mhz = 451.0f;     // the logo's frame every 10 ms
    processor_record.brand_string[0] = '\0';  // one field greyed
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // the about window keeps the arrow
    InitCommonControls();
    const testing::DialogDriver driver([athlon](HWND dialog) {
        const bool main = GetWindow(dialog, GW_OWNER) == nullptr;
        if (opening == 0) expect_shows(dialog, main_dialog(), main_field_texts(processor_record));
        if (opening == 1 && !main) expect_shows(dialog, features_dialog(), features_field_texts(processor_record));
        // An Athlon's 3DNow+ (e30) must not show as IA-64, bit 30 of the standard word.
        if (opening == 1 && !main && athlon) {
            EXPECT_EQ(ia64_rows(dialog), "IA-64 30 no, e30 yes");
        }
        if (opening == 2 && !main) expect_shows(dialog, about_dialog(), {});
        if (main && opening % 3 == 1) {
            PostMessageA(dialog, WM_COMMAND, IDC_MAIN_FEATURES, 0);
        } else if (opening % 3 == 2) {
            shown = dialog;
            SetTimer(nullptr, 0, main ? 1 : 60, after_showing);
        } else {
            close_dialog(dialog);
        }
    });
    // Known Wine deviation: Wine grows its cache of window contexts once, whenever a paint
    // first overlaps the drawing thread's: of the two halves, one must leave all as it was.
    std::vector<unsigned long> counts[3];
    for (opening = 0; opening < 303; ++opening) {
        if (opening % 150 == 3) counts[opening / 150] = gdi_user_threads();  // after what stays loaded
        ASSERT_EQ(1, run_main_window(module, "C:\\")) << "opening " << opening;
        ASSERT_EQ(background_dc(), nullptr) << "opening " << opening;
    }
    counts[2] = gdi_user_threads();
    ASSERT_TRUE(counts[0][0] > 0 && counts[0][2] > 0) << "nothing to compare";
    EXPECT_TRUE(counts[0] == counts[1] || counts[1] == counts[2])
        << "GDI objects, USER objects, threads: " << ::testing::PrintToString(counts[0]) << " at the start, "
        << ::testing::PrintToString(counts[1]) << " halfway, " << ::testing::PrintToString(counts[2]) << " at the end";
}

}  // namespace
}  // namespace corelens
