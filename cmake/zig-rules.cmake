# Zig's driver ignores -mwindows and -mconsole (it warns): name the subsystem to the linker instead.
foreach(lang C CXX)
  set(CMAKE_${lang}_CREATE_WIN32_EXE "-Wl,--subsystem,windows")
  set(CMAKE_${lang}_CREATE_CONSOLE_EXE "")
endforeach()
