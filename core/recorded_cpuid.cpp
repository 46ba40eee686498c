// Recorded dumps, in a file of their own: a program that never replays one links no
// std::map (its tree code comes precompiled, for the Pentium Pro, from libstdc++).
#include "core/cpuid_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/format.h"

namespace corelens {

std::string RecordedCpuid::ParseError::what() const {
    if (line == 0) return file + ": " + message;
    return file + ":" + platform::decimal(line) + ": " + message;
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
    const bool standard_input = path == "-";
    const std::string name = standard_input ? "standard input" : path;
    std::FILE* in = standard_input ? stdin : std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        const int code = errno;
        error = {name, 0, std::string("cannot open: ") + (code != 0 ? std::strerror(code) : "unknown error")};
        return false;
    }
    std::string content;
    char chunk[4096];
    std::size_t got = 0;
    while (content.size() <= k_largest_dump && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        content.append(chunk, got);
    }
    const bool failed = std::ferror(in) != 0;
    if (!standard_input) std::fclose(in);
    if (failed || content.size() > k_largest_dump) {
        error = {name, 0, failed ? "cannot read" : "larger than " + platform::unsigned_decimal(k_largest_dump >> 20) + " MB: not a dump"};
        return false;
    }
    return parse(content, name, error);
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

}  // namespace corelens
