#include "toolkit/errors.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tovi {
namespace {

TEST(ExceptionText, GivesTheUserTheRightText) {
  const std::wstring path = L"C:\\トヴィ\\tovi.ini に書き込めません";
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(EToviError(path))), path);
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(std::runtime_error("\xE7\x9B\xAE"))), L"目");
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(42)), L"不明なエラーが起きました");
  EXPECT_STREQ(EToviError(L"目").what(), "\xE7\x9B\xAE");
}

}  // namespace
}  // namespace tovi
