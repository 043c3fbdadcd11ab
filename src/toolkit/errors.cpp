#include "toolkit/errors.h"

#include <windows.h>

namespace tovi {
namespace {

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

EToviError::EToviError(std::wstring message) : FMessage(std::move(message)), FUtf8(Utf8FromWide(FMessage)) {}

std::wstring ExceptionText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const EToviError& e) {
    return e.Message();
  } catch (const std::bad_alloc&) {
    return L"メモリが足りません";
  } catch (const std::exception& e) {
    return WideFromUtf8(e.what());
  } catch (...) {
    return L"不明なエラーが起きました";
  }
}

}  // namespace tovi
