# qrcodegen's C++ source, fetched by tools/setup.sh from Debian's source package and never kept in
# the repository. A library of its own: our warning flags are not its business.
set(LUMENFOLD_QRCODEGEN_DIR ${CMAKE_SOURCE_DIR}/build/deps/qrcodegen
    CACHE PATH "qrcodegen.cpp and qrcodegen.hpp (tools/setup.sh fetches them)")
if(NOT EXISTS ${LUMENFOLD_QRCODEGEN_DIR}/qrcodegen.cpp OR NOT EXISTS ${LUMENFOLD_QRCODEGEN_DIR}/qrcodegen.hpp)
  message(FATAL_ERROR "qrcodegen source missing in ${LUMENFOLD_QRCODEGEN_DIR}: run tools/setup.sh")
endif()

add_library(lumenfold_qrcodegen STATIC ${LUMENFOLD_QRCODEGEN_DIR}/qrcodegen.cpp)
target_include_directories(lumenfold_qrcodegen SYSTEM PUBLIC ${LUMENFOLD_QRCODEGEN_DIR})
