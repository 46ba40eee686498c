#pragma once
// Where CPUID answers come from: the live instruction, or a recorded dump. The probe
// never knows which.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace corelens {

struct CpuidRegisters {
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

class CpuidSource {
public:
    virtual ~CpuidSource() = default;
    virtual int has_cpuid() = 0;  // non-zero when the instruction exists
    virtual CpuidRegisters query(std::uint32_t leaf) = 0;
};

// EFLAGS bit 21 toggle on i686, always true on x86-64, 0 on any other architecture.
int has_cpuid();
// Executes CPUID; all zero where the instruction does not exist.
CpuidRegisters execute_cpuid(std::uint32_t leaf);

class LiveCpuid final : public CpuidSource {
public:
    int has_cpuid() override { return corelens::has_cpuid(); }
    CpuidRegisters query(std::uint32_t leaf) override { return execute_cpuid(leaf); }
};

// Replays "CPUID LLLLLLLL: AAAAAAAA-BBBBBBBB-CCCCCCCC-DDDDDDDD" lines. A leaf listed
// several times answers in that order, the last answer repeating; an absent leaf is zero.
// Text without any CPUID line is no dump: it has no CPUID.
class RecordedCpuid final : public CpuidSource {
public:
    struct ParseError {
        std::string file;
        int line = 0;  // 0 when the file itself could not be read
        std::string message;
        std::string what() const;  // "FILE:LINE: MESSAGE" (or "FILE: MESSAGE")
    };

    // A dump is small: a larger file is refused unread (/dev/zero ends too).
    static constexpr std::size_t k_largest_dump = 4 * 1024 * 1024;

    // Parses dump text; returns false and fills error on a malformed CPUID line.
    bool parse(const std::string& text, const std::string& file_name, ParseError& error);
    // "-" reads standard input (named "standard input" in errors).
    bool load_file(const std::string& path, ParseError& error);

    int has_cpuid() override { return leaves_.empty() ? 0 : 1; }
    CpuidRegisters query(std::uint32_t leaf) override;

    // Rewinds every leaf to its first recorded answer.
    void rewind();

private:
    struct Answers {
        std::vector<CpuidRegisters> list;
        std::size_t next = 0;
    };
    std::map<std::uint32_t, Answers> leaves_;
};

// The leaves the dump tool prints for this source, one line each ending in '\n': 0, then 1
// and 2 where the standard maximum reaches them (2 as often as its count byte asks, 0
// meaning 256), then 0x80000000 and the extended leaves its maximum reaches, at most up to
// 0x80000008. Nothing when the source has no CPUID.
std::string format_dump(CpuidSource& source);
// "CPUID 80000001: 00000722-00000000-00000000-C1C3F9FF", upper-case hex, no line end.
std::string format_dump_line(std::uint32_t leaf, const CpuidRegisters& regs);

}  // namespace corelens
