#include "cli/radar_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "cli/document.h"
#include "cli/unit_session.h"
#include "core/support/text_format.h"
#include "ostrelctl_usage.h"

namespace ostrel {
namespace {

// The whole usage, made from ostrelctl.usage.
constexpr const char* kRadarUsage = kOstrelctlUsage;

enum class Field { Text, Real, Raw4, Byte, Word };

struct Parameter {
  std::uint16_t number;
  Field field;
  std::uint8_t offset;  // what the unit adds to the value of this byte field
  const char* name;     // for the parameters without a name in the command table
};

constexpr Parameter kParameters[] = {{0x50, Field::Text, 0, nullptr},
                                     {0x51, Field::Text, 0, nullptr},
                                     {0x53, Field::Text, 0, nullptr},
                                     {0x111, Field::Real, 0, nullptr},
                                     {0x110, Field::Raw4, 0, "Parameter 0x110"},
                                     {0x113, Field::Real, 0, nullptr},
                                     {0x112, Field::Raw4, 0, "Parameter 0x112"},
                                     {0x800, Field::Real, 0, nullptr},
                                     {6, Field::Real, 0, nullptr},
                                     {0x21, Field::Byte, 0, nullptr},
                                     {0x20, Field::Byte, 0, nullptr},
                                     {0x22, Field::Byte, 0, nullptr},
                                     {1, Field::Byte, 0, nullptr},
                                     {5, Field::Byte, 0, nullptr},
                                     {4, Field::Byte, 0x51, nullptr},
                                     {0x10, Field::Byte, 1, "Parameter 0x10"},
                                     {0x12, Field::Byte, 1, "Parameter 0x12"},
                                     {0x13, Field::Byte, 1, "Parameter 0x13"},
                                     {2, Field::Byte, 0, nullptr},
                                     {0x500, Field::Byte, 0, nullptr},
                                     {0x501, Field::Byte, 0, nullptr},
                                     {0x502, Field::Byte, 0, nullptr},
                                     {0x505, Field::Byte, 0, nullptr},
                                     {0x506, Field::Byte, 0, nullptr},
                                     {0x507, Field::Byte, 0, nullptr},
                                     {0x503, Field::Byte, 0, nullptr},
                                     {0x504, Field::Byte, 0, nullptr},
                                     {9, Field::Word, 0, nullptr},
                                     {0x510, Field::Word, 0, nullptr}};

std::string nameOf(const Parameter& p) {
  return p.name != nullptr ? std::string(p.name) : PulseProtocol::CommandName(p.number);
}

// Names compare without case, blanks, hyphens and underscores.
std::string squeeze(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return out;
}

const Parameter* findParameter(const std::string& text) {
  char* end = nullptr;
  const unsigned long number = std::strtoul(text.c_str(), &end, 0);
  const bool numeric = !text.empty() && *end == '\0';
  for (const Parameter& p : kParameters) {
    if (numeric ? p.number == number : squeeze(nameOf(p)) == squeeze(text)) return &p;
  }
  return nullptr;
}

Node valueNode(const PulseParameters& v, const Parameter& p) {
  switch (p.number) {
    case 0x50: return str(v.ModelNumber);
    case 0x51: return str(v.SerialNumber);
    case 0x53: return str(v.FirmwareVersion);
    case 0x111: return realSingle(v.SensorHeight);
    case 0x113: return realSingle(v.FillHeight);
    case 0x800: return realSingle(v.Deadband);
    case 6: return realSingle(v.MaxRange);
    case 0x110: return str(hexBytes(v.Parameter110.data(), 4));
    case 0x112: return str(hexBytes(v.Parameter112.data(), 4));
    case 0x21: return num(v.LoopFailSafe);
    case 0x20: return num(v.OutputAtEmpty);
    case 0x22: return num(v.MinimumCurrent);
    case 1: return num(v.Display);
    case 5: return num(v.UnitsOfMeasurement);
    case 4: return num(v.SensorType);
    case 0x10: return num(v.Parameter10);
    case 0x12: return num(v.Parameter12);
    case 0x13: return num(v.Parameter13);
    case 2: return num(v.TypeOfMedium);
    case 0x500: return num(v.FastLevelChange);
    case 0x501: return num(v.Agitation);
    case 0x502: return num(v.Foam);
    case 0x505: return num(v.FirstEcho);
    case 0x506: return num(v.PowderDust);
    case 0x507: return num(v.LargeResponseAngle);
    case 0x503: return num(v.LowDielectric);
    case 0x504: return num(v.StillWell);
    case 9: return num(v.DampingTime);
    case 0x510: return num(v.PipeDiameter);
    default: return Node{};
  }
}

// The bytes a value is written as, or an error text.
std::optional<std::string> encode(const Parameter& p, const std::string& text, PulseCfgItem& item) {
  char* end = nullptr;
  switch (p.field) {
    case Field::Text: return nameOf(p) + " cannot be written";
    case Field::Real: {
      const double v = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !std::isfinite(v))
        return "'" + text + "' is not a number";
      item = PulseCfgItem::real(static_cast<float>(v));
      return std::nullopt;
    }
    case Field::Raw4: {
      if (text.size() != 8) return nameOf(p) + " takes 8 hex digits (its 4 bytes)";
      item = {};
      for (int i = 0; i < 4; ++i) {
        const std::string pair = text.substr(static_cast<std::size_t>(i) * 2, 2);
        const unsigned long b = std::strtoul(pair.c_str(), &end, 16);
        if (*end != '\0') return "'" + text + "' is not 8 hex digits";
        item.Value[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(b);
      }
      item.Count = 4;
      return std::nullopt;
    }
    case Field::Byte:
    case Field::Word: {
      const long v = std::strtol(text.c_str(), &end, 0);
      const long max = p.field == Field::Byte ? 255 - p.offset : 65535;
      if (text.empty() || *end != '\0' || v < 0 || v > max) {
        return "'" + text + "' is not a whole number from 0 to " + std::to_string(max);
      }
      item = p.field == Field::Byte ? PulseCfgItem::byte(static_cast<std::uint8_t>(v + p.offset))
                                    : PulseCfgItem::word(static_cast<std::uint16_t>(v));
      return std::nullopt;
    }
  }
  return "unknown field";
}

Node parameterNode(const PulseParameters& values, const Parameter& p) {
  Node n = Node::object();
  n.add("number", num(p.number));
  n.add("name", str(nameOf(p)));
  n.add("value", valueNode(values, p));
  return n;
}

int getOrSet(Session& s, const std::vector<std::string>& items, bool set, bool json,
             std::ostream& out, std::ostream& err) {
  PulseCfgSet request;
  std::vector<const Parameter*> shown;
  for (const std::string& item : items) {
    const std::size_t eq = item.find('=');
    if (set && eq == std::string::npos) {
      err << "ostrelctl: '" << item << "' is not PARAM=VALUE\n" << kRadarUsage;
      return 2;
    }
    const Parameter* p = findParameter(set ? item.substr(0, eq) : item);
    if (p == nullptr) {
      err << "ostrelctl: unknown radar parameter '" << (set ? item.substr(0, eq) : item) << "'\n";
      return 2;
    }
    PulseCfgItem value;
    if (set) {
      if (const auto error = encode(*p, item.substr(eq + 1), value)) {
        err << "ostrelctl: " << *error << '\n';
        return 2;
      }
    }
    request[p->number] = value;
    shown.push_back(p);
  }
  if (openRadar(s, err) != 0) return 1;
  const int r = s.pulse.ExchangeSet(*s.link, request, nullptr, nullptr);
  if (r != 0) {
    err << "ostrelctl: " << radarFailure(s, r) << '\n';
    return 1;
  }
  // A write shows what was written; a read what the unit holds.
  PulseParameters values = s.pulse.Parameters();
  if (set) {
    for (const auto& [number, item] : request) values.store(number, item.Value.data(), item.Count);
  }
  Node doc = Node::object();
  Node& list = doc.add("parameters", Node::array());
  for (const Parameter* p : shown) list.push(parameterNode(values, *p));
  if (json) {
    writeDocument(out, doc, true);
  } else {
    for (const Parameter* p : shown) {
      Node one = Node::object();
      one.add(nameOf(*p), valueNode(values, *p));
      writeDocument(out, one, false);
    }
  }
  return 0;
}

int curve(Session& s, const std::vector<std::string>& args, bool json, std::ostream& out,
          std::ostream& err) {
  std::string which;
  std::string file;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--json") continue;
    if (args[i] == "--out" && i + 1 < args.size()) {
      file = args[++i];
    } else if (which.empty()) {
      which = args[i];
    } else {
      which.clear();
      break;
    }
  }
  const std::uint16_t number = which == "echo"         ? 0x991
                               : which == "false-echo" ? 0x992
                               : which == "envelope"   ? 0x993
                                                       : 0;
  if (number == 0) {
    err << kRadarUsage;
    return 2;
  }
  if (openRadar(s, err) != 0) return 1;
  const int r = s.pulse.ReadCurve(*s.link, number);
  if (r != 0) {
    err << "ostrelctl: " << radarFailure(s, r) << '\n';
    return 1;
  }
  const PulseCurve& c = *s.pulse.Parameters().curve(number);
  if (!file.empty())
    return saveBytes(file, c.Bytes.data(), static_cast<std::size_t>(c.Count), err) ? 0 : 1;

