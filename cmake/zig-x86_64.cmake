# The ARM64 build's toolchain and flags aimed at x86-64, so what only that toolchain needs runs
# under Wine here.
set(LUMENFOLD_ZIG_TARGET x86_64-windows-gnu)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/zig-windows.cmake)
