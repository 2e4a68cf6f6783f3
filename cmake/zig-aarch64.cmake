# Windows on ARM64 with Zig's clang and mingw-w64 runtime (Debian has no MinGW for ARM64).
set(LUMENFOLD_ZIG_TARGET aarch64-windows-gnu)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
include(${CMAKE_CURRENT_LIST_DIR}/zig-windows.cmake)
