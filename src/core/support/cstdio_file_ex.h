#pragma once
// Line-oriented text file that reads UTF-16LE files (with the mark FF FE) and
// 8-bit Windows-1252 files alike, and writes either form. Lines cross this
// interface as UTF-8.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/support/notice.h"

namespace ostrel {

class CStdioFileEx {
 public:
  // Open flags. The low bits follow the classic buffered-file flags; the last
  // two are this class's own.
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyWrite = 0x0020,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
    // Write UTF-16LE with the byte-order mark, LF written as CR LF.
    modeWriteUnicode = 0x20000,
    // Write into a temporary file beside the target and rename it into place
    // on Close(), so that an interrupted write never leaves half a file.
    modeAtomic = 0x40000,
  };

  // What the check for the byte-order mark found.
  enum class UnicodeCheck {
    Unicode,     // starts with FF FE
    Plain,       // 8-bit text
    CannotOpen,  // the file could not be opened
    CannotRead,  // not even one byte could be read (an empty file)
  };

  CStdioFileEx() = default;
  ~CStdioFileEx();
  CStdioFileEx(const CStdioFileEx&) = delete;
  CStdioFileEx& operator=(const CStdioFileEx&) = delete;

  bool Open(const std::filesystem::path& path, unsigned flags);

  // Reads text held in memory (a deciphered file, say) exactly as Open
  // would read the same bytes from disk.
  bool OpenBytes(std::string bytes);

  // Reads the next line without its line end. False when no file is open or
  // at the end of the file.
  bool ReadString(std::string& line);

  // Writes UTF-8 text in the file's form (UTF-16LE or Windows-1252), with
  // every LF written as CR LF.
  void WriteString(std::string_view text);

  // Closes the file. For an atomic write this commits it; the result is false
  // when anything written could not be stored (the target is then untouched).
  bool Close();

  // Drops an atomic write without touching the target.
  void Abandon();

  bool IsOpen() const { return file_ != nullptr; }
  // True when reading stopped on an error rather than at the end of the file.
  bool ReadFailed() const;
  bool IsUnicode() const { return isUnicode_; }
  unsigned Flags() const { return openFlags_; }

  // True when the file starts with FF FE.
  static bool IsFileUnicode(const std::filesystem::path& path);
  static UnicodeCheck CheckUnicode(const std::filesystem::path& path);
  // What the last Open for reading found when it checked the mark.
  UnicodeCheck LastUnicodeCheck() const { return lastCheck_; }
  // The platform box a failed check asks for ("Error:  Cannot open file for
  // Unicode type check." and its read twin); empty when the check passed.
  static std::vector<Notice> UnicodeCheckNotices(UnicodeCheck check);

 private:
  bool readRawLine8(std::string& bytes);
  bool readRawLine16(std::u16string& units);

  std::FILE* file_ = nullptr;
  bool isUnicode_ = false;
  bool writeError_ = false;
  UnicodeCheck lastCheck_ = UnicodeCheck::Plain;
  unsigned openFlags_ = 0;
  std::filesystem::path target_;
  std::filesystem::path tempPath_;
  std::string memory_;
};

}  // namespace ostrel
