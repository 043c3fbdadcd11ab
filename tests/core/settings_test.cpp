#include "core/settings.h"
#include "core/claim_name.h"
#include "core/ini_document.h"
#include "core/extended_path.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

namespace tovi {

void PrintTo(const EyeSettings& s, std::ostream* out) {
  *out << "{Type " << s.FType << ", Blink " << s.FBlink << ", BlinkInterval " << s.FBlinkInterval << "}";
}

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

constexpr std::int32_t kMin = INT32_MIN, kMax = INT32_MAX;
const std::string kLong(3000, 'v');

TEST(ParseIniInteger, ConvertsTheWholeTextOrNothing) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"500", 500}, {"+7", 7}, {"-7", -7}, {"2147483647", kMax}, {"-2147483648", kMin}, {"2147483648", {}},
      {"-2147483649", {}}, {"0x1F4", 500}, {"0X10", 16}, {"0xffffffff", -1}, {"0x00000001", 1}, {"0x000000001", {}},
      {"0x", {}}, {"0x1g", {}}, {"0x-1", {}}, {"-0x10", {}}, {"+0x10", {}}, {"12abc", {}}, {"", {}}, {"+", {}},
      {"+-1", {}}, {" 7", {}}, {"7 ", {}}, {"$1F4", 500}, {"$", {}}, {"-$10", {}}, {"$$1", {}}, {"$0x1", {}},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIniInteger(text), value) << '"' << text << '"';
}

TEST(ReadEyeSettings, FallsBackToDefaultsValueByValue) {
  const std::pair<std::string, EyeSettings> cases[] = {
      {"", {0, true, 5000}}, {"[Eye]\r\nType=2\r\nBlink=0\r\nBlinkInterval=0x1F4\r\n", {2, false, 500}},
      {"[EYE]\n type = 7 \nblink=2\nblinkinterval=-1", {7, true, -1}},
      {"[Eye]\nType=12abc\nBlink=\nBlinkInterval=0x\n", {0, true, 5000}},
  };
  for (const auto& [text, settings] : cases) EXPECT_EQ(ReadEyeSettings(text), settings) << text;
}

TEST(WriteEyeSettings, RewritesOurLinesOnly) {
  const std::tuple<const char*, std::string, EyeSettings, std::string> cases[] = {
      {"new file", "", {}, "[Eye]\r\nType=0\r\nBlink=1\r\nBlinkInterval=5000\r\n"},
      {"other sections, comments, LF, no final break",
       "; Tovi\n[Window]\nLeft=10\n\n[Eye]\nType=3\n; keep\nBlink=0\n\n[Zzz]\nodd line\nlast", {1, true, 250},
       "; Tovi\n[Window]\nLeft=10\n\n[Eye]\nType=1\n; keep\nBlink=1\nBlinkInterval=250\r\n\n[Zzz]\nodd line\nlast"},
  };
  for (const auto& [what, before, settings, after] : cases)
    EXPECT_EQ(WriteEyeSettings(before, settings), after) << what;
}

TEST(OverflowHint, IsRememberedInASectionOfItsOwn) {
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"", false, "[Hint]\r\nOverflowShown=1\r\n"},
      {"[hint]\n overflowshown = 1 \n", true, "[hint]\nOverflowShown=1\n"},
      {"[Hint]\nOverflowShown=0\n; mine\n", false, "[Hint]\nOverflowShown=1\n; mine\n"},
      {"[Eye]\nOverflowShown=1\n", false, "[Eye]\nOverflowShown=1\n[Hint]\r\nOverflowShown=1\r\n"},
  };
  for (const auto& [before, shown, after] : cases)
    EXPECT_EQ(std::tuple(ReadOverflowHintShown(before), WriteOverflowHintShown(before)), std::tuple(shown, after))
        << ::testing::PrintToString(before);
}

