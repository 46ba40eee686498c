// The probe against a processor that answers anything: every leaf, several answers per
// leaf (the last repeating), leaf-2 repeat counts, vendor and brand bytes of any value
// with or without a NUL. Then both reports of the record.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/cpuid_source.h"
#include "core/naming.h"
#include "core/probe.h"
#include "fuzz/fuzz_check.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "report/value_texts.h"
#include "tables/reference_tables.h"

namespace corelens::fuzz {
namespace {

constexpr std::uint32_t k_known_leaves[] = {
    0, 1, 2, 0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u,
    0x80000004u, 0x80000005u, 0x80000006u, 0x80000007u, 0x80000008u,
};

// Vendor strings the tables name (and one they do not); the rest come from the input.
constexpr const char* k_vendors[] = {"GenuineIntel", "AuthenticAMD", "CyrixInstead", "  Shanghai  "};

class FuzzedCpuid final : public CpuidSource {
public:
    explicit FuzzedCpuid(FuzzedDataProvider& input) {
        has_cpuid_ = input.ConsumeIntegralInRange<int>(0, 15) != 0;
        const int vendor = input.ConsumeIntegralInRange<int>(0, 7);
        while (input.remaining_bytes() > 0) {
            const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, std::size(k_known_leaves));
            const std::uint32_t leaf =
                pick < std::size(k_known_leaves) ? k_known_leaves[pick] : input.ConsumeIntegral<std::uint32_t>();
            const int answers = input.ConsumeIntegralInRange<int>(1, 3);
            for (int i = 0; i < answers; ++i) {
                CpuidRegisters regs;
                regs.eax = input.ConsumeIntegral<std::uint32_t>();
                regs.ebx = input.ConsumeIntegral<std::uint32_t>();
                regs.ecx = input.ConsumeIntegral<std::uint32_t>();
                regs.edx = input.ConsumeIntegral<std::uint32_t>();
                leaves_[leaf].push_back(regs);
            }
        }
        if (vendor < static_cast<int>(std::size(k_vendors))) {
            CpuidRegisters& leaf0 = leaves_[0].empty() ? leaves_[0].emplace_back() : leaves_[0].front();
            std::memcpy(&leaf0.ebx, k_vendors[vendor], 4);
            std::memcpy(&leaf0.edx, k_vendors[vendor] + 4, 4);
            std::memcpy(&leaf0.ecx, k_vendors[vendor] + 8, 4);
        }
    }

    int has_cpuid() override { return has_cpuid_ ? 1 : 0; }
    CpuidRegisters query(std::uint32_t leaf) override {
        ++queries;
        std::vector<CpuidRegisters>& answers = leaves_[leaf];
        std::size_t& next = next_[leaf];
        if (answers.empty()) return {};
        const CpuidRegisters regs = answers[next];
        if (next + 1 < answers.size()) ++next;
        return regs;
    }

    long queries = 0;

private:
    bool has_cpuid_ = false;
    std::map<std::uint32_t, std::vector<CpuidRegisters>> leaves_;
    std::map<std::uint32_t, std::size_t> next_;
};

// The vendor string without surrounding blanks, "Unknown" when nothing is left.
std::string trimmed(const std::string& vendor) {
    const std::size_t first = vendor.find_first_not_of(' ');
    if (first == std::string::npos) return "Unknown";
    return vendor.substr(first, vendor.find_last_not_of(' ') - first + 1);
}

bool vendor_in_table(const std::string& vendor) {
    for (int row = 0; row < k_vendor_rows; ++row) {
        if (vendor == vendor_table.key_at(row)) return true;
    }
    return false;
}

}  // namespace
}  // namespace corelens::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corelens;

    FuzzedDataProvider input(data, size);
    // The clock as measure_clock_mhz computes it: a 64-bit tick count over one second.
    const std::uint64_t ticks = input.ConsumeIntegral<std::uint64_t>();
    fuzz::FuzzedCpuid source(input);

    ProcessorRecord record;
    std::memset(&record, 0xA5, sizeof record);
    const ProcessorRecord before = record;
    std::int32_t non_intel_flag = 0;
    const int probed = probe_processor(record, non_intel_flag, source,
                                       [ticks] { return static_cast<double>(ticks) / 1000000.0; });
    if (source.has_cpuid() == 0) {
        fuzz::check(probed == 0 && std::memcmp(&record, &before, sizeof record) == 0 && non_intel_flag == 0,
                    "probe without CPUID touched the record");
        return 0;
    }
    fuzz::check(probed == 1, "probe with CPUID failed");
    // 256 scans of leaf 2 at most, plus the handful of other leaves.
    fuzz::check(source.queries <= 256 + 16, "probe asked too often", std::to_string(source.queries));

    fuzz::check(fuzz::is_terminated(record.vendor_id) && fuzz::is_terminated(record.name) &&
                    fuzz::is_terminated(record.brand_string) && fuzz::is_terminated(record.type_name),
                "record text without its NUL");

    // Never a wrong name: an unknown vendor is named by its own string, a processor newer
    // than the tables gets the fallback text, only Intel and AMD get family names.
    const std::string vendor = record_text(record.vendor_id);
    const std::string name = record_text(record.name);
    if (!fuzz::vendor_in_table(vendor)) {
        fuzz::check(name == fuzz::trimmed(vendor) + " " + k_name_not_in_database, "unknown vendor named", name);
    }
    if (is_beyond_tables(record)) {
        fuzz::check(fuzz::ends_with(name, k_name_not_in_database), "newer processor named", name);
    }
    // Leaf-2 sizes come from the descriptor table. (Leaf 0x80000006 reports up to 65535 KB;
    // from 32 MB on that wraps negative in the 16-bit field and reads as not determined.)
    if (vendor == "GenuineIntel") {
        fuzz::check(record.l2_kb >= -1, "level-2 size below -1", std::to_string(record.l2_kb));
    }
    if (vendor != "GenuineIntel" && vendor != "AuthenticAMD") {
        fuzz::check(format_family(record).find('(') == std::string::npos, "family named for another vendor",
                    vendor + ": " + format_family(record));
        fuzz::check(format_model(record).find('(') == std::string::npos, "model named for another vendor",
                    vendor + ": " + format_model(record));
    }

    // Both reports fit the buffers the program once rendered them into.
    const ReportContext context;
    const std::string text = render_text_report(record, context);
    const std::string html = render_html_report(record, context);
    fuzz::check(text.size() < k_clipboard_block_size, "text report too long", std::to_string(text.size()));
    fuzz::check(html.size() < 8192, "html report too long", std::to_string(html.size()));
    fuzz::check(text.find('\0') == std::string::npos && html.find('\0') == std::string::npos, "NUL in a report");
    fuzz::check(text.find("Processor name:           " + name + "\r\n") != std::string::npos,
                "name missing from the text report", name);
    return 0;
}
