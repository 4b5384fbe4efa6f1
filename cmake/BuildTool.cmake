# pz_build_tool(<name> SOURCES <source>... [DEPENDS <header>...]): a small
# program run while building, compiled for the build machine, since the
# Windows configurations cross-compile. Every such tool goes through
# component/build/BuildTool.h, so that a failure leaves no output behind.
# Sets <name>_EXE; use it only in the calling directory, or through a target.
find_program(PZ_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
function(pz_build_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  set(exe ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(
    OUTPUT ${exe}
    COMMAND ${PZ_HOST_CXX} -std=c++17 -O1 -Wall -Wextra -I${CMAKE_SOURCE_DIR} -o ${exe} ${ARG_SOURCES}
    DEPENDS ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/component/build/BuildTool.h ${ARG_DEPENDS}
    COMMENT "Build tool ${name}"
    VERBATIM)
  set(${name}_EXE ${exe} PARENT_SCOPE)
endfunction()
