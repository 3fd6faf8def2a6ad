# SPDX-License-Identifier: MIT
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

# The name Explorer, the Start menu and the list of installed programs show, as the
# Linux desktop entry has it in Chinese (packaging/morvane.desktop).
set(MORVANE_PRODUCT_NAME "Morvane 文本切割合并")

# morvane_windows_resources(TARGET DESCRIPTION MANIFEST_TEMPLATE)
# Gives an executable its resources: the manifest (the template with @version_dots@), the
# program's icon when the build was given one, and a version resource whose version is the
# project's (the one place it is written), with the Chinese description Explorer shows.
set(MORVANE_WINDOWS_ICON "" CACHE FILEPATH "the program's icon (.ico), made by scripts/build-windows.sh")
function(morvane_windows_resources target description manifest_template)
  set(version_dots "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
  set(version_commas "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0")
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${manifest_template} ${manifest} @ONLY)
  set(icon_line "")
  if(MORVANE_WINDOWS_ICON)
    set(icon_line "1 ICON \"${MORVANE_WINDOWS_ICON}\"")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/resources.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
               ${manifest})

  # A release executable leaves without its symbols; they stay beside it in
  # <name>.exe.debug, which the executable names (a debugger or a crash report's reader
  # finds them there).
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    find_program(MORVANE_OBJCOPY NAMES x86_64-w64-mingw32-objcopy REQUIRED)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${MORVANE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
      COMMAND ${MORVANE_OBJCOPY} --strip-all $<TARGET_FILE:${target}>
      COMMAND ${MORVANE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
      VERBATIM)
  endif()

  # The traditional/simplified conversion's data beside the executable, in opencc/: the
  # configurations the program offers and the dictionaries they name, OpenCC's own data of
  # the Linux package (libopencc-data, the same OpenCC version), which does not depend on
  # the platform.
  if(TARGET OpenCC::OpenCC)
    morvane_opencc_data_files(files)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/opencc
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${files} $<TARGET_FILE_DIR:${target}>/opencc
      VERBATIM)
  endif()
endfunction()

set(MORVANE_OPENCC_DATA /usr/share/opencc CACHE PATH "OpenCC's configurations and dictionaries (libopencc-data)")
# The eight configurations of engine/script_conversion.h and every dictionary they name.
function(morvane_opencc_data_files out)
  set(files "")
  foreach(config t2s s2t tw2s s2tw hk2s s2hk tw2sp s2twp)
    set(json ${MORVANE_OPENCC_DATA}/${config}.json)
    if(NOT EXISTS ${json})
      message(FATAL_ERROR "No ${json}: install libopencc-data (or set MORVANE_OPENCC_DATA)")
    endif()
    list(APPEND files ${json})
    file(READ ${json} text)
    string(REGEX MATCHALL "\"file\"[ \t\r\n]*:[ \t\r\n]*\"[^\"]+\"" names "${text}")
    foreach(name ${names})
      string(REGEX REPLACE ".*\"([^\"]+)\"$" "\\1" name "${name}")
      list(APPEND files ${MORVANE_OPENCC_DATA}/${name})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES files)
  set(${out} ${files} PARENT_SCOPE)
endfunction()
