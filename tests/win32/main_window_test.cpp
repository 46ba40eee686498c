// The main window in-process: controls after initialisation, painting, centring, the
// copy and save commands and the ways it ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "report/renderers.h"
#include "report/result_output.h"
#include "resources/resource.h"
#include "tests/win32/dialog_helpers.h"
#include "ui/field_texts.h"
#include "ui/layout.h"
#include "ui/win32/dressing.h"
#include "ui/win32/main_window.h"
#include "ui/win32/prompts.h"

namespace corelens {
namespace {

using testing::class_of;
using testing::DialogDriver;
using testing::PixelReader;
using testing::style_of;
using testing::text_of;

struct PromptCall {
    std::string text, caption;
    UINT type;
};

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        testing::use_record(testing::sample_record());
        window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     main_dialog_proc, 0);
        ASSERT_NE(window_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        user_prompts() = UserPrompts{};
        if (window_ != nullptr) DestroyWindow(window_);
        release_background();
        testing::pump_messages();
    }

    HWND item(int id) const { return GetDlgItem(window_, id); }

    // Answers the question with answer and the save dialog with chosen (0: cancelled).
    void prompt_with(int answer, const std::string& chosen) {
        user_prompts().message_box = [this, answer](HWND owner, const char* text, const char* caption,
                                                    UINT type) {
            EXPECT_EQ(owner, window_);
            boxes_.push_back({text, caption, type});
            return answer;
        };
        user_prompts().choose_save_file = [this, chosen](HWND owner, const std::string& directory,
                                                         std::string& path) {
            EXPECT_EQ(owner, window_);
            proposed_.push_back(path);
            directory_ = directory;
            if (chosen.empty()) return 0;
            path = chosen;
            return 1;
        };
    }

    HWND window_ = nullptr;
    std::vector<PromptCall> boxes_;
    std::vector<std::string> proposed_;
    std::string directory_;
};

std::string temp_path(const char* name) {
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof directory, directory);
    return std::string(directory) + name;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST_F(MainWindow, TitleAndClassIcon) {
    EXPECT_EQ(text_of(window_), "Corelens - CPU identification tool");
    EXPECT_NE(GetClassLongA(window_, GCL_HICON), 0u);
}

TEST_F(MainWindow, LabelsStayHiddenSimpleAndTransparent) {
    struct Label {
        int id;
        const char* text;
    };
    const Label labels[] = {
        {1026, "Processor:"}, {1012, "Speed:"}, {1000, "Vendor:"},  {1010, "Description:"},
        {1024, "CPUID-Level:"}, {1003, "Family:"}, {1001, "Model:"}, {1002, "Stepping:"},
        {1008, "Type:"},      {1014, "Results:"},
    };
    for (const Label& label : labels) {
        const HWND control = item(label.id);
        ASSERT_NE(control, nullptr) << "label " << label.id;
        EXPECT_STRCASEEQ(class_of(control).c_str(), "Static") << "label " << label.id;
        EXPECT_EQ(text_of(control), label.text) << "label " << label.id;
        EXPECT_EQ(style_of(control) & WS_VISIBLE, 0) << "label " << label.id;
        EXPECT_EQ(style_of(control) & SS_TYPEMASK, SS_SIMPLE) << "label " << label.id;
        EXPECT_NE(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0) << "label " << label.id;
    }
}

TEST_F(MainWindow, FieldsFilledInPlace) {
    for (const FieldText& field : main_field_texts(processor_record)) {
        const HWND control = item(field.id);
        ASSERT_NE(control, nullptr) << "field " << field.id;
        EXPECT_STRCASEEQ(class_of(control).c_str(), "Static") << "field " << field.id;
        EXPECT_EQ(text_of(control), field.text) << "field " << field.id;
        EXPECT_TRUE(IsWindowEnabled(control)) << "field " << field.id;
        const LONG style = style_of(control);
        EXPECT_EQ(style & (WS_VISIBLE | WS_GROUP | SS_SUNKEN), WS_VISIBLE | WS_GROUP | SS_SUNKEN)
            << "field " << field.id << " style " << std::hex << style;
        const bool one_line = field.id == IDC_MAIN_NAME || field.id == IDC_MAIN_VENDOR;
        EXPECT_EQ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP, one_line) << "field " << field.id;
    }
    EXPECT_EQ(text_of(item(IDC_MAIN_SPEED)), "451.0 MHz");
    EXPECT_EQ(text_of(item(IDC_MAIN_LEVEL)), "1 {4}");
    EXPECT_EQ(text_of(item(IDC_MAIN_FAMILY)), "6 (Athlon)");
}

