# Cross-builds the Windows programs with the MinGW-w64 compilers of Debian
# (package g++-mingw-w64-x86-64). Usage:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The programs are linked statically, so they need no DLLs beyond the system's.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALVORIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALVORIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVORIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVORIX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALVORIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No runtime DLLs: libgcc, libstdc++ and winpthread go into each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The GoogleTest suite runs natively; a cross build has no use for it.
set(BUILD_TESTING OFF CACHE BOOL "Build the tests" FORCE)

# The header-only JSON library is installed for the build machine under /usr,
# outside the find root. Offer the cross build a package of its own that points
# at those headers alone, never at the rest of /usr/include.
set(_talvorix_json_headers /usr/include/nlohmann)
if(EXISTS ${_talvorix_json_headers}/json.hpp)
  set(_talvorix_json_shim ${CMAKE_BINARY_DIR}/cross-packages/nlohmann_json)
  file(MAKE_DIRECTORY ${_talvorix_json_shim}/include)
  if(NOT EXISTS ${_talvorix_json_shim}/include/nlohmann)
    file(CREATE_LINK ${_talvorix_json_headers} ${_talvorix_json_shim}/include/nlohmann SYMBOLIC)
  endif()
  file(WRITE ${_talvorix_json_shim}/nlohmann_jsonConfig.cmake
    "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
    "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
    "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
    "    INTERFACE_INCLUDE_DIRECTORIES \"${_talvorix_json_shim}/include\")\n"
    "endif()\n"
    "set(nlohmann_json_FOUND TRUE)\n")
  if(EXISTS /usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
    file(COPY_FILE /usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake
      ${_talvorix_json_shim}/nlohmann_jsonConfigVersion.cmake ONLY_IF_DIFFERENT)
  endif()
  set(nlohmann_json_DIR ${_talvorix_json_shim} CACHE PATH "The JSON library's package for the cross build")
endif()
