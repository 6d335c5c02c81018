#pragma once
// Writing a whole file so that an interruption never leaves half of it: the
// bytes go to a temporary file beside the target, are flushed to disk, and
// the temporary file is renamed over the target.

#include <filesystem>
#include <string_view>

namespace ostrel {

// A rewritten file keeps its permissions; a new one gets newFileMode less the umask.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         unsigned newFileMode = 0666);

}  // namespace ostrel
