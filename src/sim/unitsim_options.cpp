#include "sim/unitsim_options.h"

namespace ostrel::sim {

std::optional<UnitsimOptions> UnitsimOptions::parse(const std::vector<std::string>& args,
                                                    std::string* error) {
  UnitsimOptions o;
  const auto fail = [&](std::string text) -> std::optional<UnitsimOptions> {
    if (error) *error = std::move(text);
    return std::nullopt;
  };
  // Which form a fault takes depends on the kind, which may come later.
  std::vector<std::string> faultTexts;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const bool takesValue = name == "--kind" || name == "--image" || name == "--dump" ||
                            name == "--fault" || name == "--level-profile";
    if (takesValue && !value) {
      if (i + 1 >= args.size()) return fail(name + " needs a value");
      value = args[++i];
    }
    if (!takesValue && value) return fail(name + " takes no value");

    if (name == "--kind") {
      const auto kind = unitKindFromName(*value);
      if (!kind) return fail("unknown unit kind '" + *value + "'");
      o.kind = *kind;
    } else if (name == "--image") {
      o.image = *value;
    } else if (name == "--dump") {
      o.dump = *value;
    } else if (name == "--fault") {
      faultTexts.push_back(*value);
    } else if (name == "--level-profile") {
      std::string why;
      const auto profile = LevelProfile::parse(*value, &why);
      if (!profile) return fail(why);
      o.level = *profile;
    } else if (name == "--invert-demo") {
      o.invertDemo = true;
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

  const bool pulse = o.kind == UnitKind::PulseRadar;
  for (const std::string& text : faultTexts) {
    std::string why;
    const std::string_view whole = text;
    std::string_view kindName = whole.substr(whole.rfind(':') + 1);
    kindName = kindName.substr(0, kindName.find('='));
    if (pulse && PulseFault::isKindName(kindName)) {
      const auto fault = PulseFault::parse(text, &why);
      if (!fault) return fail(why);
      o.pulseFaults.push_back(*fault);
    } else {
      const auto fault = Fault::parse(text, &why);
      if (!fault) return fail(why);
      o.faults.push_back(*fault);
    }
  }
  if (pulse && o.invertDemo) return fail("--invert-demo applies to memory-page units");
  if (pulse && (o.image || o.dump)) {
    return fail("--image and --dump apply to memory-page units, not to pulse-radar");
  }
  return o;
}

std::string UnitsimOptions::usage() {
  return R"(Usage: ostrel-unitsim [options]
Serves a simulated unit on a pseudo-terminal. The first line of output is
the path of the terminal to open as the cable's serial port.

  --kind K        ultrasonic (default), guided-wave, u-type or pulse-radar
  --image DIR     load memories from DIR: customer.bin factory.bin history.bin
                  ocm.bin model.bin (512 bytes each), info.bin (128),
                  echo.bin scan.bin (2048); missing files keep the built-in ones
                  (memory-page units only)
  --dump DIR      write the same files to DIR when stopping (memory-page units only)
  --fault FAULT   inject a fault, CMD:WHEN:KIND[=VALUE] (repeatable)
                    CMD   command byte, e.g. 0x31
                    WHEN  n (the n-th arrival of that command) or * (every one)
                    KIND  silence | wrong-ack-check | wrong-data-check |
                          refuse=STATUS | no-ready | wrong-ready |
                          drop-byte[=INDEX] | slow=MS | power-lost[=MS]
                  e.g. --fault 0x31:3:wrong-data-check --fault 0x52:*:refuse=7
                  --fault 0x24:40:power-lost (deaf for 5 s from the 40th
                  program-data frame on) --fault 0x40:*:refuse=2 (64-byte
                  program packets only)
                  pulse-radar: these strike its unit frames (0x10, 0x40, 0x52);
                  its HART replies take PARAM:WHEN:KIND[=VALUE]
                    PARAM parameter number, e.g. 0x111; 0 for HART command 0
                    WHEN  n (the n-th request for it) or * (every one)
                    KIND  no-reply | hart-xor | message-sum | message-length |
                          header-fe | header-address | header-marker |
                          unknown-type | late=MS
                  e.g. --fault 0x111:1:hart-xor --fault 0:*:no-reply
  --level-profile moving:SECONDS | fixed:PERCENT
                  the level rises from 40 % to 85 % of the fill height and falls
                  back once every SECONDS (default 180), or stays at PERCENT
  --invert-demo   stream table counts and state bits (models marked INVERTDEMO)
                  instead of the distance (memory-page units only)
  --pace          bytes take their wire time at the line's baud rate
  --only-1200     the unit starts at 1200 baud until told otherwise (0x52)
  --help          this text

SIGTERM or SIGINT stops the unit (after --dump).
)";
}

}  // namespace ostrel::sim
