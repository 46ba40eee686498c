// The main window in-process: what initialisation writes, painting, centring, the copy and
// save commands and the ways it ends. The template's controls are checked by templates_test.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "report/renderers.h"
#include "report/result_output.h"
#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/win32/dressing.h"
#include "ui/win32/main_window.h"
#include "ui/win32/prompts.h"

namespace corelens {
namespace {

using testing::field_state;
using testing::text_of;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { open(testing::sample_record()); }
    void TearDown() override {
        user_prompts() = UserPrompts{};
        DestroyWindow(window_);
        release_background();
        testing::pump_messages();
    }
    void open(const ProcessorRecord& record) {
        if (window_ != nullptr) DestroyWindow(window_);
        testing::use_record(record);
        window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     main_dialog_proc, 0);
        ASSERT_NE(window_, nullptr) << "error " << GetLastError();
    }
    HWND item(int id) const { return GetDlgItem(window_, id); }

    HWND window_ = nullptr;
};

TEST_F(MainWindow, FieldsPerRecord) {
    ProcessorRecord greyed = testing::sample_record();
    greyed.speed_mhz = 0.0f;
    greyed.brand_string[0] = '\0';
    const struct {
        const char* what;
        ProcessorRecord record;
        std::vector<std::string> fields;  // name, vendor, description, model, family, speed, stepping, type, level
    } cases[] = {
        {"measured, branded", testing::sample_record(),
         {"AMD Athlon", "AuthenticAMD", "AMD Athlon(tm) Processor", "2 (Athlon (0.18\xB5m))", "6 (Athlon)",
          "451.0 MHz", "1", "0 (Original OEM processor)", "1 {4}"}},
        {"no clock, no brand", greyed,
         {"AMD Athlon", "AuthenticAMD", "(not supported by this cpu) [grey]", "2 (Athlon (0.18\xB5m))",
          "6 (Athlon)", "(unable to determine speed) [grey]", "1", "0 (Original OEM processor)", "1 {4}"}},
    };
    for (const auto& c : cases) {
        open(c.record);
        std::vector<std::string> fields;
        for (int id : {IDC_MAIN_NAME, IDC_MAIN_VENDOR, IDC_MAIN_DESCRIPTION, IDC_MAIN_MODEL, IDC_MAIN_FAMILY,
                       IDC_MAIN_SPEED, IDC_MAIN_STEPPING, IDC_MAIN_TYPE, IDC_MAIN_LEVEL})
            fields.push_back(field_state(item(id)));
        EXPECT_EQ(fields, c.fields) << c.what;
    }
    EXPECT_EQ(text_of(window_), "Corelens - CPU identification tool");
    EXPECT_NE(GetClassLongA(window_, GCL_HICON), 0u);
    EXPECT_EQ(testing::origin_of(window_), testing::centred_origin_of(window_)) << "not centred";
}