TEST(ClampBlinkInterval, KeepsTheRangeAndTakesTheNearerEndOutsideIt) {
  for (const auto& [interval, clamped] : {std::pair(kMin, 100), std::pair(99, 100), std::pair(100, 100),
                                          std::pair(101, 101), std::pair(10000, 10000), std::pair(10001, 10000),
                                          std::pair(kMax, 10000)})
    EXPECT_EQ(ClampBlinkInterval(interval), clamped) << interval;
}

// Files are opened by the extended-length form of their full paths, which works past 260 characters.
TEST(ExtendedLengthPath, PrefixesFullPathsOnly) {
  const std::tuple<const char*, std::wstring_view, std::wstring_view> cases[] = {
      {"a drive's path, small letter", L"z:\\Users\\目\\tovi.ini", L"\\\\?\\z:\\Users\\目\\tovi.ini"},
      {"a share", L"\\\\server\\share\\tovi.ini", L"\\\\?\\UNC\\server\\share\\tovi.ini"},
      {"already extended", L"\\\\?\\C:\\tovi.ini", L"\\\\?\\C:\\tovi.ini"},
      {"a device's path", L"\\\\.\\C:\\tovi.ini", L"\\\\.\\C:\\tovi.ini"},
      {"an NT path", L"\\??\\C:\\tovi.ini", L"\\??\\C:\\tovi.ini"},
      {"no letter before the colon", L"@:\\tovi.ini", L"@:\\tovi.ini"},
      {"relative to a drive", L"C:tovi.ini", L"C:tovi.ini"}, {"the root of no drive", L"\\tovi.ini", L"\\tovi.ini"},
  };
  for (const auto& [what, path, extended] : cases) EXPECT_EQ(ExtendedLengthPath(path), extended) << what;
}

// A UTF-16 LE file's bytes: what Notepad saves as "Unicode" when the text starts with u"\uFEFF".
std::string Utf16(std::u16string_view units, std::string oddByte = "", bool bigEndian = false) {
  std::string bytes;
  for (const char16_t unit : units) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes + oddByte;
}
// A UTF-16 BE file's bytes, as Notepad saves "Unicode big endian".
std::string Utf16Be(std::u16string_view units, std::string oddByte = "") { return Utf16(units, oddByte, true); }

