#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovi {

// The bytes of an INI file, read as the Windows profile functions read them
// and changed so that every line we do not write stays as it was.
//
// A line ends at "\r\n", "\n" or a lone "\r". "[name]" opens a section; a line
// with '=' holds a key and its value; a line starting with ';' is a comment.
// Names match without regard to ASCII case, white space around names and
// values is ignored, and the first section and the first key of a name win.
// A UTF-8 byte order mark at the start is kept and otherwise ignored.
//
// A file that starts with a UTF-16 byte order mark, FF FE for little-endian
// (Notepad's "Unicode") or FE FF for big-endian ("Unicode big endian"), is read
// as UTF-16 of that byte order, its values handed out in UTF-8, and written
// back as it came. Nothing is lost on the way: an unpaired surrogate goes
// through as the three bytes UTF-8 would give its number, and an odd last byte
// stays the last byte of the file.
class TIniDocument {
 public:
  // The longest value the program reads: the platform fills a 2048-byte buffer.
  static constexpr std::size_t kMaxValueBytes = 2047;

  explicit TIniDocument(std::string_view bytes);

  // The file's bytes, in the encoding it came in.
  std::string Text() const;

  // The value as GetPrivateProfileString hands it out: trimmed, ended by a NUL
  // byte, one pair of matching quotes removed, cut to kMaxValueBytes. Nothing when the section
  // or the key is missing.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;

  // Rewrites the first line of the key in the first such section as
  // "key=value", keeping that line's ending; adds a missing key after the
  // section's last non-blank line and a missing section at the end of the
  // text. Lines we add end in "\r\n". Names and value must not hold a line
  // break, and the names no '=', ']' or surrounding white space.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::string FText;     // UTF-8 where the file is UTF-16
  bool FUtf16 = false;
  bool FBigEndian = false;
  std::string FOddByte;  // the last byte of a UTF-16 file of odd length
};

}  // namespace tovi
