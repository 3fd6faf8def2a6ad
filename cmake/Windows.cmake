# What the Windows build takes instead of Debian's Linux libraries: GoogleTest built from
# its sources, CLI11's headers (header-only, so any compiler's), ICU cross-built from
# Debian's sources (scripts/mingw-libs/icu.sh) and no Qt (the desktop program is native
# Win32).

# The libraries cross-built by scripts/build-mingw-libs.sh, one prefix each in
# CMAKE_PREFIX_PATH: the toolchain searches only below its roots, so each prefix is one.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})

# The desktop program's manifest and icon are resources (windres).
enable_language(RC)

# One executable each, with no MinGW runtime DLL that must sit beside it.
add_link_options(-static -static-libgcc -static-libstdc++)
# The W functions of the Win32 API only; the A functions would pass names through the
# ANSI code page and lose characters.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

set(MORVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (libgtest-dev)")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${MORVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Recent GoogleTest sources name their targets GTest::... themselves.
foreach(target gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${target})
    add_library(GTest::${target} ALIAS ${target})
  endif()
endforeach()

# CLI11 from Debian's headers, reached through a folder of its own so that no other
# Linux header comes into the Windows build.
set(MORVANE_CLI11_HEADERS /usr/include/CLI CACHE PATH "CLI11's headers (libcli11-dev)")
set(cli11_include ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${cli11_include})
file(CREATE_LINK ${MORVANE_CLI11_HEADERS} ${cli11_include}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_include})

# ICU, static, from scripts/build-mingw-libs.sh: the same converters and regular
# expressions as on Linux, its data linked into each program. Found anew at each
# configuration (not cached), since a newer version lands in a prefix of its own.
find_path(icu_include unicode/uregex.h NO_CACHE REQUIRED)
foreach(library uc in dt)
  find_library(icu_${library} sicu${library} NO_CACHE REQUIRED)
endforeach()
add_library(ICU::data STATIC IMPORTED)
set_target_properties(ICU::data PROPERTIES IMPORTED_LOCATION ${icu_dt})
add_library(ICU::uc STATIC IMPORTED)
set_target_properties(ICU::uc PROPERTIES IMPORTED_LOCATION ${icu_uc}
  INTERFACE_INCLUDE_DIRECTORIES ${icu_include}
  INTERFACE_COMPILE_DEFINITIONS U_STATIC_IMPLEMENTATION
  INTERFACE_LINK_LIBRARIES ICU::data)
add_library(ICU::i18n STATIC IMPORTED)
set_target_properties(ICU::i18n PROPERTIES IMPORTED_LOCATION ${icu_in}
  INTERFACE_LINK_LIBRARIES ICU::uc)