TEST(IniDocument, ReadsAndWritesAsThePlatformDoes) {
  // What, the text, the value of Type in section Eye, and the text after writing Type=1 there.
  const std::tuple<const char*, std::string, std::optional<std::string>, std::string> cases[] = {
      {"any case, blanks trimmed, the line rewritten whole", " [ eYE ] \r\n\t tYPE \t=\t 3 x \t\r\n", "3 x",
       " [ eYE ] \r\nType=1\r\n"},
      {"empty value", "[Eye]\nType=\n", "", "[Eye]\nType=1\n"},
      {"key before any section", "Type=5\n[Eye]\n", {}, "Type=5\n[Eye]\nType=1\r\n"},
      {"the first section", "[Eye]\nBlink=0\n[Other]\nType=5\n[eye]\nType=2\n", {},
       "[Eye]\nBlink=0\nType=1\r\n[Other]\nType=5\n[eye]\nType=2\n"},
      {"comments, no break added", "[Eye]\n;Type=1\n  ; Type=2\nType=3", "3", "[Eye]\n;Type=1\n  ; Type=2\nType=1"},
      {"'=' in the value", "[Eye]\nType==a=b\n", "=a=b", "[Eye]\nType=1\n"},
      {"no '=': a key without a value; the first key counts", "[Eye]\nType\nType=4\n", "", "[Eye]\nType=1\nType=4\n"},
      {"section name runs to the last ']'", "[Eye]x]\nType=2\n", {}, "[Eye]x]\nType=2\n[Eye]\r\nType=1\r\n"},
      {"double quotes", "[Eye]\nType= \" 5 \" \n", " 5 ", "[Eye]\nType=1\n"},
      {"single quotes, nothing between", "[Eye]\nType=''\n", "", "[Eye]\nType=1\n"},
      {"quotes that do not match", "[Eye]\nType=\"5'\n", "\"5'", "[Eye]\nType=1\n"},
      {"a lone quote", "[Eye]\nType=\"\n", "\"", "[Eye]\nType=1\n"},
      {"lone CR ends lines", "[Eye]\rType=6\rBlink=0", "6", "[Eye]\rType=1\rBlink=0"},
      {"header without ']'", "[Eye\nType=1\n", {}, "[Eye\nType=1\n[Eye]\r\nType=1\r\n"},
      {"byte order mark", "\xEF\xBB\xBF[Eye]\r\nType=7\r\n", "7", "\xEF\xBB\xBF[Eye]\r\nType=1\r\n"},
      {"byte order mark only", "\xEF\xBB\xBF", {}, "\xEF\xBB\xBF[Eye]\r\nType=1\r\n"},
      {"NUL ends the value", "[Eye]\nType='3\0'\n"s, "'3", "[Eye]\nType=1\n"},
      {"text after the header", "[Eye] ; eyes\nType=8\n", "8", "[Eye] ; eyes\nType=1\n"},
      {"long value cut", "[Eye]\nType=" + kLong + "\n", kLong.substr(0, 2047), "[Eye]\nType=1\n"},
      {"long quoted value cut", "[Eye]\nType=\"" + kLong + "\"\n", kLong.substr(0, 2047), "[Eye]\nType=1\n"},
      {"section after a last line without break", "[A]\nx=1", {}, "[A]\nx=1\r\n[Eye]\r\nType=1\r\n"},
      {"key after the last non-blank line", "[Eye]\n;c\n\n \n[B]\n", {}, "[Eye]\n;c\nType=1\r\n\n \n[B]\n"},
      {"key after a header without break", "[Eye]", {}, "[Eye]\r\nType=1\r\n"},
      // UTF-16 comes back as it came.
      {"UTF-16 beyond ASCII and a pair", Utf16(u"\uFEFF; \u76EE\r\n[Eye]\nType= \u00E9\u76EE\U0001F441 \n"),
       "\xC3\xA9\xE7\x9B\xAE\xF0\x9F\x91\x81", Utf16(u"\uFEFF; \u76EE\r\n[Eye]\nType=1\n")},
      {"UTF-16, the first and last characters of each length",
       Utf16(u"\uFEFF[Eye]\nType=\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF\n"),
       "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", Utf16(u"\uFEFF[Eye]\nType=1\n")},
      {"UTF-16 unpaired surrogates", Utf16(u"\uFEFF;\xDC00\xD800 \xDBFF\r[Eye]\rType=\xDC00\xDFFF\r;\xD83D"),
       "\xED\xB0\x80\xED\xBF\xBF", Utf16(u"\uFEFF;\xDC00\xD800 \xDBFF\r[Eye]\rType=1\r;\xD83D")},
      {"UTF-16 NUL", Utf16(u"\uFEFF[Eye]\r\nType=4\0\0\r\n"sv), "4", Utf16(u"\uFEFF[Eye]\r\nType=1\r\n")},
      {"UTF-16 odd last byte", Utf16(u"\uFEFF[Eye]\r\nType=5", "\x0A"), "5", Utf16(u"\uFEFF[Eye]\r\nType=1", "\x0A")},
      {"UTF-16, odd byte last", Utf16(u"\uFEFF[A]", "\xD8"), {}, Utf16(u"\uFEFF[A]\r\n[Eye]\r\nType=1\r\n", "\xD8")},
      {"UTF-16 BE beyond ASCII, a pair, unpaired surrogates",
       Utf16Be(u"\uFEFF;\xDC00\xD800 \u76EE\r\n[Eye]\nType= \u00E9\U0001F441\xDBFF\n"),
       "\xC3\xA9\xF0\x9F\x91\x81\xED\xAF\xBF", Utf16Be(u"\uFEFF;\xDC00\xD800 \u76EE\r\n[Eye]\nType=1\n")},
      {"BE, odd byte last", Utf16Be(u"\uFEFF[A]", "\x0A"), {}, Utf16Be(u"\uFEFF[A]\r\n[Eye]\r\nType=1\r\n", "\x0A")},
      {"8-bit: FF alone marks no byte order", "\xFF[Eye]\nType=6", {}, "\xFF[Eye]\nType=6\r\n[Eye]\r\nType=1\r\n"},
  };
  for (const auto& [what, before, type, after] : cases) {
    TIniDocument ini(before);
    EXPECT_EQ(std::tuple(ini.Text(), ini.ReadString("Eye", "Type")), std::tuple(before, type))
        << what << ": the text unchanged, and Type";
    ini.WriteString("Eye", "Type", "1");
    EXPECT_EQ(ini.Text(), after) << what;
  }
  // Only A to Z fold: '@' and '[' lie beside them and stay apart from '`' and '{'.
  EXPECT_EQ(TIniDocument("[aZ]\nZa=1\n").ReadString("Az", "zA"), "1") << "the first and last letters fold";
  EXPECT_EQ(TIniDocument("[`]\n{=1\n").ReadString("@", "{"), std::nullopt) << "'@' is no '`'";
  EXPECT_EQ(TIniDocument("[`]\n{=1\n").ReadString("`", "["), std::nullopt) << "'[' is no '{'";
}

