#pragma once
// Writing a whole file so that an interruption never leaves half of it: the
// bytes go to a temporary file beside the target, are flushed to disk, and
// the temporary file is renamed over the target.

#include <filesystem>
#include <string_view>

namespace ostrel {

// Creates the temporary file beside the target and returns its descriptor
// (-1 on failure). It carries the target's permissions when the target
// exists, else newFileMode less the umask.
int createTempBeside(const std::filesystem::path& target, unsigned newFileMode,
                     std::filesystem::path& tempPath);

// Renames the finished temporary file over the target; removes it on failure.
bool commitTemp(const std::filesystem::path& tempPath, const std::filesystem::path& target);

// A rewritten file keeps its permissions; a new one gets newFileMode less the umask.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned newFileMode = 0666);

}  // namespace ostrel
