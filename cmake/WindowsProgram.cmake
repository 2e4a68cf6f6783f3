# What every Windows build of the program carries besides its sources: the entry point that suits
# its toolchain, and the resources (icon, version, manifest) from src/resources.
set(LUMENFOLD_RESOURCES ${CMAKE_SOURCE_DIR}/src/resources)
set(LUMENFOLD_ICON_SIZES 16 24 32 48 64 128 256)

# The C runtime of MinGW calls wWinMain with -municode; Zig's runtime only calls WinMain, so a small
# shim hands wWinMain the same text.
function(lumenfold_windows_entry target)
  if(LUMENFOLD_ZIG_TARGET)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src/app/zig_shim.c)
  else()
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# The icon is drawn from its SVG source at every size, then packed into one .ico.
function(lumenfold_icon output)
  find_program(LUMENFOLD_RSVG rsvg-convert REQUIRED)
  # /usr/local may hold a stand-in named convert: ask for ImageMagick's own program.
  find_program(LUMENFOLD_IMAGEMAGICK NAMES convert-im6.q16 convert PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  set(source ${LUMENFOLD_RESOURCES}/lumenfold.svg)
  set(pngs "")
  set(commands "")
  get_filename_component(dir ${output} DIRECTORY)
  foreach(size ${LUMENFOLD_ICON_SIZES})
    set(png ${dir}/lumenfold-${size}.png)
    list(APPEND pngs ${png})
    list(APPEND commands COMMAND ${LUMENFOLD_RSVG} -w ${size} -h ${size} -o ${png} ${source})
  endforeach()
  add_custom_command(OUTPUT ${output}
    ${commands}
    COMMAND ${LUMENFOLD_IMAGEMAGICK} ${pngs} ${output}
    DEPENDS ${source}
    COMMENT "Rendering the program icon"
    VERBATIM)
endfunction()

function(lumenfold_windows_resources target)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  set(icon ${generated}/lumenfold.ico)
  lumenfold_icon(${icon})
  set(rc ${LUMENFOLD_RESOURCES}/lumenfold.rc)
  target_sources(${target} PRIVATE ${rc})
  # windres has no dependency scan: name what the .rc pulls in.
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES
    INCLUDE_DIRECTORIES "${LUMENFOLD_RESOURCES};${generated}"
    OBJECT_DEPENDS "${icon};${LUMENFOLD_RESOURCES}/Lumenfold.exe.manifest;${LUMENFOLD_RESOURCES}/version.h")
endfunction()

# VERSION a.b.c.d gives this build other numbers than version.h.
function(lumenfold_windows_program target)
  cmake_parse_arguments(P "" "VERSION" "" ${ARGN})
  lumenfold_windows_entry(${target})
  lumenfold_windows_resources(${target})
  if(P_VERSION)
    string(REPLACE "." "," numbers ${P_VERSION})
    target_compile_definitions(${target} PRIVATE LUMENFOLD_VERSION_NUMBERS=${numbers})
  endif()
endfunction()
