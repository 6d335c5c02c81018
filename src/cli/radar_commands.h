#pragma once
// "ostrelctl radar ...": reading and writing a pulse-radar unit's parameters
// and reading its curves.

#include <ostream>
#include <string>
#include <vector>

namespace ostrel {

struct Session;

// args[0] is "radar". 0 on success, 1 on failure, 2 on a usage error.
int runRadarCommand(Session& session, const std::vector<std::string>& args, bool json,
                    std::ostream& out, std::ostream& err);

// Connects, checks for a pulse radar and reads its unique identifier. 0 when
// the radar is ready for parameter exchanges; else the message is on err.
int openRadar(Session& session, std::ostream& err);

// The ERROR_MESSAGE132 text for a failed radar exchange.
std::string radarFailure(Session& session, int result);

}  // namespace ostrel
