#include "core/support/cstdio_file_ex.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "core/platform/atomic_file.h"
#include "core/support/text_codec.h"

namespace ostrel {

CStdioFileEx::~CStdioFileEx() {
  if (!tempPath_.empty()) {
    Abandon();
  } else {
    Close();
  }
}

CStdioFileEx::UnicodeCheck CStdioFileEx::CheckUnicode(const std::filesystem::path& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return UnicodeCheck::CannotOpen;
  unsigned char mark[2] = {0, 0};
  const std::size_t n = std::fread(mark, 1, 2, f);
  std::fclose(f);
  if (n == 0) return UnicodeCheck::CannotRead;
  return n == 2 && mark[0] == 0xFF && mark[1] == 0xFE ? UnicodeCheck::Unicode
                                                      : UnicodeCheck::Plain;
}

bool CStdioFileEx::IsFileUnicode(const std::filesystem::path& path) {
  return CheckUnicode(path) == UnicodeCheck::Unicode;
}

std::vector<Notice> CStdioFileEx::UnicodeCheckNotices(UnicodeCheck check) {
  switch (check) {
    case UnicodeCheck::CannotOpen:
      return {Notice::platformBox("Error:  Cannot open file for Unicode type check.", kStyleError)};
    case UnicodeCheck::CannotRead:
      return {Notice::platformBox("Error:  Cannot read file for Unicode type check.", kStyleError)};
    case UnicodeCheck::Unicode:
    case UnicodeCheck::Plain:
      break;
  }
  return {};
}

bool CStdioFileEx::ReadFailed() const { return file_ != nullptr && std::ferror(file_) != 0; }

bool CStdioFileEx::Open(const std::filesystem::path& path, unsigned flags) {
  Close();
  openFlags_ = flags;
  writeError_ = false;
  lastCheck_ = UnicodeCheck::Plain;
  const bool writing = (flags & (modeWrite | modeReadWrite | modeCreate)) != 0;
  if (flags & modeWriteUnicode) {
    flags = (flags & ~typeText) | typeBinary;
    isUnicode_ = true;
  } else {
    isUnicode_ = false;
  }
  if (!writing) {
    lastCheck_ = CheckUnicode(path);
    isUnicode_ = lastCheck_ == UnicodeCheck::Unicode;
    file_ = std::fopen(path.c_str(), "rb");
    return file_ != nullptr;
  }

  target_ = path;
  if (flags & modeAtomic) {
    std::filesystem::path temp;
    const int fd = createTempBeside(path, 0666, temp);
    if (fd < 0) return false;
    file_ = ::fdopen(fd, "w+b");
    if (file_ == nullptr) {
      ::close(fd);
      std::error_code ec;
      std::filesystem::remove(temp, ec);
      return false;
    }
    tempPath_ = temp;
    return true;
  }
  const char* mode = "wb";
  if ((flags & modeNoTruncate) || ((flags & modeReadWrite) && !(flags & modeCreate))) {
    file_ = std::fopen(path.c_str(), "r+b");
    if (file_ == nullptr && (flags & modeCreate)) file_ = std::fopen(path.c_str(), "w+b");
    if (file_ != nullptr) std::fseek(file_, 0, SEEK_END);
    return file_ != nullptr;
  }
  if (flags & modeReadWrite) mode = "w+b";
  file_ = std::fopen(path.c_str(), mode);
  return file_ != nullptr;
}

bool CStdioFileEx::OpenBytes(std::string bytes) {
  Close();
  openFlags_ = modeRead;
  writeError_ = false;
  memory_ = std::move(bytes);
  isUnicode_ = memory_.size() >= 2 && static_cast<unsigned char>(memory_[0]) == 0xFF &&
               static_cast<unsigned char>(memory_[1]) == 0xFE;
  // An empty buffer cannot back a memory stream; an empty temporary file reads the same.
  file_ = memory_.empty() ? std::tmpfile() : ::fmemopen(memory_.data(), memory_.size(), "rb");
  return file_ != nullptr;
}

bool CStdioFileEx::readRawLine8(std::string& bytes) {
  bytes.clear();
  int c = std::getc(file_);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    bytes.push_back(static_cast<char>(c));
    c = std::getc(file_);
  }
  return true;
}

bool CStdioFileEx::readRawLine16(std::u16string& units) {
  units.clear();
  const auto next = [&](char16_t& u) {
    const int lo = std::getc(file_);
    if (lo == EOF) return false;
    const int hi = std::getc(file_);
    if (hi == EOF) return false;  // a lone last byte is not a character
    u = static_cast<char16_t>(lo | (hi << 8));
    return true;
  };
  char16_t u = 0;
  if (!next(u)) return false;
  while (u != u'\n') {
    units.push_back(u);
    if (!next(u)) break;
  }
  return true;
}

bool CStdioFileEx::ReadString(std::string& line) {
  if (file_ == nullptr) return false;
  if (isUnicode_) {
    if (std::ftell(file_) == 0) {
      // Skip the byte-order mark.
      if (std::getc(file_) == EOF || std::getc(file_) == EOF) return false;
    }
    std::u16string units;
    if (!readRawLine16(units)) return false;
    while (!units.empty() && units.back() == u'\r') units.pop_back();
    line = utf16ToUtf8(units);
    return true;
  }
  std::string bytes;
  if (!readRawLine8(bytes)) return false;
  while (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  line = cp1252ToUtf8(bytes);
  return true;
}

void CStdioFileEx::WriteString(std::string_view text) {
  if (file_ == nullptr) return;
  std::string withCrLf;
  withCrLf.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') withCrLf.push_back('\r');
    withCrLf.push_back(c);
  }
  std::string bytes;
  if (isUnicode_) {
    if (std::ftell(file_) == 0) bytes.append("\xFF\xFE", 2);
    for (char16_t u : utf8ToUtf16(withCrLf)) {
      bytes.push_back(static_cast<char>(u & 0xFF));
      bytes.push_back(static_cast<char>(u >> 8));
    }
  } else {
    bytes = utf8ToCp1252(withCrLf);
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    writeError_ = true;
  }
}

bool CStdioFileEx::Close() {
  if (file_ == nullptr) return !writeError_;
  bool ok = std::fflush(file_) == 0 && !writeError_;
  if (!tempPath_.empty()) {
    ok = ok && ::fsync(::fileno(file_)) == 0;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok) {
      ok = commitTemp(tempPath_, target_);
    } else {
      std::error_code ec;
      std::filesystem::remove(tempPath_, ec);
    }
    tempPath_.clear();
    return ok;
  }
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  return ok;
}

void CStdioFileEx::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!tempPath_.empty()) {
    std::error_code ec;
    std::filesystem::remove(tempPath_, ec);
    tempPath_.clear();
  }
}

}  // namespace ostrel
