# Test plumbing shared by the native and the Windows builds. One `ctest` in the Windows build runs
# everything: it pulls in the native build's tests as well.
include(GoogleTest)

set(LUMENFOLD_HARNESS ${CMAKE_SOURCE_DIR}/tests/harness)
find_program(LUMENFOLD_PYTHON python3 REQUIRED)

if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  message(FATAL_ERROR "GoogleTest sources missing: run tools/setup.sh")
endif()

# A GoogleTest executable. Natively every case becomes its own test; a Windows executable runs as
# one test inside a fresh Wine environment of its own (prefix, HOME and virtual display), prepared
# by WINE_ARGS (see run_in_wine.py).
function(lumenfold_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;WINE_ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  lumenfold_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  if(WIN32)
    add_test(NAME windows.${name}
             COMMAND ${LUMENFOLD_PYTHON} ${LUMENFOLD_HARNESS}/run_in_wine.py ${T_WINE_ARGS} $<TARGET_FILE:${name}>)
    lumenfold_wine_test_environment(windows.${name})
  else()
    gtest_discover_tests(${name} TEST_PREFIX native. DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

function(lumenfold_wine_test_environment test)
  set_tests_properties(${test} PROPERTIES
    ENVIRONMENT "LUMENFOLD_TEMPLATE_PREFIX=${LUMENFOLD_TEMPLATE_PREFIX};LUMENFOLD_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp;LUMENFOLD_BUILD=${CMAKE_BINARY_DIR};PYTHONPATH=${LUMENFOLD_HARNESS};PYTHONDONTWRITEBYTECODE=1"
    TIMEOUT 300)
endfunction()

# An end-to-end test: a Python script that drives the real program through the harness. With ARCH
# (arm64), the build for that machine instead, under emulation, and only the SCENARIOS named (the
# beginnings of their names). Where the kernel refuses the emulation a script on ARM64 exits with 77:
# skipped, and counted by tools/test.sh.
function(lumenfold_e2e_test script)
  cmake_parse_arguments(T "" "ARCH" "SCENARIOS" ${ARGN})
  get_filename_component(stem ${script} NAME_WE)
  string(REGEX REPLACE "^test_" "" stem ${stem})
  set(name e2e.${stem})
  if(T_ARCH)
    set(name e2e.${T_ARCH}.${stem})
  endif()
  add_test(NAME ${name} COMMAND ${LUMENFOLD_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/${script})
  lumenfold_wine_test_environment(${name})
  # Room for a whole script on the emulated ARM64 build (LUMENFOLD_ARCH=arm64), two to seven times as
  # slow: the kills' 200 saver starts took 7 min there beside other tests.
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
  if(T_ARCH)
    string(REPLACE ";" "," scenarios "${T_SCENARIOS}")
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT LUMENFOLD_ARCH=${T_ARCH} LUMENFOLD_SCENARIOS=${scenarios})
  endif()
endfunction()

# A copy of a static library of ours, built from the same sources with the same include folders and
# libraries, for builds that need other compile options (instrumentation, optimisation).
function(lumenfold_library_copy original copy)
  get_target_property(sources ${original} SOURCES)
  get_target_property(dir ${original} SOURCE_DIR)
  list(TRANSFORM sources PREPEND ${dir}/ REGEX "^[^/]")
  add_library(${copy} STATIC ${sources})
  get_target_property(includes ${original} INCLUDE_DIRECTORIES)
  target_include_directories(${copy} PUBLIC ${includes})
  get_target_property(libs ${original} LINK_LIBRARIES)
  if(libs)
    target_link_libraries(${copy} PRIVATE ${libs})
  endif()
endfunction()

# A libFuzzer target with a short bounded run over its corpus (native clang builds only):
#   lumenfold_fuzz_target(name source corpus_dir [DICTIONARY file] libs...)
# libFuzzer steers only by code compiled with coverage, so each of our static libraries among the
# libs is linked as a copy built with -fsanitize=fuzzer-no-link. The run writes new inputs into a
# work corpus in the build tree (the first corpus folder given) and crash artifacts beside it; the
# corpus in the source tree is only read.
function(lumenfold_fuzz_target name source corpus)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  cmake_parse_arguments(F "" "DICTIONARY" "" ${ARGN})
  get_filename_component(corpus ${corpus} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT IS_DIRECTORY ${corpus})
    message(FATAL_ERROR "fuzz corpus ${corpus} is not a folder")
  endif()
  set(options -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
  if(F_DICTIONARY)
    get_filename_component(dictionary ${F_DICTIONARY} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND options -dict=${dictionary})
  endif()

  set(libs)
  foreach(lib IN LISTS F_UNPARSED_ARGUMENTS)
    if(TARGET ${lib})
      get_target_property(type ${lib} TYPE)
      if(type STREQUAL "STATIC_LIBRARY")
        if(NOT TARGET ${lib}_fuzz)
          lumenfold_library_copy(${lib} ${lib}_fuzz)
          target_compile_options(${lib}_fuzz PRIVATE -fsanitize=fuzzer-no-link)
          lumenfold_warnings(${lib}_fuzz)
        endif()
        set(lib ${lib}_fuzz)
      endif()
    endif()
    list(APPEND libs ${lib})
  endforeach()

  add_executable(${name} ${source})
  lumenfold_warnings(${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${libs})

  set(work ${CMAKE_BINARY_DIR}/fuzz/${name})
  add_test(NAME fuzz.${name}
           COMMAND $<TARGET_FILE:${name}> ${options} -artifact_prefix=${work}/artifacts/
                   ${work}/corpus ${corpus}
           WORKING_DIRECTORY ${work})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED fuzz.${name}.work)
  # The work folders may have been cleared since configuring; libFuzzer does not create them.
  add_test(NAME fuzz.${name}.work
           COMMAND ${CMAKE_COMMAND} -E make_directory ${work}/corpus ${work}/artifacts)
  set_tests_properties(fuzz.${name}.work PROPERTIES FIXTURES_SETUP fuzz.${name}.work)
endfunction()

# The Windows build's ctest also runs the native build's tests and the ARM64 build's static checks.
if(WIN32 AND (LUMENFOLD_NATIVE_TESTS OR LUMENFOLD_ARM64_TESTS))
  set(included "")
  foreach(dir ${LUMENFOLD_NATIVE_TESTS} ${LUMENFOLD_ARM64_TESTS})
    string(APPEND included "subdirs(\"${dir}\")\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/included-tests.cmake "${included}")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES
               ${CMAKE_BINARY_DIR}/included-tests.cmake)
endif()
