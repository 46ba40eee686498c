// The little of a C and C++ runtime that corelens.exe needs, so that nothing of the
// prebuilt MinGW runtime is linked in: that code is compiled for the Pentium Pro (CMOV,
// FCOMI) and imports functions Windows 95 and NT 4.0 do not have. Nor is any C runtime DLL:
// Windows 95 as it shipped has no msvcrt.dll. Memory comes from the process heap, numbers
// are formatted by platform/format.h, and the few memory, string and math routines the
// compiler and our code call are here. Built without loop-to-library-call rewriting, so
// that memset cannot become a call to itself.
#include <windows.h>

#include <cstddef>
#include <new>

extern "C" {
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);

// Bounds the linker puts around the static constructors (-1, the functions, 0).
typedef void (*StaticConstructor)();
extern StaticConstructor __CTOR_LIST__[];
}

namespace {

// Destructors of static objects, run once WinMain returns, last registered first.
constexpr int k_max_exit_functions = 64;
void (*exit_functions[k_max_exit_functions])();
int exit_function_count = 0;

void run_static_constructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) ++count;
    for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

}  // namespace

extern "C" {

int __cdecl atexit(void (*function)()) {
    if (exit_function_count == k_max_exit_functions) return -1;
    exit_functions[exit_function_count++] = function;
    return 0;
}

// What the C runtime's abort does, less its message box: end with status 3.
void __cdecl abort() { ExitProcess(3); }

// Memory and strings: byte at a time, the sizes here are small.
void* __cdecl memmove(void* destination, const void* source, std::size_t size) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    if (to <= from) {
        for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
    } else {
        while (size-- != 0) to[size] = from[size];
    }
    return destination;
}

void* __cdecl memcpy(void* destination, const void* source, std::size_t size) {
    return memmove(destination, source, size);
}

void* __cdecl memset(void* destination, int value, std::size_t size) {
    auto* to = static_cast<unsigned char*>(destination);
    while (size-- != 0) *to++ = static_cast<unsigned char>(value);
    return destination;
}

int __cdecl memcmp(const void* first, const void* second, std::size_t size) {
    const auto* a = static_cast<const unsigned char*>(first);
    const auto* b = static_cast<const unsigned char*>(second);
    for (; size != 0; --size, ++a, ++b) {
        if (*a != *b) return *a < *b ? -1 : 1;
    }
    return 0;
}

void* __cdecl memchr(const void* block, int value, std::size_t size) {
    const auto* at = static_cast<const unsigned char*>(block);
    for (; size != 0; --size, ++at) {
        if (*at == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(at);
    }
    return nullptr;
}

std::size_t __cdecl strnlen(const char* text, std::size_t limit) {
    std::size_t length = 0;
    while (length < limit && text[length] != '\0') ++length;
    return length;
}

std::size_t __cdecl strlen(const char* text) { return strnlen(text, ~std::size_t{0}); }

int __cdecl strncmp(const char* first, const char* second, std::size_t limit) {
    for (; limit != 0; --limit, ++first, ++second) {
        const auto a = static_cast<unsigned char>(*first), b = static_cast<unsigned char>(*second);
        if (a != b) return a < b ? -1 : 1;
        if (a == '\0') break;
    }
    return 0;
}

int __cdecl strcmp(const char* first, const char* second) { return strncmp(first, second, ~std::size_t{0}); }

// The logo's turn. The FPU's own instruction: exact enough for the angles of one turn, and
// needs no range reduction below 2^63.
void __cdecl sincos(double angle, double* sine, double* cosine) {
    double s = 0, c = 0;
    __asm__("fsincos" : "=t"(c), "=u"(s) : "0"(angle));
    *sine = s;
    *cosine = c;
}

// The program's entry point in place of the MinGW start-up code.
void corelens_start() {
    run_static_constructors();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    const int status = WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), show);
    while (exit_function_count > 0) exit_functions[--exit_function_count]();
    ExitProcess(static_cast<UINT>(status));
}

}  // extern "C"

// Allocation from the process heap. Without exceptions a failed allocation ends the
// program, as an uncaught std::bad_alloc would.
namespace {
void* allocate(std::size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1); }
void release(void* block) noexcept {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}
}  // namespace

void* operator new(std::size_t size) {
    void* block = allocate(size);
    if (block == nullptr) abort();
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

// The tag of new(std::nothrow), which the library would bring with its new handler; and
// what the library's templates call where they would throw: nothing here catches anyway.
namespace std {
const nothrow_t nothrow{};
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_function_call() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
}  // namespace std
