// The main window in-process: the view model mapped onto its controls, painting, centring,
// the copy and save commands and the ways it ends. What the texts say is ui_test's.
#include <gtest/gtest.h>

#include <string>

#include "report/renderers.h"
#include "report/result_output.h"
#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/main_window.h"

namespace corelens {
namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessorRecord record = testing::sample_record();
        record.speed_mhz = 0.0f;  // one field greyed
        testing::use_record(record);
        window_ = testing::open_dialog(IDD_MAIN, main_dialog_proc);
        ASSERT_NE(window_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override { testing::close_dialogs({window_}); }

    HWND window_ = nullptr;
};

TEST_F(MainWindow, ViewModelMappedAndCentred) {
    EXPECT_EQ(testing::mapping_faults(window_, main_window_texts(), main_field_texts(processor_record)), "");
    EXPECT_EQ(testing::centring_fault(window_), "");
}

TEST_F(MainWindow, PaintsBackgroundAndHiddenLabels) {
    RECT client{};
    GetClientRect(window_, &client);
    const POINT corners[] = {{1, 1}, {client.right - 2, client.bottom - 2}};
    EXPECT_EQ(testing::paint_faults(window_, {corners[0], corners[1]},
                                    {{IDC_MAIN_NAME_LABEL, RGB(0, 0, 0)},
                                     {IDC_MAIN_SPEED_LABEL, RGB(0, 0, 0)}}),
              "");
}

TEST_F(MainWindow, CopyPutsTextReportOnClipboard) {
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_MAIN_COPY, BN_CLICKED), 0);
    ASSERT_TRUE(OpenClipboard(window_));
    const HANDLE data = GetClipboardData(CF_TEXT);
    std::string clipboard = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data != nullptr) GlobalUnlock(data);
    CloseClipboard();
    // The report's clock line may differ by a second: compare from "General information:".
    const std::string expected = render_text_report(processor_record, gather_report_context());
    const auto body = [](const std::string& text) {
        const auto at = text.find("General information:");
        return at == std::string::npos ? std::string() : text.substr(at);
    };
    EXPECT_FALSE(body(clipboard).empty()) << clipboard;
    EXPECT_EQ(body(clipboard), body(expected));
}

// The save flow's decisions are ui_test's; here only how its prompts reach Windows.
TEST_F(MainWindow, SavePromptsAsMessageBoxesAndTheDialog) {
    std::string boxes, directory;
    user_prompts().message_box = [&](HWND owner, const char*, const char* caption, UINT type) {
        boxes += std::string(caption) + " " + std::to_string(type) + (owner == window_ ? " owned; " : "; ");
        return IDNO;
    };
    user_prompts().choose_save_file = [&](HWND, const std::string& folder, std::string& path) {
        directory = folder;
        path = "Z:\\corelens-no-such-directory\\" + path;
        return 1;
    };
    save_directory = "C:\\corelens";
    SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);
    EXPECT_EQ(boxes, "Type of output " + std::to_string(MB_YESNO) + " owned; Error " +
                         std::to_string(MB_ICONWARNING) + " owned; ");
    EXPECT_EQ(directory, save_directory);
}

TEST(MainWindowEnds, WithOne) {
    for (const char* way : {"enter", "escape", "close box"}) {
        testing::use_record(testing::sample_record());
        EXPECT_EQ(testing::run_ended_by(way, [] { return run_main_window(GetModuleHandleA(nullptr), "C:\\"); }),
                  1)
            << way;
        EXPECT_EQ(background_dc(), nullptr) << way << ": background not released";
    }
}

}  // namespace
}  // namespace corelens
