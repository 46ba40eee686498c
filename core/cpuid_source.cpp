#include "core/cpuid_source.h"

#include "platform/format.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace corelens {

// Both stay functions of their own even where the whole program is optimised at once: the
// floor check of corelens.exe allows CPUID in these two alone.
[[gnu::noinline]] int has_cpuid() {
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

[[gnu::noinline]] CpuidRegisters execute_cpuid(std::uint32_t leaf) {
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

std::string format_dump_line(std::uint32_t leaf, const CpuidRegisters& regs) {
    using platform::upper_hex;
    return "CPUID " + upper_hex(leaf, 8) + ": " + upper_hex(regs.eax, 8) + "-" + upper_hex(regs.ebx, 8) + "-" +
           upper_hex(regs.ecx, 8) + "-" + upper_hex(regs.edx, 8);
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
