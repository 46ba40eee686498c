// The main window in-process: what initialisation writes, painting, centring, the copy and
// save commands and the ways it ends. Field texts are checked by ui_test, the template's
// controls by templates_test.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

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

TEST_F(MainWindow, FieldsAndCentring) {
    std::vector<std::string> fields;
    for (int id : {IDC_MAIN_NAME, IDC_MAIN_VENDOR, IDC_MAIN_DESCRIPTION, IDC_MAIN_MODEL, IDC_MAIN_FAMILY,
                   IDC_MAIN_SPEED, IDC_MAIN_STEPPING, IDC_MAIN_TYPE, IDC_MAIN_LEVEL})
        fields.push_back(testing::field_state(GetDlgItem(window_, id)));
    EXPECT_EQ(fields, (std::vector<std::string>{"AMD Athlon", "AuthenticAMD", "AMD Athlon(tm) Processor",
                                                "2 (Athlon (0.18\xB5m))", "6 (Athlon)",
                                                "(unable to determine speed) [grey]", "1",
                                                "0 (Original OEM processor)", "1 {4}"}));
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

TEST_F(MainWindow, SaveSequence) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string question =
        "Do you want to save the results in\nHTML-format?\n\n('YES' for HTML, 'NO' for text)|Type of output|" +
        std::to_string(MB_YESNO);
    const struct {
        const char* what;
        std::string chosen;   // empty: the save dialog is cancelled
        std::string boxes;    // every message box: text|caption|type
        const char* content;  // what the file starts with; empty: no file
    } cases[] = {
        {"no, html name", std::string(temp) + "corelens_main_test.html", question, "<HTML>"},
        {"cancelled", "", question, ""},
        {"missing directory", std::string(temp) + "corelens_no_such_directory\\results.txt",
         question + "\nSaving the results failed!|Error|" + std::to_string(MB_ICONWARNING), ""},
    };
    for (const auto& c : cases) {
        DeleteFileA(c.chosen.c_str());
        save_directory = "C:\\corelens";
        std::string boxes, unwritten;
        user_prompts().message_box = [&](HWND, const char* text, const char* caption, UINT type) {
            if (!boxes.empty()) boxes += "\n";
            boxes += std::string(text) + "|" + caption + "|" + std::to_string(type);
            return IDNO;
        };
        user_prompts().choose_save_file = [&](HWND, const std::string& directory, std::string& path) {
            unwritten = directory + "\\" + path;
            if (c.chosen.empty()) return 0;
            path = unwritten = c.chosen;
            return 1;
        };
        SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);
        EXPECT_EQ(boxes, c.boxes) << c.what;
        std::ifstream in(unwritten, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        EXPECT_EQ(content.str().substr(0, std::strlen(c.content)), c.content) << c.what << ": " << unwritten;
        EXPECT_EQ(in.is_open(), *c.content != '\0') << c.what << ": file written or not";
        in.close();
        DeleteFileA(c.chosen.c_str());
    }
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
