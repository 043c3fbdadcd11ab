#include "gui_object_count.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

namespace tovi {
namespace {

// Wine (since 7) keeps every GDI object of the process in a table that the
// PEB's GdiSharedHandleTable field points to, as Windows once did: 0x10000
// entries of this shape, indexed by the low word of the handle. A live entry
// has a non-zero type; deleting the object clears it.
struct TWineGdiEntry {
  std::uint64_t Object;
  std::uint32_t Owner;
  std::uint16_t Unique;
  std::uint8_t Type;
  std::uint8_t Flags;
  std::uint64_t UserPointer;
};
static_assert(sizeof(TWineGdiEntry) == 24);
constexpr std::size_t kGdiEntries = 0x10000;
constexpr std::uint8_t kGdiBitmapType = 0x09;
// Where the PEB keeps GdiSharedHandleTable.
constexpr std::size_t kGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

// Wine's USER handles (windows, menus, icons, cursors, accelerator tables)
// are a table index in the low word, two apart from 0x20 up to 0xFFEF, and a
// generation in the high word. Wine takes a handle with a zero high word as
// whatever generation the slot holds, so trying each low word finds every
// live object; the calls used only look and create nothing.
constexpr UINT kFirstUserHandle = 0x0020;
constexpr UINT kLastUserHandle = 0xFFEF;

using TCursorFrameInfo = HCURSOR(WINAPI*)(HCURSOR cursor, DWORD reserved, DWORD step, DWORD* rate, DWORD* steps);

const char* GdiTypeName(std::uint8_t type) {
  switch (type) {
    case 0x01: return "DCs";
    case 0x41: return "memory DCs";
    case 0x04: return "regions";
    case 0x08: return "palettes";
    case 0x09: return "bitmaps";
    case 0x0a: return "fonts";
    case 0x10: return "brushes";
    case 0x30: return "pens";
    case 0x50: return "extended pens";
    default: return "other GDI objects";
  }
}

const TWineGdiEntry* WineGdiTable() {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    return nullptr;
  const auto* peb = reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress);
  return *reinterpret_cast<const TWineGdiEntry* const*>(peb + kGdiTableOffset);
}

std::size_t GdiIndex(HGDIOBJ object) { return reinterpret_cast<std::uintptr_t>(object) & (kGdiEntries - 1); }

// A table that does not show a bitmap made for the purpose, or still shows it
// once deleted, is not the table we think it is: better no count than a false one.
void CheckWineGdiTable(const TWineGdiEntry* table) {
  if (table == nullptr) throw std::runtime_error("the PEB holds no GDI handle table");
  const HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
  if (probe == nullptr) throw std::runtime_error("cannot make a bitmap to check the GDI handle table");
  const TWineGdiEntry seen = table[GdiIndex(probe)];
  DeleteObject(probe);
  const TWineGdiEntry gone = table[GdiIndex(probe)];
  if (seen.Type != kGdiBitmapType || seen.Object == 0 || gone.Type != 0)
    throw std::runtime_error("Wine's GDI handle table does not have the expected layout");
}

void AddDetail(std::string& detail, const char* name, long count) {
  if (count == 0) return;
  if (!detail.empty()) detail += ", ";
  detail += std::to_string(count) + " " + name;
}

TGuiObjectCount CountUnderWine() {
  const TWineGdiEntry* table = WineGdiTable();
  CheckWineGdiTable(table);
  const auto frameInfo = reinterpret_cast<TCursorFrameInfo>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
  if (frameInfo == nullptr) throw std::runtime_error("user32 has no GetCursorFrameInfo to tell icons by");

  TGuiObjectCount count;
  std::map<std::string, long> gdiByType;
  for (std::size_t i = 0; i < kGdiEntries; ++i) {
    if (table[i].Type == 0) continue;
    ++count.Gdi;
    ++gdiByType[GdiTypeName(table[i].Type)];
  }

  long windows = 0, menus = 0, icons = 0, accelerators = 0;
  const DWORD self = GetCurrentProcessId();
  for (UINT low = kFirstUserHandle; low <= kLastUserHandle; low += 2) {
    const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(low));
    DWORD owner = 0;
    if (IsWindow(static_cast<HWND>(handle)) && GetWindowThreadProcessId(static_cast<HWND>(handle), &owner) &&
        owner == self)
      ++windows;
    else if (IsMenu(static_cast<HMENU>(handle)))
      ++menus;
    else if (DWORD rate = 0, steps = 0; frameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps))
      ++icons;
    else if (CopyAcceleratorTableW(static_cast<HACCEL>(handle), nullptr, 0) > 0)
      ++accelerators;
  }
  count.User = windows + menus + icons + accelerators;

  for (const auto& [name, n] : gdiByType) AddDetail(count.Detail, name.c_str(), n);
  AddDetail(count.Detail, "windows", windows);
  AddDetail(count.Detail, "menus", menus);
  AddDetail(count.Detail, "icons and cursors", icons);
  AddDetail(count.Detail, "accelerator tables", accelerators);
  return count;
}

}  // namespace

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

const char* GuiObjectCountMethod() {
  return RunningUnderWine() ? "Wine's GDI handle table from the PEB; USER handles probed by table slot"
                            : "GetGuiResources";
}

TGuiObjectCount CountGuiObjects() {
  if (RunningUnderWine()) return CountUnderWine();
  TGuiObjectCount count;
  count.Gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  count.User = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  count.Detail = std::to_string(count.Gdi) + " GDI, " + std::to_string(count.User) + " USER objects";
  return count;
}

std::size_t PrivateBytes() {
  // Windows documents PrivateUsage as the same figure as PagefileUsage, and
  // Wine fills only the latter through psapi.
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    throw std::runtime_error("GetProcessMemoryInfo failed");
  return counters.PagefileUsage;
}

}  // namespace tovi
