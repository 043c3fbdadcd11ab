#include "core/ini_document.h"

#include <algorithm>
#include <vector>

namespace tovi {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeByteOrderMark = "\xFE\xFF";
constexpr std::string_view kBlanks = " \t\v\f";
constexpr char kNewLine[] = "\r\n";

struct TLine {
  std::size_t FStart;         // where the line begins in the whole text
  std::string_view FContent;  // the line without its ending
  std::string_view FEnding;   // "\r\n", "\n", "\r", or empty on a last line without one

  std::size_t End() const { return FStart + FContent.size() + FEnding.size(); }
};

std::vector<TLine> SplitLines(std::string_view text) {
  std::vector<TLine> lines;
  std::size_t start = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  while (start < text.size()) {
    const std::size_t stop = std::min(text.find_first_of("\r\n", start), text.size());
    std::size_t next = stop;
    if (next < text.size()) next += text.substr(next).starts_with(kNewLine) ? 2 : 1;
    lines.push_back({start, text.substr(start, stop - start), text.substr(stop, next - stop)});
    start = next;
  }
  return lines;
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  // As the platform's reader: the name runs to the last ']'.
  const std::size_t close = line.rfind(']');
  if (!line.starts_with('[') || close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

struct TEntry {
  std::string_view FKey;
  std::string_view FValue;
};

// The key and value of a key line, or nothing for any other line. As the
// platform's reader has it, a line without '=' is a key without a value.
std::optional<TEntry> Entry(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.starts_with(';') || SectionName(line)) return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return TEntry{line, {}};
  return TEntry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// The first section of a name: its header line and the line after its last.
struct TSectionSpan {
  std::size_t FHeader;
  std::size_t FEnd;
};

std::optional<TSectionSpan> FindSection(const std::vector<TLine>& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::optional<std::string_view> found = SectionName(lines[i].FContent);
    if (!found || !SameName(*found, name)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].FContent)) ++end;
    return TSectionSpan{i, end};
  }
  return std::nullopt;
}

// The index of the key's first line in the section.
std::optional<std::size_t> FindKey(const std::vector<TLine>& lines, TSectionSpan section, std::string_view key) {
  for (std::size_t i = section.FHeader + 1; i < section.FEnd; ++i) {
    const std::optional<TEntry> entry = Entry(lines[i].FContent);
    if (entry && SameName(entry->FKey, key)) return i;
  }
  return std::nullopt;
}

// GetPrivateProfileString hands out the text between one pair of matching quotes.
std::string_view Unquoted(std::string_view value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

bool IsSurrogate(char32_t unit, char32_t first) { return unit >= first && unit < first + 0x400; }

void AppendUtf8(std::string& text, char32_t code) {
  auto byte = [](char32_t value) { return static_cast<char>(value); };
  if (code < 0x80) {
    text += byte(code);
  } else if (code < 0x800) {
    text += {byte(0xC0 | code >> 6), byte(0x80 | (code & 0x3F))};
  } else if (code < 0x10000) {
    text += {byte(0xE0 | code >> 12), byte(0x80 | (code >> 6 & 0x3F)), byte(0x80 | (code & 0x3F))};
  } else {
    text += {byte(0xF0 | code >> 18), byte(0x80 | (code >> 12 & 0x3F)), byte(0x80 | (code >> 6 & 0x3F)),
             byte(0x80 | (code & 0x3F))};
  }
}

// Code units as UTF-8; an unpaired surrogate as if it were a character, so
// that Utf16FromUtf8 gives it back. An odd last byte is left out.
std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string text;
  auto unit = [&](std::size_t i) -> char32_t {
    const auto low = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
    return low | static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]) << 8;
  };
  const std::size_t units = bytes.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t high = unit(i);
    if (IsSurrogate(high, 0xD800) && i + 1 < units && IsSurrogate(unit(i + 1), 0xDC00)) {
      AppendUtf8(text, 0x10000 + ((high - 0xD800) << 10) + (unit(++i) - 0xDC00));
    } else {
      AppendUtf8(text, high);
    }
  }
  return text;
}

// Text as Utf8FromUtf16 made it, with only ASCII written into it since, as
// code units again: the document never holds other bytes.
std::string Utf16FromUtf8(std::string_view text, bool bigEndian) {
  std::string bytes;
  auto append = [&](char32_t unit) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3F);
    if (code < 0x10000) {
      append(code);
    } else {
      append(0xD800 + ((code - 0x10000) >> 10));
      append(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
    i += length;
  }
  return bytes;
}

}  // namespace

TIniDocument::TIniDocument(std::string_view bytes)
    : FUtf16(bytes.starts_with(kUtf16LeByteOrderMark) || bytes.starts_with(kUtf16BeByteOrderMark)),
      FBigEndian(bytes.starts_with(kUtf16BeByteOrderMark)) {
  if (!FUtf16) {
    FText = bytes;
    return;
  }
  // The byte order mark becomes UTF-8's, which the lines are read past.
  FText = Utf8FromUtf16(bytes, FBigEndian);
  if (bytes.size() % 2 != 0) FOddByte = bytes.back();
}

std::string TIniDocument::Text() const { return FUtf16 ? Utf16FromUtf8(FText, FBigEndian) + FOddByte : FText; }

std::optional<std::string> TIniDocument::ReadString(std::string_view section, std::string_view key) const {
  const std::vector<TLine> lines = SplitLines(FText);
  const std::optional<TSectionSpan> span = FindSection(lines, section);
  if (!span) return std::nullopt;
  const std::optional<std::size_t> at = FindKey(lines, *span, key);
  if (!at) return std::nullopt;
  std::string_view value = Entry(lines[*at].FContent)->FValue;
  // The platform hands values out as C strings: a NUL byte ends one.
  value = value.substr(0, value.find('\0'));
  return std::string(Unquoted(value).substr(0, kMaxValueBytes));
}

void TIniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::vector<TLine> lines = SplitLines(FText);
  const std::optional<TSectionSpan> span = FindSection(lines, section);
  const std::string keyLine = std::string(key) + '=' + std::string(value);
  std::string added = keyLine + kNewLine;
  // What we add goes after this line: the end of the file for a new section;
  // for a new key, the section's last non-blank line, so that blank lines
  // before the next section stay after the key, as the platform's writer does.
  const TLine* previous = lines.empty() ? nullptr : &lines.back();
  if (span) {
    if (const std::optional<std::size_t> at = FindKey(lines, *span, key)) {
      FText.replace(lines[*at].FStart, lines[*at].FContent.size(), keyLine);
      return;
    }
    previous = &lines[span->FHeader];
    for (std::size_t i = span->FHeader + 1; i < span->FEnd; ++i) {
      if (!Trim(lines[i].FContent).empty()) previous = &lines[i];
    }
  } else {
    added.insert(0, '[' + std::string(section) + ']' + kNewLine);
  }
  if (previous && previous->FEnding.empty()) added.insert(0, kNewLine);
  FText.insert(previous ? previous->End() : FText.size(), added);
}

}  // namespace tovi
