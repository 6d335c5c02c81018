#include "sim/unitsim_options.h"

#include "ostrel-unitsim_usage.h"

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
    } else if (name == "--version") {
      o.version = true;
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

std::string UnitsimOptions::usage() { return kUnitsimUsage; }

std::string UnitsimOptions::versionText() {
  return std::string("ostrel-unitsim ") + kUnitsimUsageVersion + "\n";
}

}  // namespace ostrel::sim