TEST_F(MainWindow, PaintsBackgroundAndHiddenLabels) {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    RECT client{};
    GetClientRect(window_, &client);
    std::vector<RECT> covered;
    std::vector<HWND> labels;
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT area = testing::client_rect_of(window_, child);
        if (!IsWindowVisible(child)) {
            labels.push_back(child);
            area.right += 40;  // text may run past its control
        }
        covered.push_back(area);
    }
    testing::PixelReader pixels(window_);
    int compared = 0;
    for (int y = 0; y < client.bottom; y += 3) {
        for (int x = 0; x < client.right; x += 3) {
            bool hidden = false;
            for (const RECT& area : covered) hidden = hidden || PtInRect(&area, POINT{x, y});
            if (hidden) continue;
            ++compared;
            ASSERT_EQ(pixels.at(x, y), GetPixel(background_dc(), x, y)) << "at " << x << "," << y;
            // Tiled from the light-grey artwork, not a fresh (black) bitmap.
            ASSERT_GE(GetRValue(pixels.at(x, y)), 200) << "at " << x << "," << y;
        }
    }
    EXPECT_GT(compared, 50);
    ASSERT_EQ(labels.size(), 10u);
    for (HWND label : labels) {
        EXPECT_TRUE(pixels.any(testing::client_rect_of(window_, label), RGB(0, 0, 0)))
            << "no black text for " << text_of(label);
        EXPECT_FALSE(pixels.any(testing::client_rect_of(window_, label), RGB(0, 0, 128)))
            << "navy text for " << text_of(label);
    }
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
    EXPECT_EQ(clipboard.rfind("Corelens results:\r\n", 0), 0u) << clipboard;
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
        int answer;
        std::string chosen;    // empty: the save dialog is cancelled
        const char* proposed;  // the name the save dialog offers
        std::string boxes;     // every message box: text|caption|type
        const char* content;   // what the file starts with; empty: no file
    } cases[] = {
        {"no, html name", IDNO, std::string(temp) + "corelens_main_test.html", "corelens_results.txt", question,
         "<HTML>"},
        {"yes, text name replaces", IDYES, std::string(temp) + "corelens_main_test.txt", "corelens_results.html",
         question, "Corelens results:\r\n"},
        {"cancelled", IDNO, "", "corelens_results.txt", question, ""},
        {"missing directory", IDNO, std::string(temp) + "corelens_no_such_directory\\results.txt",
         "corelens_results.txt", question + "\nSaving the results failed!|Error|" + std::to_string(MB_ICONWARNING),
         ""},
    };
    for (const auto& c : cases) {
        {
            std::ofstream old(std::string(temp) + "corelens_main_test.txt", std::ios::binary);
            old << "an older file that is longer than nothing";
        }
        DeleteFileA((std::string(temp) + "corelens_main_test.html").c_str());
        save_directory = "C:\\corelens";
        std::string boxes, proposed, directory;
        user_prompts().message_box = [&](HWND owner, const char* text, const char* caption, UINT type) {
            EXPECT_EQ(owner, window_) << c.what;
            boxes += (boxes.empty() ? "" : "\n") + std::string(text) + "|" + caption + "|" + std::to_string(type);
            return c.answer;
        };
        user_prompts().choose_save_file = [&](HWND owner, const std::string& in, std::string& path) {
            EXPECT_EQ(owner, window_) << c.what;
            proposed = path;
            directory = in;
            if (c.chosen.empty()) return 0;
            path = c.chosen;
            return 1;
        };
        SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);
        EXPECT_EQ(boxes, c.boxes) << c.what;
        EXPECT_EQ(proposed, c.proposed) << c.what;
        EXPECT_EQ(directory, "C:\\corelens") << c.what;
        if (*c.content != '\0') {
            std::ifstream in(c.chosen, std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            EXPECT_EQ(content.str().rfind(c.content, 0), 0u) << c.what << ": " << content.str().substr(0, 100);
        } else {
            const std::string unwritten = c.chosen.empty() ? directory + "\\" + proposed : c.chosen;
            EXPECT_EQ(GetFileAttributesA(unwritten.c_str()), INVALID_FILE_ATTRIBUTES) << c.what << ": " << unwritten;
        }
    }
    DeleteFileA((std::string(temp) + "corelens_main_test.txt").c_str());
    DeleteFileA((std::string(temp) + "corelens_main_test.html").c_str());
}

TEST_F(MainWindow, OpensFeaturesWindowOwnedByIt) {
    HWND features = nullptr;
    std::string seen;
    {
        testing::DialogDriver driver([&](HWND dialog) {
            features = dialog;
            seen = text_of(dialog) + (GetWindow(dialog, GW_OWNER) == window_ ? ", owned" : ", not owned");
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(driver.installed());
        SendMessageA(window_, WM_COMMAND, IDC_MAIN_FEATURES, 0);
    }
    EXPECT_EQ(seen, "CPU Features, owned");
    EXPECT_FALSE(IsWindow(features));
    EXPECT_TRUE(IsWindow(window_));
}

class MainWindowEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(MainWindowEnds, WithOne) {
    testing::use_record(testing::sample_record());
    testing::DialogDriver driver([&](HWND dialog) { testing::post_ending(dialog, GetParam()); });
    ASSERT_TRUE(driver.installed());
    EXPECT_EQ(run_main_window(GetModuleHandleA(nullptr), "C:\\"), 1) << GetParam();
    EXPECT_EQ(background_dc(), nullptr) << GetParam() << ": background not released";
}

INSTANTIATE_TEST_SUITE_P(Keys, MainWindowEnds, ::testing::Values("enter", "escape", "close box", "ok"));

}  // namespace
}  // namespace corelens