TEST_F(MainWindow, Buttons) {
    struct Button {
        int id;
        const char* text;
        bool is_default;
    };
    const Button buttons[] = {
        {1020, "CPU &Features", false}, {1022, "&Copy", false}, {1023, "&Save", false},
        {1021, "&About", false},        {1, "&Quit", true},
    };
    for (const Button& button : buttons) {
        const HWND control = item(button.id);
        ASSERT_NE(control, nullptr) << "button " << button.id;
        EXPECT_STRCASEEQ(class_of(control).c_str(), "Button") << "button " << button.id;
        EXPECT_EQ(text_of(control), button.text) << "button " << button.id;
        EXPECT_TRUE(IsWindowEnabled(control)) << "button " << button.id;
        const LONG style = style_of(control);
        EXPECT_EQ(style & (WS_VISIBLE | WS_TABSTOP), WS_VISIBLE | WS_TABSTOP) << "button " << button.id;
        EXPECT_EQ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, button.is_default) << "button " << button.id;
    }
}

TEST_F(MainWindow, GreysUnknownSpeedAndMissingBrand) {
    DestroyWindow(window_);
    ProcessorRecord record = testing::sample_record();
    record.speed_mhz = 0.0f;
    record.brand_string[0] = '\0';
    testing::use_record(record);
    window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                 main_dialog_proc, 0);
    ASSERT_NE(window_, nullptr);
    EXPECT_FALSE(IsWindowEnabled(item(IDC_MAIN_SPEED)));
    EXPECT_EQ(text_of(item(IDC_MAIN_SPEED)), "(unable to determine speed)");
    EXPECT_FALSE(IsWindowEnabled(item(IDC_MAIN_DESCRIPTION)));
    EXPECT_EQ(text_of(item(IDC_MAIN_DESCRIPTION)), "(not supported by this cpu)");
    EXPECT_TRUE(IsWindowEnabled(item(IDC_MAIN_NAME)));
}

TEST_F(MainWindow, CentredOnTheScreen) {
    RECT frame{};
    GetWindowRect(window_, &frame);
    HDC screen = GetDC(nullptr);
    const Position expected = centred_origin(GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES),
                                             frame.right - frame.left, frame.bottom - frame.top);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(frame.left, expected.x);
    EXPECT_EQ(frame.top, expected.y);
}

TEST_F(MainWindow, BackgroundIsClientPlusMargin) {
    RECT client{};
    GetClientRect(window_, &client);
    ASSERT_NE(background_dc(), nullptr);
    EXPECT_EQ(background_size().cx, client.right + 200);
    EXPECT_EQ(background_size().cy, client.bottom + 200);
    // Tiled from the light-grey artwork, not left as a fresh (black) bitmap.
    const SIZE size = background_size();
    for (const POINT point : {POINT{0, 0}, POINT{size.cx / 2, size.cy / 2}, POINT{size.cx - 1, size.cy - 1}}) {
        const COLORREF colour = GetPixel(background_dc(), point.x, point.y);
        EXPECT_GE(GetRValue(colour), 200) << "at " << point.x << "," << point.y << " colour " << std::hex << colour;
        EXPECT_EQ(GetRValue(colour), GetBValue(colour)) << "at " << point.x << "," << point.y;
    }
}

