#include "core/link/pulse_protocol.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "core/link/unit_link.h"
#include "core/platform/clock.h"
#include "core/support/presenter.h"

namespace ostrel {
namespace {

constexpr std::uint8_t kTunnel = 0x60;
constexpr std::uint8_t kIdentify = 0x40;
constexpr std::uint8_t kShortDelimiter = 0x02;
constexpr std::uint8_t kLongDelimiter = 0xA2;  // long frame, one expansion byte
constexpr std::uint8_t kCommandZero = 0;
constexpr std::uint8_t kCommandParameter = 128;
constexpr std::uint8_t kMessageStart = 0xFE;
constexpr int kPreambles = 5;

bool isCurve(int parameter) { return parameter >= 0x991 && parameter <= 0x993; }

// Where a reply's delimiter stands: the first i >= 1 with bytes i-1 and i
// 0xFF and a following byte that is not 0xFF and has bits 1 and 2 set.
std::size_t findDelimiter(const std::uint8_t* b, std::size_t held) {
  for (std::size_t i = 1; i + 1 < held; ++i) {
    if (b[i - 1] == 0xFF && b[i] == 0xFF && b[i + 1] != 0xFF && (b[i + 1] & 0x06) == 0x06) {
      return i + 1;
    }
  }
  return 0;
}

// Position of the byte-count field after the delimiter at d.
std::size_t countPosition(const std::uint8_t* b, std::size_t d) {
  const std::uint8_t delimiter = b[d];
  const std::size_t address = (delimiter & 0x80) ? 5 : 1;
  const std::size_t expansion = (delimiter >> 5) & 0x03;
  return d + address + expansion + 2;
}

std::uint8_t sum(const std::uint8_t* b, std::size_t count) {
  unsigned s = 0;
  for (std::size_t i = 0; i < count; ++i) s += b[i];
  return static_cast<std::uint8_t>(s);
}

const std::map<int, const char*>& commandNames() {
  static const std::map<int, const char*> names = {{0, "Command Zero"},
                                                   {1, "Display"},
                                                   {2, "Type of Medium"},
                                                   {4, "Sensor Type"},
                                                   {5, "Units of Measurement"},
                                                   {6, "Max Range"},
                                                   {9, "Damping Time"},
                                                   {0x20, "Output at Empty"},
                                                   {0x21, "Loop Fail-Safe"},
                                                   {0x22, "Minimum Current"},
                                                   {0x50, "Model Number"},
                                                   {0x51, "Serial Number"},
                                                   {0x53, "Firmware Version"},
                                                   {0x111, "Sensor Height"},
                                                   {0x113, "Fill Height"},
                                                   {0x500, "Fast Level Change"},
                                                   {0x501, "Agitation"},
                                                   {0x502, "Foam"},
                                                   {0x503, "Low Dielectric"},
                                                   {0x504, "Still Well"},
                                                   {0x505, "First Echo"},
                                                   {0x506, "Powder Dust"},
                                                   {0x507, "Large Response Angle"},
                                                   {0x510, "Pipe Diameter"},
                                                   {0x800, "Deadband"},
                                                   {0x991, "Echo Curve"},
                                                   {0x992, "False Echo Curve"},
                                                   {0x993, "Envelop"}};
  return names;
}

}  // namespace

PulseProtocol::PulseProtocol() { receive_.reserve(kBufferSize); }

std::string PulseProtocol::ErrorName(int key) {
  switch (key) {
    case kTimeout: return "Timeout";
    case kUnknownCommand: return "Unknown command";
    case kInvalidValue: return "Invalid value";
    case kChecksum: return "Checksum";
    case kBadFormat: return "Bad message format";
    case kUnknownResponse: return "Unknown respone type";
    case kZeroSumCheck: return "Zero sum check";
    default: return {};
  }
}

std::string PulseProtocol::CommandName(int parameter) {
  const auto& names = commandNames();
  const auto it = names.find(parameter);
  return it == names.end() ? std::string() : std::string(it->second);
}

// ---------------------------------------------------------------------------
// Messages

std::vector<std::uint8_t> PulseProtocol::ParameterMessage(std::uint16_t parameter,
                                                          const std::uint8_t* value,
                                                          std::uint8_t count) {
  const std::size_t length = 10u + count;
  std::vector<std::uint8_t> m;
  m.reserve(length);
  m.push_back(kMessageStart);
  m.push_back(count > 0 ? 'S' : 'G');
  m.push_back(static_cast<std::uint8_t>(length & 0xFF));
  m.push_back(static_cast<std::uint8_t>(length >> 8));
  m.push_back(0);  // polling address
  m.push_back(sum(m.data(), 5));
  m.push_back(0);  // request
  m.push_back(static_cast<std::uint8_t>(parameter & 0xFF));
  m.push_back(static_cast<std::uint8_t>(parameter >> 8));
  m.insert(m.end(), value, value + count);
  m.push_back(sum(m.data(), m.size()));
  return m;
}

std::vector<std::uint8_t> PulseProtocol::TunnelFrame(const std::vector<std::uint8_t>& hart) {
  const std::size_t n = hart.size() + 2;
  std::vector<std::uint8_t> f{0xA5, static_cast<std::uint8_t>(n & 0xFF), kTunnel,
                              static_cast<std::uint8_t>(n >> 8)};
  f.insert(f.end(), hart.begin(), hart.end());
  f.push_back(sum(f.data(), f.size()));
  return f;
}

std::vector<std::uint8_t> PulseProtocol::CommandZeroRequest() const {
  std::vector<std::uint8_t> h(kPreambles, 0xFF);
  h.push_back(kShortDelimiter);
  h.push_back(static_cast<std::uint8_t>(pollingAddress_ | 0x80));
  h.push_back(kCommandZero);
  h.push_back(0);  // no data
  std::uint8_t x = 0;
  for (std::size_t i = kPreambles; i < h.size(); ++i) x ^= h[i];
  h.push_back(x);
  return h;
}

std::vector<std::uint8_t> PulseProtocol::CommandRequest(
    const std::vector<std::uint8_t>& message) const {
  std::vector<std::uint8_t> h(kPreambles, 0xFF);
  h.push_back(kLongDelimiter);
  const auto& address = longAddress_[static_cast<std::size_t>(pollingAddress_)];
  h.insert(h.end(), address.begin(), address.end());
  h.push_back(static_cast<std::uint8_t>(message.size() >> 8));  // expansion: high byte of M
  h.push_back(kCommandParameter);
  h.push_back(static_cast<std::uint8_t>(message.size() & 0xFF));
  h.insert(h.end(), message.begin(), message.end());
  std::uint8_t x = 0;
  for (std::size_t i = kPreambles; i < h.size(); ++i) x ^= h[i];
  h.push_back(x);
  return h;
}

// ---------------------------------------------------------------------------
// Operations

bool PulseProtocol::DetectPulse(UnitLink& link) {
  link.Command(kIdentify, {0x00});
  std::uint8_t buffer[100] = {};
  const int n = link.ReadFrame(buffer, 100);
  // Only the bytes received count, up to the first zero.
  std::string text;
  for (int i = 0; i < n && buffer[i] != 0; ++i) {
    text.push_back(static_cast<char>(std::toupper(buffer[i])));
  }
  isPulse_ = text.find("PULSE") != std::string::npos;
  return isPulse_;
}

int PulseProtocol::ReadUniqueIdentifier(UnitLink& link) {
  pollingAddress_ = 0;
  return transaction(link, 0, CommandZeroRequest());
}

int PulseProtocol::Exchange(UnitLink& link, std::uint16_t parameter, const std::uint8_t* value,
                            std::uint8_t count) {
  const int r =
      transaction(link, parameter, CommandRequest(ParameterMessage(parameter, value, count)));
  if (r != 0) lastFailing_ = parameter;
  return r;
}

int PulseProtocol::transaction(UnitLink& link, std::uint16_t parameter,
                               const std::vector<std::uint8_t>& hart) {
  const std::vector<std::uint8_t> frame = TunnelFrame(hart);
  sleepMs(20);
  link.DiscardInput();
  if (link.WriteBytes(frame.data(), static_cast<int>(frame.size())) != 0) {
    lastFailing_ = parameter;
    return kTimeout;
  }
  receive_.clear();  // every transaction starts with an empty buffer
  const std::uint64_t start = tickCount();
  while (tickCount() - start < static_cast<std::uint64_t>(kReplyWaitMs)) {
    std::uint32_t queued = 0;
    std::uint32_t status = 0;
    if (link.CheckQueue(queued, status) == kCableSuccess && status == kRxReady && queued > 0) {
      // Only into free space: a unit that streams on cannot overrun the buffer.
      const std::size_t room = kBufferSize - receive_.size();
      const std::uint32_t want = static_cast<std::uint32_t>(std::min<std::size_t>(queued, room));
      if (want > 0) {
        const std::size_t held = receive_.size();
        receive_.resize(held + want);
        std::uint32_t got = 0;
        const int r = link.ReadBytes(receive_.data() + held, want, got);
        receive_.resize(held + got);
        if (r != kCableSuccess && r != kCableReadTimedOut) return kReadFailed;
      }
    }
    for (;;) {
      const std::size_t expected = ExpectedLength(receive_.data(), receive_.size());
      if (expected == 0 || receive_.size() < expected) break;
      const int r = ParseReply(receive_.data(), receive_.size(), parameter);
      if (r != kStaleReply) return r;
      // A late answer to an earlier request: drop it and wait for ours.
      receive_.erase(receive_.begin(), receive_.begin() + static_cast<std::ptrdiff_t>(expected));
    }
    if (receive_.size() >= kBufferSize) {
      lastFailing_ = parameter;
      return kTimeout;  // full, and still no reply in it
    }
    link.WaitForData(std::chrono::milliseconds(40));
  }
  lastFailing_ = parameter;
  return kTimeout;
}

std::size_t PulseProtocol::ExpectedLength(const std::uint8_t* b, std::size_t held) {
  const std::size_t d = findDelimiter(b, held);
  if (d == 0) return 0;
  const std::size_t c = countPosition(b, d);
  if (held < c + 1) return 0;
  const bool expansion = ((b[d] >> 5) & 0x03) != 0;
  const std::size_t count = expansion ? (static_cast<std::size_t>(b[c - 2]) << 8 | b[c]) : b[c];
  return c + count + 2;
}

int PulseProtocol::ParseReply(const std::uint8_t* b, std::size_t held, std::uint16_t asked) {
  const std::size_t d = findDelimiter(b, held);
  if (d == 0) return kTimeout;
  const std::size_t c = countPosition(b, d);
  const std::size_t afterAddress = d + ((b[d] & 0x80) ? 5 : 1) + 1;
  if (held < c + 1 || afterAddress >= held) return kTimeout;
  const std::size_t count = static_cast<std::size_t>(b[afterAddress]) * 256 + b[c];
  if (held < c + count + 2) return kTimeout;

  std::uint8_t x = 0;
  for (std::size_t i = d; i <= c + count + 1; ++i) x ^= b[i];
  if (count < 2) return kBadFormat;

  const std::uint8_t* p = b + c + 3;  // after the response code and device status
  const std::size_t n = count - 2;
  const auto at = [p, n](std::size_t i) -> std::uint8_t { return i < n ? p[i] : 0; };
  const std::uint16_t parameter = static_cast<std::uint16_t>(at(7) + 256 * at(8));

  const auto storeValue = [&]() {
    if (n < 10) return kTimeout;  // no room for a value: the lengths do not add up
    parameters_.store(parameter, p + 9, n - 10);
    return 0;
  };

  if (x != 0) {
    // A curve is kept even when its check fails; anything else is refused.
    if (!isCurve(parameter)) return kZeroSumCheck;
    if (parameter != asked) return kStaleReply;
    return storeValue();
  }
  const std::uint8_t type = at(1);
  if (type == 0xF8 || type == 0xE2) {
    if (n < 12) return kBadFormat;
    longAddress_[static_cast<std::size_t>(pollingAddress_)] = {
        static_cast<std::uint8_t>(p[1] & 0x3F), p[2], p[9], p[10], p[11]};
    return 0;
  }
  if (type == 'E') return kUnknownCommand;
  if (type == 'M') return kInvalidValue;
  if (type != 'S' && type != 'G') return kUnknownResponse;

  if (n == 0 || sum(p, n - 1) != p[n - 1]) return kChecksum;
  if (parameter != asked) return kStaleReply;
  if (type == 'G' && isCurve(parameter)) return storeValue();
  if (n != static_cast<std::size_t>(at(2) + 256 * at(3))) return kTimeout;
  if (at(0) != kMessageStart || at(4) != 0 || at(6) != 1) return kBadFormat;
  if (type == 'S') return 0;
  return storeValue();
}

int PulseProtocol::ExchangeSet(UnitLink& link, PulseCfgSet set, ProgressSink* busy,
                               ProgressSink* bar) {
  std::size_t left = set.size();
  for (const auto& [parameter, item] : set) {
    int r = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
      r = Exchange(link, parameter, item.Value.data(), item.Count);
      if (r == 0) break;
      lastFailing_ = parameter;
    }
    if (r != 0) return r;
    if (item.Count > 0) parameters_.storeWritten(parameter, item.Value.data(), item.Count);
    const int share = static_cast<int>(left);
    for (ProgressSink* sink : {busy, bar}) {
      if (sink == nullptr) continue;
      const int p = sink->progress();
      sink->setProgress(p + (100 - p) / share);
    }
    --left;
  }
  return 0;
}

