// Any bytes as the radar's answer: the expected length and the reply parser
// must stay inside the bytes held and never store past a field.
#include <cstdint>
#include <vector>

#include "core/link/pulse_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes pick the parameter the request was for.
  const std::uint16_t asked = static_cast<std::uint16_t>(data[0] | data[1] << 8);
  const std::vector<std::uint8_t> reply(data + 2, data + size);
  static ostrel::PulseProtocol protocol;
  const std::size_t expected = ostrel::PulseProtocol::ExpectedLength(reply.data(), reply.size());
  // The parse may only look at the bytes held, whatever the length says.
  for (std::size_t held : {reply.size(), expected < reply.size() ? expected : reply.size()}) {
    protocol.ParseReply(reply.data(), held, asked);
  }
  const ostrel::PulseParameters& p = protocol.Parameters();
  if (p.ModelNumber.size() > 3 * ostrel::PulseParameters::kModelNumberSize ||
      p.EchoCurve.Count > ostrel::PulseCurve::kCapacity) {
    __builtin_trap();
  }
  return 0;
}
