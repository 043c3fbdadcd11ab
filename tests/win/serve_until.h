#pragma once

#include <windows.h>

#include "toolkit/application.h"

namespace tovi::testing {

// Serves the test's messages until the condition holds, or gives up after 30 s (a busy machine is slow, never
// that slow); whether it held.
template <typename TCondition>
bool ServeUntil(TCondition condition) {
  for (const DWORD start = GetTickCount(); !condition(); Application().ProcessMessages()) {
    if (GetTickCount() - start > 30000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

}  // namespace tovi::testing
