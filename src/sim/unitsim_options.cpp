#include "sim/unitsim_options.h"

namespace ostrel::sim {

std::optional<UnitsimOptions> UnitsimOptions::parse(const std::vector<std::string>& args,
                                                    std::string* error) {
  UnitsimOptions o;
  const auto fail = [&](std::string text) -> std::optional<UnitsimOptions> {
    if (error) *error = std::move(text);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const bool takesValue = name == "--kind" || name == "--image" || name == "--dump" ||
                            name == "--fault";
    if (takesValue && !value) {
      if (i + 1 >= args.size()) return fail(name + " needs a value");
      value = args[++i];
    }
    if (!takesValue && value) return fail(name + " takes no value");

    if (name == "--kind") {
      const auto kind = pageUnitKindFromName(*value);
      if (!kind) return fail("unknown unit kind '" + *value + "'");
      o.kind = *kind;
    } else if (name == "--image") {
      o.image = *value;
    } else if (name == "--dump") {
      o.dump = *value;
    } else if (name == "--fault") {
      std::string why;
      const auto fault = Fault::parse(*value, &why);
      if (!fault) return fail(why);
      o.faults.push_back(*fault);
    } else if (name == "--pace") {
      o.pace = true;
    } else if (name == "--only-1200") {
      o.only1200 = true;
    } else if (name == "--help" || name == "-h") {
      o.help = true;
    } else {
      return fail("unknown option '" + name + "'");
    }
  }
  return o;
}

std::string UnitsimOptions::usage() {
  return R"(Usage: ostrel-unitsim [options]
Serves a simulated memory-page unit on a pseudo-terminal. The first line of
output is the path of the terminal to open as the cable's serial port.

  --kind K        ultrasonic (default), guided-wave or u-type
  --image DIR     load memories from DIR: customer.bin factory.bin history.bin
                  ocm.bin model.bin (512 bytes each), info.bin (128),
                  echo.bin scan.bin (2048); missing files keep the built-in ones
  --dump DIR      write the same files to DIR when stopping
  --fault FAULT   inject a fault, CMD:WHEN:KIND[=VALUE] (repeatable)
                    CMD   command byte, e.g. 0x31
                    WHEN  n (the n-th arrival of that command) or * (every one)
                    KIND  silence | wrong-ack-check | wrong-data-check |
                          refuse=STATUS | no-ready | wrong-ready |
                          drop-byte[=INDEX] | slow=MS
                  e.g. --fault 0x31:3:wrong-data-check --fault 0x52:*:refuse=7
  --pace          bytes take their wire time at the line's baud rate
  --only-1200     the unit starts at 1200 baud until told otherwise (0x52)
  --help          this text

SIGTERM or SIGINT stops the unit (after --dump).
)";
}

}  // namespace ostrel::sim
