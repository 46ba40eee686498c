// The little of a C and C++ runtime that corelens.exe needs, so that nothing of the
// prebuilt MinGW runtime is linked in: that code is compiled for the Pentium Pro (CMOV,
// FCOMI) and imports functions Windows 95 and NT 4.0 do not have. What is left comes from
// msvcrt.dll, which every Windows from 95 OSR2 and NT 4.0 on carries.
#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

extern "C" {
// msvcrt's own formatter; it neither ends a cut text with NUL nor says how long it would be.
int __cdecl _vsnprintf(char* buffer, std::size_t count, const char* format, va_list args);

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

// C99 semantics on top of msvcrt: the text always ends in NUL and the answer is the
// length the whole text has, however much of it fitted.
int __cdecl __mingw_vsnprintf(char* buffer, std::size_t size, const char* format, va_list args) {
    if (size > 0) {
        va_list copy;
        va_copy(copy, args);
        const int written = _vsnprintf(buffer, size, format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<std::size_t>(written) < size) return written;
        buffer[size - 1] = '\0';
    }
    // Cut (or only measured): format into ever larger scratch space to learn the length.
    for (std::size_t scratch_size = 256; scratch_size <= (1u << 24); scratch_size *= 2) {
        char* scratch = static_cast<char*>(std::malloc(scratch_size));
        if (scratch == nullptr) return -1;
        va_list copy;
        va_copy(copy, args);
        const int written = _vsnprintf(scratch, scratch_size, format, copy);
        va_end(copy);
        std::free(scratch);
        if (written >= 0 && static_cast<std::size_t>(written) < scratch_size) return written;
    }
    return -1;
}

int __cdecl __mingw_snprintf(char* buffer, std::size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = __mingw_vsnprintf(buffer, size, format, args);
    va_end(args);
    return length;
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

// Allocation straight from msvcrt. Without exceptions a failed allocation ends the program,
// as an uncaught std::bad_alloc would.
void* operator new(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) std::abort();
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

// What the library's templates call where they would throw; nothing here catches anyway.
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std
