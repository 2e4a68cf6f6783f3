# nlohmann JSON from Debian's nlohmann-json3-dev, for the native and the MinGW builds alike. The
# cross compiler must not see the host's /usr/include (glibc headers would shadow its own), so the
# headers are reached through a build-tree folder that holds only a link to them.
find_path(LUMENFOLD_NLOHMANN_INCLUDE nlohmann/json.hpp
          PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT LUMENFOLD_NLOHMANN_INCLUDE)
  message(FATAL_ERROR "nlohmann JSON headers missing: run tools/setup.sh")
endif()

set(LUMENFOLD_JSON_INCLUDE ${CMAKE_BINARY_DIR}/third_party/json/include)
file(MAKE_DIRECTORY ${LUMENFOLD_JSON_INCLUDE})
file(CREATE_LINK ${LUMENFOLD_NLOHMANN_INCLUDE}/nlohmann ${LUMENFOLD_JSON_INCLUDE}/nlohmann SYMBOLIC)

add_library(lumenfold_json INTERFACE)
target_include_directories(lumenfold_json SYSTEM INTERFACE ${LUMENFOLD_JSON_INCLUDE})
