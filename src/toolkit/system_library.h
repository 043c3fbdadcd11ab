#pragma once

#include <windows.h>

namespace tovi {

namespace detail {
FARPROC SystemFunction(const wchar_t* library, const char* name);
}  // namespace detail

// A call that Windows 7 lacks, or one of a library that only a part of the
// program seldom used needs, found in its library in the system folder,
// which then stays loaded for the run; null where this Windows lacks it. Its
// type is written out once, as the call's only declaration (the headers for
// Windows 7 have none), and kept in a static where it is used, so that it is
// looked up once, when first needed:
//
//   static const auto getDpiForWindow = SystemCall<UINT WINAPI(HWND)>(L"user32.dll", "GetDpiForWindow");
//   if (getDpiForWindow) ... else what older systems do
//
// Any other call that every Windows from 7 on has is called directly, its library linked.
template <typename TFunction>
TFunction* SystemCall(const wchar_t* library, const char* name) {
  return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(detail::SystemFunction(library, name)));
}

}  // namespace tovi
