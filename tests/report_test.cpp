#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "report/renderers.h"
#include "report/value_texts.h"
#include "tables/reference_tables.h"

namespace corelens {
namespace {

template <std::size_t N>
void set_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

struct GoldenRecord {
    const char* file;  // golden file name without its ending
    ProcessorRecord record;
};

// Chosen so that every branch of every value text shows up in some golden file.
const GoldenRecord k_golden_records[] = {
    // features (leaf 1 | extended), ext features, max level, max ext level, MHz, vendor index,
    // vendor, name, brand, type name, brand index, EBX byte 2,
    // family, ext family, model, stepping, type, L1 data, L1 code, L2, signature
    {"intel_pentium3", {0x0383FBFF, 0, 3, 0, 0.0f, 0, "GenuineIntel", "Intel Pentium III / Xeon", "",
                        "Original OEM", 0, 0, 6, 0, 8, 3, 0, 16, 16, 256, 0x683}},
    {"intel_dual_celeron", {0x0183F9FF, 0, 2, 0, 266.4f, 0, "GenuineIntel", "Intel processor (name not in database)",
                            "", "Dual processor", 0, 0, 6, 0, 5, 0, 2, 16, 16, 0, 0x2650}},
    {"intel_itanium", {0x4080BFFF, 0, 2, 0, 733.0f, 0, "GenuineIntel", "Intel Pentium IV", "", "Original OEM", 0, 0,
                       7, 0, 0, 4, 0, 16, 16, 96, 0x704}},
    {"intel_alder_lake", {0xBFEBFBFF, 0, 32, 0, 2496.1f, 0, "GenuineIntel", "Intel processor (name not in database)",
                          "", "Original OEM", 0, 0, 6, 0, 7, 5, 0, 0, 0, -1, 0x90675}},
    {"amd_athlon", {0xC1C3F9FF, 0xC1C3F9FF, 1, 4, 1200.3f, 1, "AuthenticAMD", "AMD Athlon", "AMD Athlon(tm) Processor",
                    "Original OEM", 0, 0, 6, 6, 4, 2, 0, 64, 64, 256, 0x642}},
    {"amd_k6_2plus", {0x808029BF, 0x808029BF, 1, 6, 570.9f, 1, "AuthenticAMD", "AMD K6-II+", "AMD-K6(tm)-2+ Processor",
                      "Original OEM", 0, 0, 5, 6, 13, 0, 0, 32, 32, 128, 0x5D0}},
    {"amd_athlon64", {0xE7DBFBFF, 0xE1D3FBFF, 1, 24, 2002.6f, 1, "AuthenticAMD", "AMD processor (name not in database)",
                      "AMD Athlon(tm) 64 Processor 3200+", "Original OEM", 0, 0, 15, 15, 4, 8, 0, 64, 64, 1024, 0xF48}},
    {"transmeta_efficeon", {0x0080B93F, 0, 1, 6, 999.5f, 0, "GenuineTMx86",
                            "GenuineTMx86 processor (name not in database)", "Transmeta Efficeon(tm) Processor TM8000",
                            "Original OEM", 0, 0, 15, 6, 2, 4, 0, 64, 128, 1024, 0xF24}},
};

ReportContext fixed_context() {
    ReportContext context;
    context.day = 6, context.month = 12, context.year = 2026;
    context.hour = 1, context.minute = 44, context.second = 38;
    context.user_name = "tester";
    context.computer_name = "BUILDHOST";
    return context;
}

std::string read_binary(const std::string& path, bool& found) {
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Where two renderings part, with a little of each side around it.
std::string first_difference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const std::size_t from = at < 40 ? 0 : at - 40;
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at byte " + std::to_string(at) + "\nexpected: ..." +
           expected.substr(from, 80) + "\nactual:   ..." + actual.substr(from, 80);
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { build_reference_tables(); }
};

// CORELENS_UPDATE_GOLDEN=1 rewrites the golden files instead of comparing with them.
TEST_F(ReportTest, GoldenReportsMatchByteForByte) {
    const char* update = std::getenv("CORELENS_UPDATE_GOLDEN");
    const bool updating = update != nullptr && std::string(update) == "1";
    for (const GoldenRecord& golden : k_golden_records) {
        const ProcessorRecord& record = golden.record;
        const std::pair<const char*, std::string> renderings[] = {
            {".txt", render_text_report(record, fixed_context())},
            {".html", render_html_report(record, fixed_context())},
        };
        for (const auto& [ending, actual] : renderings) {
            const std::string path = std::string(CORELENS_GOLDEN_DIR) + "/" + golden.file + ending;
            if (updating) {
                std::ofstream out(path, std::ios::binary);
                EXPECT_TRUE(out << actual) << "cannot write " << path;
                continue;
            }
            bool found = false;
            const std::string expected = read_binary(path, found);
            ASSERT_TRUE(found) << "cannot read " << path;
            EXPECT_TRUE(expected == actual) << path << ": " << first_difference(expected, actual);
        }
    }
}

std::string html_unescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities) {
        for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
            text.replace(at, std::strlen(entity), plain);
        }
    }
    return text;
}