TEST_F(MainWindow, PaintsBackgroundAndHiddenLabels) {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    RECT client{};
    GetClientRect(window_, &client);
    std::vector<RECT> visible;
    std::vector<HWND> labels;
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
            visible.push_back(testing::client_rect_of(window_, child));
        } else {
            labels.push_back(child);
        }
    }
    PixelReader pixels(window_);
    int compared = 0;
    for (int y = 0; y < client.bottom; y += 3) {
        for (int x = 0; x < client.right; x += 3) {
            const POINT point{x, y};
            bool covered = false;
            for (const RECT& area : visible) covered = covered || PtInRect(&area, point);
            for (HWND label : labels) {
                RECT area = testing::client_rect_of(window_, label);
                area.right += 40;  // text may run past its control
                covered = covered || PtInRect(&area, point);
            }
            if (covered) continue;
            ++compared;
            ASSERT_EQ(pixels.at(x, y), GetPixel(background_dc(), x, y)) << "at " << x << "," << y;
        }
    }
    EXPECT_GT(compared, 50);

    ASSERT_EQ(labels.size(), 10u);
    for (HWND label : labels) {
        EXPECT_FALSE(IsWindowVisible(label)) << text_of(label);
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

TEST_F(MainWindow, SaveAnsweredNoWritesHtmlWhenNameSaysSo) {
    const std::string path = temp_path("corelens_main_test.html");
    DeleteFileA(path.c_str());
    save_directory = "C:\\corelens";
    prompt_with(IDNO, path);
    SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);

    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Do you want to save the results in\nHTML-format?\n\n('YES' for HTML, 'NO' for text)");
    EXPECT_EQ(boxes_[0].caption, "Type of output");
    EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_YESNO));
    ASSERT_EQ(proposed_.size(), 1u);
    EXPECT_EQ(proposed_[0], "corelens_results.txt");
    EXPECT_EQ(directory_, "C:\\corelens");
    const std::string content = read_file(path);
    EXPECT_NE(content.find("<HTML>"), std::string::npos) << content.substr(0, 200);
    DeleteFileA(path.c_str());
}

TEST_F(MainWindow, SaveAnsweredYesProposesHtmlAndReplaces) {
    const std::string path = temp_path("corelens_main_test.txt");
    {
        std::ofstream old(path, std::ios::binary);
        old << "an older file that is longer than nothing";
    }
    prompt_with(IDYES, path);
    SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);
    ASSERT_EQ(proposed_.size(), 1u);
    EXPECT_EQ(proposed_[0], "corelens_results.html");
    EXPECT_EQ(boxes_.size(), 1u);
    const std::string content = read_file(path);
    EXPECT_EQ(content.rfind("Corelens results:\r\n", 0), 0u) << content.substr(0, 200);
    DeleteFileA(path.c_str());
}

TEST_F(MainWindow, CancelledSaveWritesAndShowsNothing) {
    const std::string before = temp_path("corelens_results.txt");
    const bool existed = file_exists(before);
    prompt_with(IDNO, "");
    SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);
    EXPECT_EQ(boxes_.size(), 1u) << "only the question";
    EXPECT_EQ(proposed_.size(), 1u);
    EXPECT_EQ(file_exists(before), existed);
}

TEST_F(MainWindow, FailedSaveWarns) {
    const std::string path = temp_path("corelens_no_such_directory\\results.txt");
    prompt_with(IDNO, path);
    SendMessageA(window_, WM_COMMAND, IDC_MAIN_SAVE, 0);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, "Saving the results failed!");
    EXPECT_EQ(boxes_[1].caption, "Error");
    EXPECT_EQ(boxes_[1].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_FALSE(file_exists(path));
}

TEST_F(MainWindow, OpensFeaturesWindowOwnedByIt) {
    HWND features = nullptr;
    HWND owner = nullptr;
    std::string caption;
    {
        DialogDriver driver([&](HWND dialog) {
            features = dialog;
            owner = GetWindow(dialog, GW_OWNER);
            caption = text_of(dialog);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(driver.installed());
        SendMessageA(window_, WM_COMMAND, IDC_MAIN_FEATURES, 0);
    }
    EXPECT_NE(features, nullptr);
    EXPECT_EQ(owner, window_);
    EXPECT_EQ(caption, "CPU Features");
    EXPECT_FALSE(IsWindow(features));
    EXPECT_TRUE(IsWindow(window_));
}

class MainWindowEnds : public ::testing::TestWithParam<const char*> {};

TEST_P(MainWindowEnds, WithOne) {
    testing::use_record(testing::sample_record());
    const std::string way = GetParam();
    DialogDriver driver([&](HWND dialog) {
        if (way == "enter") PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
        if (way == "escape") PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == "close box") PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (way == "quit") PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(driver.installed());
    EXPECT_EQ(run_main_window(GetModuleHandleA(nullptr), "C:\\"), 1) << way;
    EXPECT_EQ(background_dc(), nullptr) << way << ": background not released";
}

INSTANTIATE_TEST_SUITE_P(Keys, MainWindowEnds, ::testing::Values("enter", "escape", "close box", "quit"));

}  // namespace
}  // namespace corelens
