#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "report/fields.h"
#include "report/inventory.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "report/value_texts.h"
#include "tests/support/core_probe.h"

namespace corelens {
namespace {

struct GoldenRecord {
    const char* file;  // golden file name without its ending
    ProcessorRecord record;
};

// Chosen so that every branch of every value text shows up in some golden file, and values
// that must be escaped in HTML (the Efficeon's brand, the user name) in others.
const GoldenRecord k_golden_records[] = {
    // features (leaf 1 | extended), ext features, max level, max ext level, MHz, vendor index,
    // vendor, name, brand, type name, brand index, EBX byte 2,
    // family, ext family, model, stepping, type, L1 data, L1 code, L2, signature, leaf-1 features
    {"intel_pentium3", {0x0383FBFF, 0, 3, 0, 0.0f, 0, "GenuineIntel", "Intel Pentium III / Xeon", "",
                        "Original OEM", 0, 0, 6, 0, 8, 3, 0, 16, 16, 256, 0x683, 0x0383FBFF}},
    {"intel_dual_celeron", {0x0183F9FF, 0, 2, 0, 266.4f, 0, "GenuineIntel", "Intel processor (name not in database)",
                            "", "Dual processor", 0, 0, 6, 0, 5, 0, 2, 16, 16, 0, 0x2650, 0x0183F9FF}},
    // Levels above 127 read as signed; bit 31 of the leaf-1 word is no 3DNow!.
    {"intel_itanium", {0xC080BFFF, 0, -128, -120, 733.0f, 0, "GenuineIntel", "Intel Pentium IV", "", "Original OEM", 0, 0,
                       7, 0, 0, 4, 0, 16, 16, 96, 0x704, 0x4080BFFF}},
    {"intel_alder_lake", {0xBFEBFBFF, 0, 32, 0, 2496.1f, 0, "GenuineIntel", "Intel processor (name not in database)",
                          "", "Original OEM", 0, 0, 6, 0, 7, 5, 0, 0, 0, -1, 0x90675, 0xBFEBFBFF}},
    {"amd_athlon", {0xC1C3F9FF, 0xC1C3F9FF, 1, 4, 1200.3f, 1, "AuthenticAMD", "AMD Athlon", "AMD Athlon(tm) Processor",
                    "Original OEM", 0, 0, 6, 6, 4, 2, 0, 64, 64, 256, 0x642, 0x0183F9FF}},
    {"amd_k6_2plus", {0x808029BF, 0x808029BF, 1, 6, 570.9f, 1, "AuthenticAMD", "AMD K6-II+", "AMD-K6(tm)-2+ Processor",
                      "Original OEM", 0, 0, 5, 6, 13, 0, 0, 32, 32, 128, 0x5D0, 0x008021BF}},
    {"amd_athlon64", {0xE7DBFBFF, 0xE1D3FBFF, 1, 24, 2002.6f, 1, "AuthenticAMD", "AMD processor (name not in database)",
                      "AMD Athlon(tm) 64 Processor 3200+", "Original OEM", 0, 0, 15, 15, 4, 8, 0, 64, 64, 1024, 0xF48, 0x078BFBFF}},
    {"transmeta_efficeon", {0x0080B93F, 0, 1, 6, 999.5f, 0, "GenuineTMx86",
                            "GenuineTMx86 processor (name not in database)", "Transmeta \"Efficeon\" <TM8000> & Co",
                            "Original OEM", 0, 0, 15, 6, 2, 4, 0, 64, 128, 1024, 0xF24, 0x0080B93F}},
};

ReportContext fixed_context() {
    build_reference_tables();  // the reports name features from the tables
    return {6, 12, 2026, 1, 44, 38, "Tom & \"Jerry\" <admin>", "BUILDHOST"};
}

std::string values_of(const std::vector<ReportRow>& rows) {
    std::string values;
    for (const ReportRow& row : rows) values += row.value + "\n";
    return values;
}

// CORELENS_UPDATE_GOLDEN=1 rewrites the golden files instead of comparing with them. Each
// file, as written and with LF line ends, reads back to the rows it was rendered from.
TEST(Report, GoldenReportsMatchByteForByteAndReadBack) {
    const char* update = std::getenv("CORELENS_UPDATE_GOLDEN");
    for (const GoldenRecord& golden : k_golden_records) {
        for (const bool html : {false, true}) {
            const std::string path = std::string(CORELENS_GOLDEN_DIR) + "/" + golden.file + (html ? ".html" : ".txt");
            const std::string actual = html ? render_html_report(golden.record, fixed_context())
                                            : render_text_report(golden.record, fixed_context());
            if (update != nullptr && std::string(update) == "1") std::ofstream(path, std::ios::binary) << actual;
            std::ostringstream expected;
            expected << std::ifstream(path, std::ios::binary).rdbuf();
            EXPECT_EQ(expected.str(), actual) << path;
            std::string lf = expected.str();
            lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
            for (const std::string& bytes : {expected.str(), lf}) {
                std::vector<ReportRow> rows;
                std::string reason;
                EXPECT_TRUE(read_result_file(bytes, rows, reason)) << path << ": " << reason;
                EXPECT_EQ(values_of(report_rows(golden.record, fixed_context())), values_of(rows)) << path;
            }
        }
    }
}

// Numbers as numbers, names apart from them, an unmeasured speed and an undetermined size null,
// "none" 0; strings escaped for JSON and quoted for CSV, control characters never raw.
TEST(Fields, JsonAndCsvOfARecord) {
    ReportContext context = fixed_context();
    context.user_name = "a, \"b\"\\\x01\x81";
    ProcessorRecord record = k_golden_records[7].record;  // the Efficeon
    record.speed_mhz = 0.0f, record.l1_code_kb = 0, record.l2_kb = 0;
    const std::vector<Field> fields = report_fields(report_rows(record, context), nullptr);
    EXPECT_EQ("{\"computer\": \"BUILDHOST\", \"user\": \"a, \\\"b\\\"\\\\\\u0001\\u0081\", \"date_time\": "
              "\"06.12.2026 01:44:38\", \"processor_name\": \"GenuineTMx86 processor (name not in database)\", "
              "\"speed_mhz\": null, \"vendor_string\": \"GenuineTMx86\", \"description\": \"Transmeta \\\"Efficeon\\\" "
              "<TM8000> & Co\", \"cpuid_level\": 1, \"cpuid_ext_level\": 6, \"family\": 15, \"ext_family\": 6, "
              "\"family_name\": null, \"model\": 2, \"model_name\": null, \"stepping\": 4, \"type\": 0, \"type_name\": "
              "\"Original OEM\", \"mmx\": true, \"three_dnow\": false, \"isse\": false, \"l1_data_kb\": 64, "
              "\"l1_instruction_kb\": null, \"l2_kb\": 0}",
              json_object(fields, false));
    EXPECT_EQ("BUILDHOST,\"a, \"\"b\"\"\\??\",06.12.2026 01:44:38,GenuineTMx86 processor (name not in database),,"
              "GenuineTMx86,\"Transmeta \"\"Efficeon\"\" <TM8000> & Co\",1,6,15,6,,2,,4,0,Original OEM,yes,no,no,64,,0\r\n",
              csv_record(fields, false));
}

// One row per computer, the newest by its own date (day first: 01.01.2027 is newer than
// 31.12.2026), a tie to the path first in byte order; reports without a computer stay apart;
// with every report, the others follow their computer's newest.
TEST(Inventory, NewestReportOfEachComputerWins) {
    struct Report { const char* path; const char* computer; unsigned day, month, year; };
    const Report reports[] = {{"PC1.txt", "PC", 31, 12, 2026}, {"PC2.html", "PC", 1, 1, 2027},
                              {"PC11.txt", "PC", 1, 1, 2027},  {"b.txt", "", 1, 1, 2026},
                              {"a.txt", "", 1, 1, 2026},       {"z.txt", "AA", 1, 1, 2026}};
    std::vector<InventoryEntry> entries;
    for (const Report& r : reports) {
        const ReportContext context{r.day, r.month, r.year, 0, 0, 0, "user", r.computer};
        entries.push_back({r.path, report_fields(report_rows(ProcessorRecord{}, context), nullptr)});
    }
    for (const bool every_report : {false, true}) {
        std::string shown;
        for (const std::vector<Field>& row : inventory_rows(entries, every_report)) shown += row[row.size() - 2].text + " " + row.back().text + "\n";
        EXPECT_EQ(every_report ? "a.txt 0\nb.txt 0\nz.txt 0\nPC11.txt 2\nPC2.html 2\nPC1.txt 2\n" : "a.txt 0\nb.txt 0\nz.txt 0\nPC11.txt 2\n", shown);
    }
}

// The probe keeps the clock it measured exactly when leaf 1 shows a time-stamp counter
// (bit 4), and the report shows it.
TEST(Report, SpeedIsMeasuredOnlyWithATimeStampCounter) {
    for (const auto& [leaf1_edx, shown] : {std::pair{"00000010", "1234.5"}, std::pair{"00000020", "0.0"}}) {
        RecordedCpuid source;
        RecordedCpuid::ParseError error;
        ASSERT_TRUE(source.parse(std::string("CPUID 00000000: 00000001-756E6547-6C65746E-49656E69\n"
                                             "CPUID 00000001: 00000683-00000000-00000000-") + leaf1_edx,
                                 "cpu.txt", error)) << error.what();
        const std::string text = render_text_report(probe_source(source, [] { return 1234.5; }).record, fixed_context());
        const std::string line = "Speed:                    " + std::string(shown) + " MHz\r\n";
        EXPECT_NE(std::string::npos, text.find(line)) << "EDX " << leaf1_edx << ": no " << line << "in\n" << text;
    }
}

// The report is dated with the system's local date (read on both sides of the system's
// clock, so that a midnight in between cannot fail the test).
TEST(ReportContext, DateIsTheSystemsLocalDate) {
    const auto date = [](unsigned day, unsigned month, unsigned year) {
        return std::to_string(day) + "." + std::to_string(month) + "." + std::to_string(year);
    };
    const ReportContext before = gather_report_context();
    const std::time_t now = std::time(nullptr);
    const std::tm system = *std::localtime(&now);
    const ReportContext after = gather_report_context();
    const std::string expected = date(system.tm_mday, system.tm_mon + 1, system.tm_year + 1900);
    const std::string actual = date(before.day, before.month, before.year);
    EXPECT_EQ(expected, actual == expected ? actual : date(after.day, after.month, after.year));
}

}  // namespace
}  // namespace corelens
