// SPDX-License-Identifier: MIT
/* Forced into every file of OpenCC's MinGW-w64 build (scripts/mingw-libs/opencc.sh).
 * OpenCC takes file names as UTF-8; built with MSVC it opens them as UTF-16 (_wfopen, and
 * its configurations through a wide-named ifstream), while with MinGW-w64 its fopen and
 * ifstream would read them in the ANSI code page, so a configuration or dictionary in a
 * folder named with characters outside that code page could not be opened. Here both read
 * the name as UTF-8, too. */
#ifndef MORVANE_OPENCC_FILE_NAMES_H
#define MORVANE_OPENCC_FILE_NAMES_H

#ifdef __cplusplus
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#else
#include <stdio.h>
#include <stdlib.h>
#endif
#include <windows.h>

/* The UTF-16 form of a UTF-8 name, allocated; NULL when it is no UTF-8. */
static inline wchar_t* morvane_wide_name(const char* name) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, NULL, 0);
  if (length <= 0) return NULL;
  wchar_t* wide = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)length);
  if (wide != NULL) MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide, length);
  return wide;
}

static inline FILE* morvane_fopen_utf8(const char* name, const char* mode) {
  wchar_t wide_mode[8];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, mode, -1, wide_mode, 8) <= 0) return NULL;
  wchar_t* wide_name = morvane_wide_name(name);
  if (wide_name == NULL) return NULL;
  FILE* file = _wfopen(wide_name, wide_mode);
  free(wide_name);
  return file;
}

#ifdef __cplusplus
/* An input file stream whose narrow names are UTF-8. */
class morvane_ifstream_utf8 : public std::ifstream {
 public:
  morvane_ifstream_utf8() = default;
  explicit morvane_ifstream_utf8(const char* name, std::ios_base::openmode mode = std::ios_base::in) {
    open(name, mode);
  }
  explicit morvane_ifstream_utf8(const std::string& name,
                                 std::ios_base::openmode mode = std::ios_base::in) {
    open(name.c_str(), mode);
  }
  void open(const char* name, std::ios_base::openmode mode = std::ios_base::in) {
    wchar_t* wide = morvane_wide_name(name);
    if (wide == NULL) {
      setstate(std::ios_base::failbit);
      return;
    }
    std::ifstream::open(wide, mode);
    free(wide);
  }
  void open(const std::string& name, std::ios_base::openmode mode = std::ios_base::in) {
    open(name.c_str(), mode);
  }
};
namespace std {
using ::morvane_fopen_utf8;  // std::fopen, too
using ::morvane_ifstream_utf8;
}  // namespace std
#define ifstream morvane_ifstream_utf8
#endif
#define fopen morvane_fopen_utf8

#endif