  // The block: expected echo index, echo and level distances, then samples
  // of 12-bit amplitude and a 4-bit step to the next index.
  const auto u16 = [&c](int at) {
    return at + 1 < c.Count ? c.Bytes[at] | c.Bytes[at + 1] << 8 : 0;
  };
  const auto f32 = [&c](int at) {
    float v = 0;
    if (at + 3 < c.Count) std::memcpy(&v, c.Bytes.data() + at, 4);
    return v;
  };
  Node doc = Node::object();
  doc.add("curve", str(PulseProtocol::CommandName(number)));
  doc.add("bytes", num(c.Count));
  doc.add("expected_echo_index", num(u16(6)));
  doc.add("echo_distance_m", realSingle(f32(8)));
  doc.add("level_distance_m", realSingle(f32(12)));
  Node samples = Node::array();
  int x = 0;
  int peak = 0;
  int peakIndex = 0;
  for (int at = 17; at < c.Count - 1; at += 2) {
    const int w = u16(at);
    const int amplitude = w & 0x0FFF;
    if (amplitude > peak) {
      peak = amplitude;
      peakIndex = x;
    }
    Node sample = Node::array();
    sample.push(num(x));
    sample.push(num(amplitude));
    samples.push(std::move(sample));
    x += w >> 12;
  }
  doc.add("samples_count", num(static_cast<long long>(samples.values.size())));
  doc.add("peak_index", num(peakIndex));
  doc.add("peak_amplitude", num(peak));
  if (json) doc.add("samples", std::move(samples));
  writeDocument(out, doc, json);
  return 0;
}

}  // namespace

