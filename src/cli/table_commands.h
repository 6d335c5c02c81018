#pragma once
// "ostrelctl table tank|flow|strap": the unit's level-to-value table of a
// tank shape, a weir or flume, or a strapping list, computed offline from a
// JSON description, with the 512-byte table page it would write.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace ostrel {

// args[0] is "table". in serves "--json-in -". 0 when the table was built;
// 1 when it could not be (the result is still printed, with its code); 2 on
// bad usage or bad input, with the reason on err and nothing on out.
int runTableCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err);

}  // namespace ostrel
