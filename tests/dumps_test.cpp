// Every recorded processor in the dump collection, replayed through the real probe and
// compared with its own leaves and with what two peer decoders make of the same dump.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "report/fields.h"
#include "report/inventory.h"
#include "tests/support/core_probe.h"
#include "ui/feature_list.h"

namespace corelens {
namespace {

const std::string k_dumps_dir = CORELENS_DUMPS_DIR;

// A CSV file's rows keyed by their "file" column, each row's cells by column name.
using CsvTable = std::map<std::string, std::map<std::string, std::string>>;

CsvTable read_csv(const std::string& name) {
    CsvTable table;
    std::ifstream in(k_dumps_dir + "/" + name);
    std::vector<std::string> header;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream cells(line + ",");  // the extra comma keeps a trailing empty cell
        std::map<std::string, std::string> row;
        std::size_t column = 0;
        for (std::string cell; std::getline(cells, cell, ','); ++column) {
            if (header.size() <= column) header.push_back(cell); else row[header[column]] = cell;
        }
        if (!row.empty()) table[row["file"]] = row;
    }
    return table;
}

// Every dump and column where our value differs from the peers' by design: Duron model 3
// reports its 64 KB level-2 cache as 1 KB, which the probe reads as 64.
const char* const k_differs_by_design = "AuthenticAMD/duron-spitfire-630.txt l2_kb";

// The dumps are the rows of the peer expectations, one for every dump in the collection.
std::vector<std::string> dump_files() {
    std::vector<std::string> files;
    for (const auto& row : read_csv("peer-expectations.csv")) files.push_back(row.first);
    return files;
}

using Dump = ::testing::TestWithParam<std::string>;

// The signature equals leaf 1's base fields; every value a peer gives, keyed by column, equals
// ours; each standard flag row shows its bit of leaf-1 EDX and each extended row its bit of
// leaf 0x80000001 EDX (the merged word would show an Athlon's 3DNow+ as IA-64); its text and
// HTML reports read back to the record's own fields, every value of its row's shape.
TEST_P(Dump, AgreesWithItsLeavesAndThePeers) {
    static const CsvTable peers[] = {read_csv("peer-expectations.csv"), read_csv("cpuid-tool-caches.csv")};
    RecordedCpuid source;
    RecordedCpuid::ParseError error;
    ASSERT_TRUE(source.load_file(k_dumps_dir + "/" + GetParam(), error)) << error.what();
    const ProcessorRecord r = probe_source(source).record;
    source.rewind();
    const CpuidRegisters leaf1 = source.query(1);
    const std::uint32_t words[2] = {leaf1.edx, source.query(0x80000001u).edx};
    const long eax = static_cast<long>(leaf1.eax);
    // Sizes have no leaf-1 field to compare (-1); an unknown size of ours is not compared either.
    const struct { const char* column; long ours, leaf_one; bool held; } fields[] = {
        {"family", r.family, (eax >> 8) & 0xF, true}, {"model", r.model, (eax >> 4) & 0xF, true},
        {"stepping", r.stepping, eax & 0xF, true},   {"l1d_kb", r.l1_data_kb, -1, r.l1_data_kb != 0},
        {"l1i_kb", r.l1_code_kb, -1, r.l1_code_kb != 0}, {"l2_kb", r.l2_kb, -1, r.l2_kb >= 0},
    };
    for (const auto& field : fields) {
        if (field.leaf_one >= 0) { EXPECT_EQ(field.leaf_one, field.ours) << field.column << " (leaf 1)"; }
        const bool by_design = GetParam() + " " + field.column == k_differs_by_design;
        for (const CsvTable& peer : peers) {
            const auto row = peer.find(GetParam());
            ASSERT_NE(peer.end(), row) << "no peer row";
            const auto cell = row->second.find(field.column);
            if (cell == row->second.end() || cell->second.empty() || !field.held) continue;
            EXPECT_EQ(std::stol(cell->second) == field.ours, !by_design)
                << field.column << ": expected (peer) " << cell->second << ", actual " << field.ours;
        }
    }
    const ReportContext context{1, 2, 2003, 4, 5, 6, "user", "PC"};
    const std::string expected = json_object(report_fields(report_rows(r, context), nullptr), false);
    for (const std::string& page : {render_text_report(r, context), render_html_report(r, context)}) {
        std::vector<Field> fields;
        std::string reason;
        EXPECT_TRUE(read_result_fields(page, fields, reason)) << reason;
        EXPECT_EQ(expected, json_object(fields, false));
    }
    for (const FeatureRow& row : feature_rows(r)) {
        const bool set = ((words[row.row_position / 32] >> (row.row_position % 32)) & 1u) != 0;
        EXPECT_EQ(set ? "yes" : "no", row.enabled_text) << row.short_name << " at " << row.position_text;
    }
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);  // ".txt"
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Collection, Dump, ::testing::ValuesIn(dump_files()), test_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Dump);

}  // namespace
}  // namespace corelens
