#pragma once

#include <exception>
#include <string>

namespace tovi {

// The program's failures: an exception carrying the text the user is shown.
class EToviError : public std::exception {
 public:
  explicit EToviError(std::wstring message);
  const std::wstring& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  std::wstring FMessage;
  std::string FUtf8;
};

// The text for the user of any exception: the message of ours, the what() of
// another (taken as UTF-8), a plain notice for anything else.
std::wstring ExceptionText(const std::exception_ptr& error);

}  // namespace tovi
