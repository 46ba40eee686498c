// Window logic without a window system: field texts and greying, feature rows, sorting, the save
// and copy flows and centring.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "report/result_output.h"
#include "tables/reference_tables.h"
#include "tests/support/app_support.h"
#include "ui/feature_list.h"
#include "ui/layout.h"
#include "ui/view_model.h"

namespace corelens {
namespace {

ProcessorRecord intel_record() {
    build_reference_tables();
    ProcessorRecord record{};
    std::strcpy(record.vendor_id, "GenuineIntel");
    return record;
}

// Level 2 "none" is an answer and stays enabled; only what is unknown is greyed.
TEST(UiLogic, FieldsGreyWhatIsUnknown) {
    const struct {
        float speed;
        const char* brand;
        int l1_data, l1_code, l2;
        std::uint32_t features;
        const char* expected;  // description, speed, then MMX, 3DNow, SIMD, L1 data, L1 code, L2
    } cases[] = {
        // 128 KB pins the unsigned level-1 size.
        {1999.95f, "Brand", 128, 16, 0, 1u << 23 | 1u << 31, "Brand|1999.9 MHz|yes|yes|no|128 KB|16 KB|none|"},
        {0.0f, "", 0, 0, -1, 1u << 25,
         "(not supported by this cpu) [grey]|(unable to determine speed) [grey]|no|no|yes|"
         "(unable to detect) [grey]|(unable to detect) [grey]|(unable to detect) [grey]|"},
    };
    for (const auto& c : cases) {
        ProcessorRecord record = intel_record();
        record.speed_mhz = c.speed;
        std::strcpy(record.brand_string, c.brand);
        record.l1_data_kb = static_cast<std::uint8_t>(c.l1_data);
        record.l1_code_kb = static_cast<std::uint8_t>(c.l1_code);
        record.l2_kb = static_cast<std::int16_t>(c.l2);
        record.features = record.ext_features = c.features;
        std::string shown;
        for (const FieldText& f : main_field_texts(record))
            if (f.field == Control::speed || f.field == Control::description) shown += f.text + (f.enabled ? "" : " [grey]") + "|";
        for (const FieldText& f : features_field_texts(record)) shown += f.text + (f.enabled ? "" : " [grey]") + "|";
        EXPECT_EQ(shown, c.expected) << "speed " << c.speed << ", l1 " << c.l1_data << "/" << c.l1_code;
    }
}

// Bits without a name get no row even when set; the standard rows read the leaf-1 word
// alone, though features holds the OR of both words.
TEST(UiLogic, FeatureRows) {
    ProcessorRecord record = intel_record();
    record.standard_features = 1u;
    record.ext_features = 1u << 30;
    record.features = 0xFFFFFFFF;
    std::string rows;
    for (const FeatureRow& row : feature_rows(record)) rows += row.position_text + row.enabled_text.substr(0, 1) + " ";
    EXPECT_EQ(rows, "0y 1n 2n 3n 4n 5n 6n 7n 8n 9n 11n 12n 13n 14n 15n 16n 17n 18n 23n 24n 25n 26n 30n e30y e31n ");
    const FeatureRow last = feature_rows(record).back();
    EXPECT_EQ(std::to_string(last.row_position) + " " + last.short_name + " / " + last.long_name, "63 3DNow / AMD 3DNow");
}

// Each row clicks from the initial flags; the order after the last click is checked.
TEST(UiLogic, ColumnClickOrders) {
    ProcessorRecord record = intel_record();
    record.ext_features = (1u << 30) | (1u << 31);
    record.standard_features = (1u << 0) | (1u << 4) | (1u << 23);
    record.features = record.standard_features | record.ext_features;
    std::vector<std::int32_t> positions;
    for (const FeatureRow& row : feature_rows(record)) positions.push_back(row.row_position);
    const struct {
        const char* what;
        std::vector<int> clicks;
        const char* first;  // the first rows' short names
    } cases[] = {
        {"feature second", {0, 0}, "VME TSC SSE-2 SSE "},
        {"name first", {1}, "PSE-36 3DNow CX8 "},
        {"pos first is descending", {2}, "3DNow 3DNow+ IA-64 "},
        {"pos second", {2, 2}, "FPU VME DE "},
        {"enabled first, stable", {3}, "FPU TSC MMX 3DNow+ 3DNow VME DE "},
        {"enabled second", {3, 3}, "VME DE PSE "},
        {"feature after name, byte order", {0, 1, 0}, "3DNow 3DNow+ APIC "},
    };
    for (const auto& c : cases) {
        SortFlags flags = k_initial_sort_flags;
        std::optional<SortOrder> request;  // every click is on a column that exists
        for (int column : c.clicks) request = click_column(flags, column);
        std::string order;
        for (std::int32_t position : sorted_positions(positions, *request, record)) {
            order += std::string((position < 32 ? feature_table : ext_feature_table).text_at(position % 32)) + " ";
        }
        EXPECT_EQ(order.substr(0, std::strlen(c.first)), c.first) << c.what << ": " << order;
    }
}

// What the Save and Copy buttons ask of the toolkit, as one line per press.
struct Recorder final : UserDialogs {
    Recorder(Answer answer, const char* chosen, bool takes) : answer(answer), chosen(chosen), takes(takes) {}
    Answer answer;
    const char* chosen;
    bool takes;  // the dialog is not cancelled, the clipboard takes the text
    std::string log;
    Answer ask(const Message& m, bool cancellable) override {
        log += std::string("ask ") + m.caption + (cancellable ? " or cancel|" : "|");
        return answer;
    }
    void tell(const Message& m) override { log += std::string("tell ") + m.text + " " + m.caption; }
    bool choose_file(const SaveDialogRequest& r, std::string& path) override {
        log += "dialog " + r.initial_directory + " " + path + " " + std::to_string(r.type_index) + " " +
               r.default_extension + " " + r.types[0].name + " " + r.types[1].pattern + "|";
        path = chosen;
        return takes;
    }
    bool put_on_clipboard(const std::string& text) override {
        log += "clipboard " + std::to_string(text.size()) + "|";
        return takes;
    }
};

// Save replaces the chosen file with the program's report in the format of the name finally
// chosen (on the desktop ".htm" too); Copy refuses a report without room for its NUL in the
// block before the clipboard sees it. Either tells a failure, on the desktop naming the file.
// Only the desktop's question can be cancelled.
TEST(UserFlows, SaveAndCopyAskWriteAndTellAFailure) {
    processor_record = intel_record();
    const app_test::ScratchDirectory scratch;
    const std::string html = scratch.path_of("x.html"), htm = scratch.path_of("x.htm"),
                      missing = scratch.path_of("none") + "/z.txt";
    std::string reason;  // the platform's own words
    save_results(missing, k_create_always, ReportFormat::text, &reason);
    const std::string named = "tell Saving the results failed!\n\n" + missing + ":\n" + reason + " Error";
    const SaveConventions* windows = &k_windows_save;
    const SaveConventions* desktop = &k_desktop_save;
    const Answer yes = Answer::yes, no = Answer::no;
    const struct { std::size_t copied; const SaveConventions* save; Answer answer; const char* chosen; bool takes; std::string expected; } cases[] = {
        {0, windows, no, html.c_str(), true, "ask Type of output|dialog /d corelens_results.txt 1 txt (*.txt) *.html|written <HTML>"},
        {0, windows, yes, html.c_str(), false, "ask Type of output|dialog /d corelens_results.html 2 html (*.txt) *.html|"},
        {0, windows, no, missing.c_str(), true, "ask Type of output|dialog /d corelens_results.txt 1 txt (*.txt) *.html|tell Saving the results failed! Error"},
        {0, windows, no, htm.c_str(), true, "ask Type of output|dialog /d corelens_results.txt 1 txt (*.txt) *.html|written Corelens"},
        {0, desktop, no, htm.c_str(), true, "ask Type of output or cancel|dialog /d corelens_results.txt 1 txt Text files (*.txt) *.htm *.html|written <HTML>"},
        {0, desktop, Answer::cancel, html.c_str(), true, "ask Type of output or cancel|"},
        {0, desktop, yes, missing.c_str(), true, "ask Type of output or cancel|dialog /d corelens_results.html 2 html Text files (*.txt) *.htm *.html|" + named},
        {4095, windows, no, "", true, "clipboard 4095|"},
        {4096, windows, no, "", true, "tell Copy to clipboard failed! Error"},
        {10, windows, no, "", false, "clipboard 10|tell Copy to clipboard failed! Error"},
    };
    for (const auto& c : cases) {
        scratch.clear();
        Recorder dialogs(c.answer, c.chosen, c.takes);
        if (c.copied == 0) run_save_flow(dialogs, "/d", *c.save);
        if (c.copied != 0) run_copy_flow(dialogs, std::string(c.copied, 'x'));
        std::string written = app_test::read_file(html) + app_test::read_file(htm);
        written = written.substr(0, written.find_first_of(" \r\n:"));
        EXPECT_EQ(dialogs.log + (written.empty() ? "" : "written " + written), c.expected);
    }
}

TEST(Centring, HalvesTruncated) {
    const Position small = centred_origin(1024, 768, 275, 333), large = centred_origin(640, 480, 1001, 701);
    EXPECT_EQ(std::vector<int>({small.x, small.y, large.x, large.y}),
              std::vector<int>({512 - 137, 384 - 166, 320 - 500, 240 - 350}));
}

}  // namespace
}  // namespace corelens