std::string radarFailure(Session& s, int result) {
  const std::string format = s.texts.text("ERROR_MESSAGE132", "%s (%s)");
  return formatText(format, {PulseProtocol::ErrorName(result),
                             PulseProtocol::CommandName(s.pulse.LastFailingParameter())}) +
         " (result " + std::to_string(result) + ")";
}

int openRadar(Session& s, std::ostream& err) {
  if (connect(s, err) != 0) return 1;
  if (!s.pulse.DetectPulse(*s.link)) {
    err << "ostrelctl: the unit is not a pulse radar\n";
    return 1;
  }
  const int r = s.pulse.ReadUniqueIdentifier(*s.link);
  if (r != 0) {
    err << "ostrelctl: " << radarFailure(s, r) << '\n';
    return 1;
  }
  return 0;
}

int runRadarCommand(Session& s, const std::vector<std::string>& args, bool json, std::ostream& out,
                    std::ostream& err) {
  std::vector<std::string> items;
  bool asJson = json;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--json") {
      asJson = true;
    } else {
      items.push_back(args[i]);
    }
  }
  const std::string verb = args.size() > 1 ? args[1] : std::string();
  if ((verb == "get" || verb == "set") && !items.empty()) {
    return getOrSet(s, items, verb == "set", asJson, out, err);
  }
  if (verb == "curve") return curve(s, args, asJson, out, err);
  err << kRadarUsage;
  return 2;
}

}  // namespace ostrel
