/* Forced into every file of OpenCC's MinGW-w64 build (scripts/mingw-libs/opencc.sh).
 * OpenCC takes file names as UTF-8; built with MSVC it opens them through _wfopen, while
 * with MinGW-w64 its fopen would read them in the ANSI code page, so a dictionary in a
 * folder named with characters outside that code page (a Chinese user name on a western
 * Windows, an emoji) could not be opened. Here fopen reads the name as UTF-8, too. */
#ifndef MORVANE_OPENCC_FILE_NAMES_H
#define MORVANE_OPENCC_FILE_NAMES_H

#ifdef __cplusplus
#include <cstdio>
#include <cstdlib>
#else
#include <stdio.h>
#include <stdlib.h>
#endif
#include <windows.h>

static inline FILE* morvane_fopen_utf8(const char* name, const char* mode) {
  wchar_t wide_mode[8];
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, mode, -1, wide_mode, 8);
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, NULL, 0);
  if (n <= 0 || length <= 0) return NULL;
  wchar_t* wide_name = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)length);
  if (wide_name == NULL) return NULL;
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide_name, length);
  FILE* file = _wfopen(wide_name, wide_mode);
  free(wide_name);
  return file;
}
#ifdef __cplusplus
namespace std {
using ::morvane_fopen_utf8;  // std::fopen, too
}
#endif
#define fopen morvane_fopen_utf8

#endif
