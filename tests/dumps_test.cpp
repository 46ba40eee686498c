// Every recorded processor in the dump collection, replayed through the real probe and
// compared with what two peer decoders make of the same dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/core_probe.h"
#include "ui/feature_list.h"

namespace corelens {
namespace {

const std::string k_dumps_dir = CORELENS_DUMPS_DIR;

bool dumps_present() {
    std::error_code ignored;
    return std::filesystem::is_directory(k_dumps_dir, ignored);
}

// Dump files below the vendor folders, relative and '/'-separated, sorted.
std::vector<std::string> dump_files() {
    std::vector<std::string> files;
    if (!dumps_present()) return files;
    const std::filesystem::path root(k_dumps_dir);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt" && entry.path().parent_path() != root) {
            files.push_back(std::filesystem::relative(entry.path(), root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A CSV file: rows keyed by their "file" column, cells by column name.
using CsvTable = std::map<std::string, std::map<std::string, std::string>>;

std::vector<std::string> csv_cells(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::istringstream in(line + ",");  // the extra comma keeps a trailing empty cell
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    return cells;
}

CsvTable read_csv(const std::string& name) {
    CsvTable table;
    std::ifstream in(k_dumps_dir + "/" + name);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = csv_cells(line);
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = csv_cells(line);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i) row[header[i]] = cells[i];
        table[row["file"]] = row;
    }
    return table;
}

const CsvTable& peer_expectations() {
    static const CsvTable table = read_csv("peer-expectations.csv");
    return table;
}
const CsvTable& cpuid_tool_caches() {
    static const CsvTable table = read_csv("cpuid-tool-caches.csv");
    return table;
}

// The cell, or false when the peer left it empty or has no row for the dump.
bool peer_value(const CsvTable& table, const std::string& file, const std::string& column, long& value) {
    const auto row = table.find(file);
    if (row == table.end() || row->second.count(column) == 0 || row->second.at(column).empty()) return false;
    value = std::stol(row->second.at(column));
    return true;
}

// Every dump and column where our size differs from the peers' by design.
const std::set<std::string> k_differs_by_design = {
    // Duron model 3 reports its 64 KB level-2 cache as 1 KB; the probe reads 1 as 64 on purpose.
    "AuthenticAMD/duron-spitfire-630.txt l2_kb",
};

// Sizes (level-1 data, level-1 code, level 2) of the dumps that pinned a fault.
const std::map<std::string, std::vector<int>> k_regressions = {
    {"GenuineIntel/pentium-4-northwood-F24.txt", {8, 12, 512}},  // 0x40 then 0x7B: 512 KB
    {"GenuineIntel/celeron-willamette-F13.txt", {8, 12, -1}},    // 0x40 beside untabled 0x39
    {"GenuineIntel/celeron-covington-651.txt", {16, 16, 0}},     // 0x40 alone: no level-2 cache
    {"GenuineTMx86/efficeon-F24.txt", {64, 128, 1024}},          // 128 KB instruction cache
    {"AuthenticAMD/duron-spitfire-630.txt", {64, 64, 64}},       // leaf 0x80000006 value 1
};

class Dump : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        RecordedCpuid::ParseError error;
        ASSERT_TRUE(source.load_file(k_dumps_dir + "/" + GetParam(), error)) << error.what();
        probed = probe_source(source);
        source.rewind();
        ASSERT_EQ(probed.result, 1) << "probe found no CPUID";
    }
    RecordedCpuid source;
    Probed probed;
    const ProcessorRecord& record() const { return probed.record; }
};

TEST_P(Dump, SignatureMatchesLeafOneAndPeer) {
    const long eax = static_cast<long>(source.query(1).eax & 0xFFF);  // the base fields
    source.rewind();
    const struct { const char* column; long ours, leaf_one; } fields[] = {
        {"family", record().family, (eax >> 8) & 0xF},
        {"model", record().model, (eax >> 4) & 0xF},
        {"stepping", record().stepping, eax & 0xF},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(field.ours, field.leaf_one) << field.column << ": expected (leaf 1), actual";
        long peer = 0;
        if (peer_value(peer_expectations(), GetParam(), field.column, peer)) {
            EXPECT_EQ(field.ours, peer) << field.column << ": expected (peer), actual";
        }
    }
}

TEST_P(Dump, SizesEqualThePeers) {
    const struct { const char* column; long ours; bool held; } fields[] = {
        {"l1d_kb", record().l1_data_kb, record().l1_data_kb != 0},
        {"l1i_kb", record().l1_code_kb, record().l1_code_kb != 0},
        {"l2_kb", record().l2_kb, record().l2_kb >= 0},
    };
    const struct { const char* name; const CsvTable& table; } peers[] = {{"libcpuid", peer_expectations()},
                                                                        {"cpuid tool", cpuid_tool_caches()}};
    for (const auto& field : fields) {
        const bool differs_by_design = k_differs_by_design.count(GetParam() + " " + field.column) == 1;
        for (const auto& peer : peers) {
            long expected = 0;
            if (!field.held || !peer_value(peer.table, GetParam(), field.column, expected)) continue;
            EXPECT_EQ(expected == field.ours, !differs_by_design)
                << field.column << ": expected (" << peer.name << ") " << expected << ", actual " << field.ours;
        }
    }
}

TEST_P(Dump, RegressionSizes) {
    const auto expected = k_regressions.find(GetParam());
    if (expected != k_regressions.end()) {
        EXPECT_EQ(cache_sizes(record()), expected->second);
    }
}

// Each standard row shows its bit of leaf-1 EDX and each extended row its bit of leaf
// 0x80000001 EDX; the merged word would show an Athlon's 3DNow+ as IA-64.
TEST_P(Dump, FlagRowsReadTheirOwnWord) {
    const std::uint32_t words[2] = {source.query(1).edx, source.query(0x80000001u).edx};
    source.rewind();
    for (const FeatureRow& row : feature_rows(record())) {
        const bool set = ((words[row.row_position / 32] >> (row.row_position % 32)) & 1u) != 0;
        EXPECT_EQ(set ? "yes" : "no", row.enabled_text) << row.short_name << " at " << row.position_text;
    }
}

TEST_P(Dump, PrintedAndReplayedGivesTheSameRecord) {
    RecordedCpuid again;
    RecordedCpuid::ParseError error;
    ASSERT_TRUE(again.parse(format_dump(source), GetParam(), error)) << error.what();
    const Probed replayed = probe_source(again);
    EXPECT_EQ(std::memcmp(&replayed.record, &record(), sizeof(ProcessorRecord)), 0) << replayed.record.name;
    EXPECT_EQ(replayed.flag, probed.flag);
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);  // ".txt"
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Collection, Dump, ::testing::ValuesIn(dump_files()), test_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Dump);

TEST(Dumps, EveryDumpHasPeerRows) {
    if (!dumps_present()) GTEST_SKIP() << "no dump collection at " << k_dumps_dir;
    const std::vector<std::string> files = dump_files();
    EXPECT_GT(files.size(), 100u);
    for (const std::string& file : files) EXPECT_EQ(cpuid_tool_caches().count(file), 1u) << file;
    EXPECT_EQ(peer_expectations().size(), files.size());
    for (const auto& named : k_regressions) {
        EXPECT_EQ(std::count(files.begin(), files.end(), named.first), 1) << named.first;
    }
}

}  // namespace
}  // namespace corelens