// Label -> value from the lines "label padded to 26 characters, value".
std::map<std::string, std::string> text_values(const std::string& report) {
    std::map<std::string, std::string> values;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 26 || line[25] != ' ') continue;
        const std::string label = line.substr(0, line.find_last_not_of(' ', 25) + 1);
        if (label.back() == ':') values[label] = line.substr(26);
    }
    return values;
}

// Label -> unescaped value from each title cell and the data cell after it.
std::map<std::string, std::string> html_values(const std::string& page) {
    const std::string title = "\t\t<TD CLASS=\"title\" WIDTH=\"200\">";
    const std::string data = "</TD>\r\n\t\t<TD CLASS=\"data\" WIDTH=\"*\">";
    std::map<std::string, std::string> values;
    for (std::size_t at = page.find(title); at != std::string::npos; at = page.find(title, at + 1)) {
        const std::size_t label_end = page.find(data, at);
        const std::size_t value_end = page.find("</TD>\r\n", label_end + data.size());
        if (label_end == std::string::npos || value_end == std::string::npos) break;
        const std::size_t value_begin = label_end + data.size();
        values[page.substr(at + title.size(), label_end - at - title.size())] =
            html_unescaped(page.substr(value_begin, value_end - value_begin));
    }
    return values;
}

TEST_F(ReportTest, HtmlCellsShowTheTextReportValues) {
    ReportContext context = fixed_context();
    context.user_name = "R&D <\"lab\">";
    for (const GoldenRecord& golden : k_golden_records) {
        const char* const file = golden.file;
        const auto text = text_values(render_text_report(golden.record, context));
        const auto html = html_values(render_html_report(golden.record, context));
        EXPECT_EQ(text.size(), 18u) << file;
        EXPECT_EQ(html.size(), 18u) << file;
        for (const auto& [label, value] : text) {
            const auto cell = html.find(label);
            ASSERT_NE(cell, html.end()) << file << ": no HTML row " << label;
            EXPECT_EQ(cell->second, value) << file << ": " << label;
        }
    }
}

TEST_F(ReportTest, ValuesAreEscapedInHtmlOnly) {
    ProcessorRecord record = k_golden_records[4].record;
    set_text(record.brand_string, "Brand \"X\" <&>");
    set_text(record.vendor_id, "<Ven&dor>\"");
    set_text(record.name, "A&B <C>");
    ReportContext context = fixed_context();
    context.user_name = "Tom & \"Jerry\" <admin>";
    context.computer_name = "PC<1>&2";
    const std::string text = render_text_report(record, context);
    const std::string html = render_html_report(record, context);
    const std::pair<const char*, const char*> cases[] = {
        {"Brand \"X\" <&>", "Brand &quot;X&quot; &lt;&amp;&gt;"},
        {"<Ven&dor>\"", "&lt;Ven&amp;dor&gt;&quot;"},
        {"A&B <C>", "A&amp;B &lt;C&gt;"},
        {"Tom & \"Jerry\" <admin>", "Tom &amp; &quot;Jerry&quot; &lt;admin&gt;"},
        {"PC<1>&2", "PC&lt;1&gt;&amp;2"},
    };
    for (const auto& [plain, escaped] : cases) {
        EXPECT_NE(text.find(plain), std::string::npos) << "text lacks " << plain;
        EXPECT_EQ(text.find(escaped), std::string::npos) << "text escapes " << plain;
        EXPECT_NE(html.find(std::string(">") + escaped + "</TD>"), std::string::npos) << "HTML lacks " << escaped;
        EXPECT_EQ(html.find(plain), std::string::npos) << "HTML holds raw " << plain;
    }
    EXPECT_NE(html.find("\t\t<TD CLASS=\"title\" WIDTH=\"200\">Date & Time:</TD>\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Date & Time:" + std::string(14, ' ') + "06.12.2026"), 37u);
}

TEST_F(ReportTest, LongAndUnterminatedTextsAreKeptWholeAndBounded) {
    ProcessorRecord record = k_golden_records[0].record;
    std::memset(record.vendor_id, 'V', sizeof record.vendor_id);
    std::memset(record.name, 'N', sizeof record.name);
    std::memset(record.brand_string, 'B', sizeof record.brand_string);
    ReportContext context = fixed_context();
    context.user_name = std::string(5000, 'u');
    const std::pair<std::string, const char*> reports[] = {
        {render_text_report(record, context), "\r\n"}, {render_html_report(record, context), "</TD>"}};
    for (const auto& [report, cell_end] : reports) {
        // A field without its NUL ends at the field's end, not in the next field.
        for (const std::string& whole : {context.user_name, std::string(16, 'V'), std::string(64, 'N'),
                                         std::string(64, 'B')}) {
            EXPECT_NE(report.find(whole + cell_end), std::string::npos) << whole.size() << " x " << whole[0];
        }
    }
}

