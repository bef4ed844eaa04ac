#pragma once

// <windows.h> as every file of this front end includes it: wide API, no min/max macros.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

namespace quorvane {

// A function of a system library, loaded when it is first needed: the shell's libraries are
// large, and loading them at start would slow every start for something most runs never do.
template <class F>
F look_up(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  return module == nullptr
             ? nullptr
             : reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace quorvane