int PulseProtocol::ReadIdentitySet(UnitLink& link, ProgressSink* bar) {
  PulseCfgSet set;
  for (std::uint16_t p : {0x50, 0x51, 0x53, 5, 6, 0x111, 0x113, 0x800, 0x21, 0x20, 0x22, 1}) {
    set[p] = PulseCfgItem::read();
  }
  return ExchangeSet(link, std::move(set), nullptr, bar);
}

int PulseProtocol::ReadAdvancedSet(UnitLink& link, ProgressSink* busy) {
  PulseCfgSet set;
  for (std::uint16_t p : {2, 0x502, 0x501, 0x505, 0x506, 0x507, 0x503, 0x500, 9, 0x510}) {
    set[p] = PulseCfgItem::read();
  }
  return ExchangeSet(link, std::move(set), busy, nullptr);
}

int PulseProtocol::ReadSensorType(UnitLink& link) {
  return ExchangeSet(link, PulseCfgSet{{4, PulseCfgItem::read()}}, nullptr, nullptr);
}

int PulseProtocol::ReadCurve(UnitLink& link, std::uint16_t curve) {
  if (!isCurve(curve)) return 0;
  return ExchangeSet(link, PulseCfgSet{{curve, PulseCfgItem::read()}}, nullptr, nullptr);
}

}  // namespace ostrel
