#pragma once
// "ostrelctl model ...": converting model files between the plain and the
// enciphered form, and showing what a model file defines.

#include <ostream>
#include <string>
#include <vector>

namespace ostrel {

// args[0] is "model". 0 on success, 2 on a usage error (with the usage text
// on err), 1 on failure (with a message on err).
int runModelCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ostrel
