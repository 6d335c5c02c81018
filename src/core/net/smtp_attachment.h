#pragma once
// A file attached to a message: its name and its bytes in base64 lines.

#include <filesystem>
#include <string>

namespace ostrel {

struct CSMTPAttachment {
  std::string Title;        // the file's name and extension, no folder
  std::string EncodedData;  // base64, CR LF after every 76 characters and at the end

  // Reads the whole file; false when it cannot be read.
  bool Attach(const std::filesystem::path& path);
};

}  // namespace ostrel
