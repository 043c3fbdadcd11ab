#include "core/ini_document.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tovi {
namespace {

using namespace std::string_literals;

const std::string kLong(3000, 'v');

TEST(IniDocument, ReadsValuesAsThePlatformDoes) {
  // What, text, and the value of Type in section Eye.
  const std::tuple<const char*, std::string, std::optional<std::string>> cases[] = {
      {"any case, blanks trimmed", " [ eYE ] \n\t tYPE \t=\t 3 x \t\n", "3 x"},
      {"empty value", "[Eye]\nType=\n", ""},
      {"first key wins", "[Eye]\nType=1\nType=2\n", "1"},
      {"first section wins", "[Eye]\nBlink=0\n[Other]\nType=5\n[eye]\nType=2\n", std::nullopt},
      {"key before any section", "Type=1\n[Eye]\n", std::nullopt},
      {"comments", "[Eye]\n;Type=1\n  ; Type=2\nType=3", "3"},
      {"line without '=' is a key without a value", "[Eye]\nType\nType=4\n", ""},
      {"section name runs to the last ']'", "[Eye]x]\nType=2\n", std::nullopt},
      {"'=' in the value", "[Eye]\nType==a=b\n", "=a=b"},
      {"double quotes", "[Eye]\nType= \" 5 \" \n", " 5 "},
      {"single quotes", "[Eye]\nType='5'\n", "5"},
      {"quotes that do not match", "[Eye]\nType=\"5'\n", "\"5'"},
      {"a lone quote", "[Eye]\nType=\"\n", "\""},
      {"lone CR ends lines", "[Eye]\rType=6\rBlink=0", "6"},
      {"byte order mark", "\xEF\xBB\xBF[Eye]\r\nType=7\r\n", "7"},
      {"header without ']'", "[Eye\nType=1\n", std::nullopt},
      {"text after the header", "[Eye] ; eyes\nType=8\n", "8"},
      {"NUL ends the value", "[Eye]\nType='3\0'\n"s, "'3"},
      {"long value cut", "[Eye]\nType=" + kLong + "\n", kLong.substr(0, 2047)},
      {"long quoted value cut", "[Eye]\nType=\"" + kLong + "\"\n", kLong.substr(0, 2047)},
  };
  for (const auto& [what, text, type] : cases) EXPECT_EQ(TIniDocument(text).ReadString("Eye", "Type"), type) << what;
}

TEST(IniDocument, WritesOneLineAndKeepsTheRest) {
  // What, text before and after writing Type=1 in section Eye.
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"empty text", "", "[Eye]\r\nType=1\r\n"},
      {"byte order mark only", "\xEF\xBB\xBF", "\xEF\xBB\xBF[Eye]\r\nType=1\r\n"},
      {"section after LF lines", "[A]\nx=1\n", "[A]\nx=1\n[Eye]\r\nType=1\r\n"},
      {"section after a last line without break", "[A]\nx=1", "[A]\nx=1\r\n[Eye]\r\nType=1\r\n"},
      {"value replaced, no break added", "[Eye]\r\nType=5", "[Eye]\r\nType=1"},
      {"lone CR kept", "[Eye]\rType=5\r", "[Eye]\rType=1\r"},
      {"odd case and blanks", "[eye]\r\n  tYpE = 5 \r\n", "[eye]\r\nType=1\r\n"},
      {"only the first key", "[Eye]\nType=5\nType=6\n", "[Eye]\nType=1\nType=6\n"},
      {"only the first section", "[Eye]\n[Eye]\nType=6\n", "[Eye]\nType=1\r\n[Eye]\nType=6\n"},
      {"key after the last non-blank line", "[Eye]\n;c\n\n \n[B]\n", "[Eye]\n;c\nType=1\r\n\n \n[B]\n"},
      {"key after a header without break", "[Eye]", "[Eye]\r\nType=1\r\n"},
      {"a comment is not the key", "[Eye]\n;Type=5\n", "[Eye]\n;Type=5\nType=1\r\n"},
  };
  for (const auto& [what, before, after] : cases) {
    TIniDocument ini(before);
    ini.WriteString("Eye", "Type", "1");
    EXPECT_EQ(ini.Text(), after) << what;
  }
}

}  // namespace
}  // namespace tovi