// tovi.ini is anyone's file: texts strung together from pieces of settings files and
// random bytes, in 8 bits or UTF-16 of either byte order, never crash the reader (the sanitizers watch),
// what is saved reads back, saving it again changes nothing.
TEST(EyeSettingsFile, SurvivesRandomTexts) {
  const std::vector<std::string> pieces = {"[", "]", "=", ";", "\r", "\n", "\r\n", " ", "\"", "'", "Eye",
                                           "eYE", "Type", "Blink", "BlinkInterval", "0x", "-", "7", "\xEF\xBB\xBF"};
  const std::string kMarks[] = {"", "", "\xFF\xFE", "\xFE\xFF"};  // 8 bits, UTF-16 LE and BE
  std::mt19937 random(20240601);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  for (int round = 0; round < 10000; ++round) {
    std::string text = kMarks[below(4)];
    for (std::size_t n = below(40); n > 0; --n)
      text += below(4) == 0 ? std::string(1, static_cast<char>(below(256))) : pieces[below(pieces.size())];
    ASSERT_EQ(TIniDocument(text).Text(), text) << "read and written back: " << ::testing::PrintToString(text);
    const EyeSettings wanted{static_cast<std::int32_t>(random()), below(2) == 0, static_cast<std::int32_t>(random())};
    const std::string written = WriteEyeSettings(text, wanted);
    ASSERT_EQ(ReadEyeSettings(written), wanted) << ::testing::PrintToString(text);
    ASSERT_EQ(WriteEyeSettings(written, wanted), written) << "saved twice: " << ::testing::PrintToString(text);
  }
}

// One copy of the program at a time keeps tovi.ini: it claims the folder by a name made from the folder's final path.
TEST(FolderClaimName, IsOneShortNameInTheSessionPerFolder) {
  const std::u16string longPath = u"\\\\?\\C:\\" + std::u16string(32000, u'目');
  const std::tuple<const char*, std::u16string_view, std::string_view> cases[] = {
      {"a folder", u"\\\\?\\C:\\Tools\\Tovi", "Local\\Tovi-1cdfc13df6550970"},
      {"with a trailing separator, the same", u"\\\\?\\C:\\Tools\\Tovi\\", "Local\\Tovi-1cdfc13df6550970"},
      {"longer than an object's name may be", longPath, "Local\\Tovi-1d1ed58dcfbb184b"},
  };
  for (const auto& [reason, path, name] : cases) EXPECT_EQ(FolderClaimName(path), name) << reason;
}

}  // namespace
}  // namespace tovi
