# Cross build of the 32-bit Windows program with MinGW-w64, win32 thread model: no
# winpthreads, whose imports (TryEnterCriticalSection, GetHandleInformation ...) Windows 9x lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No runtime DLL beside corelens.exe: the runtime goes in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
# corelens.exe runs on the 486: the compiler's default is the Pentium Pro (CMOV, FCOMI).
# Unused code is dropped at link time.
set(CMAKE_C_FLAGS_INIT "-march=i486 -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-march=i486 -ffunction-sections -fdata-sections -include ${CMAKE_CURRENT_LIST_DIR}/win32_prelude.h")

# Tests run under Wine; the wrapper gives it a prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh")
