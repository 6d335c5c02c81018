#pragma once
// Opens a document with the desktop's default application, the way the
// tool opens its guide, help pages and driver notes.

#include <filesystem>

namespace ostrel {

// False when the file is missing or no application took it. Unattended
// runs open nothing: they report the file on stderr and check only that it
// exists.
bool openDocument(const std::filesystem::path& file, bool unattended);

}  // namespace ostrel