// The processor a name case describes: vendor, family, extended family, model, leaf-1 EAX.
ProcessorRecord processor(const char* vendor, int family, int ext_family, int model, std::uint32_t signature = 0) {
    ProcessorRecord record{};
    set_text(record.vendor_id, vendor);
    record.family = static_cast<std::int8_t>(family);
    record.ext_family = static_cast<std::int8_t>(ext_family);
    record.model = static_cast<std::int8_t>(model);
    record.signature = signature;
    return record;
}

struct NameCase {
    const char* what;
    ProcessorRecord record;
    const char* family;
    const char* model;
};

TEST_F(ReportTest, FamilyAndModelTexts) {
    const NameCase cases[] = {
        {"ext equal to family", processor("GenuineIntel", 6, 6, 3), "6 (Pentium Pro/II/III/Celeron)",
         "3 (Pentium II (0.28\xB5m))"},
        {"ext differs", processor("GenuineIntel", 6, 7, 10), "6 {7} (Pentium Pro/II/III/Celeron)", "10"},
        {"intel empty model row", processor("GenuineIntel", 5, 0, 0), "5 (Pentium)", "0"},
        {"intel 15", processor("GenuineIntel", 15, 0, 3), "15 (Pentium IV)", "3 (Pentium IV)"},
        {"intel 7 shares 15", processor("GenuineIntel", 7, 0, 2), "7 (Pentium IV)", "2 (Pentium IV)"},
        {"intel index below", processor("GenuineIntel", 3, 0, 1), "3", "1"},
        {"intel index beyond", processor("GenuineIntel", 8, 9, 1), "8 {9}", "1"},
        {"amd 4", processor("AuthenticAMD", 4, 0, 6), "4 (Am486/Am5x86)", "6 (Am5x86)"},
        {"amd 6 last model", processor("AuthenticAMD", 6, 0, 15), "6 (Athlon)", "15 (Athlon)"},
        {"amd empty model row", processor("AuthenticAMD", 5, 0, 4), "5 (K5/K6-series)", "4"},
        {"amd 7 has no lists", processor("AuthenticAMD", 7, 15, 1), "7 {15}", "1"},
        {"vendor without lists", processor("CentaurHauls", 6, 0, 7), "6", "7"},
        {"newer than tables", processor("AuthenticAMD", 6, 0, 4, 0x00100F42), "6", "4"},
        {"negative fields", processor("GenuineIntel", -1, 0, -1), "-1", "-1"},
    };
    // The lists follow the vendor, not the probe's non_intel flag.
    const std::int32_t saved = non_intel;
    for (const std::int32_t flag : {0, 1}) {
        non_intel = flag;
        for (const NameCase& c : cases) {
            EXPECT_EQ(format_family(c.record), c.family) << c.what << ", non_intel " << flag;
            EXPECT_EQ(format_model(c.record), c.model) << c.what << ", non_intel " << flag;
        }
    }
    non_intel = saved;
}

TEST(ValueTexts, CpuidLevel) {
    const struct { int level, ext_level; const char* expected; } cases[] = {
        {2, 4, "2 {4}"}, {0, 0, "0"}, {0x80, 0, "-128"}, {13, 0x88, "13 {-120}"}};
    for (const auto& c : cases) {
        ProcessorRecord record = processor("GenuineIntel", 6, 0, 0);
        record.max_level = static_cast<std::int8_t>(c.level);
        record.max_ext_level = static_cast<std::int8_t>(c.ext_level);
        EXPECT_EQ(format_cpuid_level(record), c.expected) << "level " << c.level << ", ext " << c.ext_level;
    }
}

TEST(ValueTexts, CacheSizes) {
    const struct { unsigned kb; const char* expected; } level1[] = {
        {1, "1 KB"}, {127, "127 KB"}, {255, "255 KB"}};
    for (const auto& c : level1) EXPECT_EQ(format_l1_cache(c.kb), c.expected) << "L1 " << c.kb;
    const struct { int kb; const char* expected; } level2[] = {{-32768, "(unable to detect)"},
        {-2, "(unable to detect)"}, {1, "1 KB"}, {32767, "32767 KB"}};
    for (const auto& c : level2) EXPECT_EQ(format_l2_cache(c.kb), c.expected) << "L2 " << c.kb;
}

TEST(ValueTexts, FeatureBits) {
    const struct { const char* what; std::uint32_t features, ext_features; Feature feature; const char* expected; }
        cases[] = {
            {"mmx bit 23", 1u << 23, 0, Feature::mmx, "yes"},
            {"mmx neighbour", 1u << 22 | 1u << 24, 0, Feature::mmx, "no"},
            {"isse bit 25", 1u << 25, 0, Feature::isse, "yes"},
            {"isse neighbour", 1u << 26, 0, Feature::isse, "no"},
            {"3dnow ext bit 31", 0, 1u << 31, Feature::three_dnow, "yes"},
            {"3dnow not from features", 1u << 31, 1u << 30, Feature::three_dnow, "no"},
        };
    for (const auto& c : cases) {
        ProcessorRecord record = processor("AuthenticAMD", 6, 0, 0);
        record.features = c.features;
        record.ext_features = c.ext_features;
        EXPECT_EQ(format_feature(record, c.feature), c.expected) << c.what;
    }
}

}  // namespace
}  // namespace corelens
