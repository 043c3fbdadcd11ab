#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace tovi {

// The GDI and USER objects this process holds. Windows counts them with
// GetGuiResources; Wine's GetGuiResources is a stub that answers 0, so there
// they are counted from Wine's own tables (see gui_object_count.cpp).
struct TGuiObjectCount {
  long Gdi = 0;
  long User = 0;
  // The same figures by kind, for a message that says what leaked.
  std::string Detail;
};

bool RunningUnderWine();

// How CountGuiObjects counts here, in a few words for a report.
const char* GuiObjectCountMethod();

// Throws std::runtime_error where the count cannot be trusted: Wine's table
// does not describe a bitmap made to check it.
TGuiObjectCount CountGuiObjects();

// Private memory of the process in bytes: the commit charge on Windows; on
// Wine the same field holds the anonymous memory of the Unix process
// (resident and swapped), read from its /proc status.
std::size_t PrivateBytes();

}  // namespace tovi
