#include "core/cpuid_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace corelens {

int has_cpuid() {
#if defined(__x86_64__)
    return 0x200000;  // every x86-64 processor has CPUID
#elif defined(__i386__)
    // The ID flag (EFLAGS bit 21) can be toggled only where CPUID exists. The original
    // flags are restored before returning.
    std::uint32_t toggled = 0;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %%eax\n\t"
        "movl %%eax, %%ecx\n\t"
        "xorl $0x200000, %%eax\n\t"
        "pushl %%eax\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %%eax\n\t"
        "pushl %%ecx\n\t"
        "popfl\n\t"
        "xorl %%ecx, %%eax\n\t"
        : "=a"(toggled)
        :
        : "ecx", "cc");
    return static_cast<int>(toggled & 0x200000u);
#else
    return 0;
#endif
}

CpuidRegisters execute_cpuid(std::uint32_t leaf) {
    CpuidRegisters regs;
#if defined(__i386__) || defined(__x86_64__)
    unsigned int a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(leaf, 0, a, b, c, d);
    regs.eax = a;
    regs.ebx = b;
    regs.ecx = c;
    regs.edx = d;
#else
    (void)leaf;
#endif
    return regs;
}

std::string RecordedCpuid::ParseError::what() const {
    if (line == 0) return file + ": " + message;
    return file + ":" + std::to_string(line) + ": " + message;
}

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Eight hex digits at text[at]; false when any is missing.
bool read_word(const std::string& text, std::size_t at, std::uint32_t& word) {
    if (at + 8 > text.size()) return false;
    word = 0;
    for (std::size_t i = at; i < at + 8; ++i) {
        const int digit = hex_digit(text[i]);
        if (digit < 0) return false;
        word = (word << 4) | static_cast<std::uint32_t>(digit);
    }
    return true;
}

// "CPUID LLLLLLLL: AAAAAAAA-BBBBBBBB-CCCCCCCC-DDDDDDDD", trailing blanks allowed.
bool parse_cpuid_line(const std::string& line, std::uint32_t& leaf, CpuidRegisters& regs) {
    constexpr std::size_t k_length = 6 + 8 + 2 + 4 * 8 + 3;
    if (line.size() < k_length || line.compare(0, 6, "CPUID ") != 0) return false;
    if (!read_word(line, 6, leaf) || line.compare(14, 2, ": ") != 0) return false;
    std::uint32_t* words[4] = {&regs.eax, &regs.ebx, &regs.ecx, &regs.edx};
    std::size_t at = 16;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (line[at] != '-') return false;
            ++at;
        }
        if (!read_word(line, at, *words[i])) return false;
        at += 8;
    }
    return line.find_first_not_of(" \t", at) == std::string::npos;
}

std::string quoted_excerpt(const std::string& line) {
    constexpr std::size_t k_shown = 60;
    if (line.size() <= k_shown) return "\"" + line + "\"";
    return "\"" + line.substr(0, k_shown) + "...\"";
}

}  // namespace

bool RecordedCpuid::parse(const std::string& text, const std::string& file_name, ParseError& error) {
    std::map<std::uint32_t, Answers> leaves;
    std::size_t start = 0;
    int line_number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 5, "CPUID") != 0) continue;  // commentary and other tools' lines
        std::uint32_t leaf = 0;
        CpuidRegisters regs;
        if (!parse_cpuid_line(line, leaf, regs)) {
            error = {file_name, line_number,
                     "malformed CPUID line " + quoted_excerpt(line) +
                         ", expected \"CPUID LLLLLLLL: AAAAAAAA-BBBBBBBB-CCCCCCCC-DDDDDDDD\""};
            return false;  // the answers parsed so far are kept only on success
        }
        leaves[leaf].list.push_back(regs);
    }
    leaves_ = std::move(leaves);
    return true;
}

bool RecordedCpuid::load_file(const std::string& path, ParseError& error) {
    // stdio rather than iostreams: the Windows program stays small without them.
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        const int code = errno;
        error = {path, 0, std::string("cannot open: ") + (code != 0 ? std::strerror(code) : "unknown error")};
        return false;
    }
    std::string content;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) content.append(chunk, got);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        error = {path, 0, "cannot read"};
        return false;
    }
    return parse(content, path, error);
}

CpuidRegisters RecordedCpuid::query(std::uint32_t leaf) {
    const auto found = leaves_.find(leaf);
    if (found == leaves_.end() || found->second.list.empty()) return {};
    Answers& answers = found->second;
    const CpuidRegisters regs = answers.list[answers.next];
    if (answers.next + 1 < answers.list.size()) ++answers.next;  // the last answer repeats
    return regs;
}

void RecordedCpuid::rewind() {
    for (auto& leaf : leaves_) leaf.second.next = 0;
}

std::string format_dump_line(std::uint32_t leaf, const CpuidRegisters& regs) {
    char line[64];
    std::snprintf(line, sizeof line, "CPUID %08X: %08X-%08X-%08X-%08X", static_cast<unsigned>(leaf),
                  static_cast<unsigned>(regs.eax), static_cast<unsigned>(regs.ebx),
                  static_cast<unsigned>(regs.ecx), static_cast<unsigned>(regs.edx));
    return line;
}

std::string format_dump(CpuidSource& source) {
    std::string dump;
    auto emit = [&](std::uint32_t leaf) {
        const CpuidRegisters regs = source.query(leaf);
        dump += format_dump_line(leaf, regs);
        dump += '\n';
        return regs;
    };
    if (source.has_cpuid() == 0) return dump;

    const std::uint32_t max_level = emit(0).eax;
    if (max_level >= 1) emit(1);
    if (max_level >= 2) {
        // As many scans as the count byte asks. A count of 0 (every non-Intel part) is
        // printed once: a replay repeats the last answer, so the probe still sees 256.
        const std::uint32_t count = emit(2).eax & 0xFFu;
        for (std::uint32_t scan = 1; scan < count; ++scan) emit(2);
    }

    const std::uint32_t max_ext_level = emit(0x80000000u).eax;
    constexpr std::uint32_t k_last_ext_leaf = 0x80000008u;
    for (std::uint32_t leaf = 0x80000001u; leaf <= k_last_ext_leaf && leaf <= max_ext_level; ++leaf) emit(leaf);
    return dump;
}

}  // namespace corelens
