#pragma once

#include <windows.h>

namespace tovi {

// The address of a function of a library in the system folder, or null
// where this Windows lacks it. The library stays loaded for the run.
FARPROC SystemFunction(const wchar_t* library, const char* name);

// The same, as a pointer to the function's own type.
template <typename TFunction>
TFunction* SystemCall(const wchar_t* library, const char* name) {
  return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(SystemFunction(library, name)));
}

}  // namespace tovi
