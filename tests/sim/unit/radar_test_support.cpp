#include "unit/radar_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace ostrel::sim::test {

namespace {

std::uint8_t sumOf(const Bytes& b, std::size_t from, std::size_t to) {
  unsigned s = 0;
  for (std::size_t i = from; i < to; ++i) s += b[i];
  return static_cast<std::uint8_t>(s & 0xFF);
}

std::uint8_t xorOf(const Bytes& b, std::size_t from, std::size_t to) {
  std::uint8_t x = 0;
  for (std::size_t i = from; i < to; ++i) x ^= b[i];
  return x;
}

bool isCurve(unsigned parameter) { return parameter >= 0x991 && parameter <= 0x993; }

}  // namespace

Bytes tunnel(const Bytes& hart) {
  const std::size_t n = hart.size() + 2;
  Bytes f = {0xA5, static_cast<std::uint8_t>(n & 0xFF), 0x60, static_cast<std::uint8_t>(n >> 8)};
  f.insert(f.end(), hart.begin(), hart.end());
  f.push_back(sumOf(f, 0, f.size()));
  return f;
}

Bytes commandZeroRequest() { return hex("FF FF FF FF FF 02 80 00 00 82"); }

Bytes longRequest(const Bytes& address, std::uint8_t command, const Bytes& data,
                  bool withExpansion) {
  Bytes f(5, 0xFF);
  f.push_back(withExpansion ? 0xA2 : 0x82);
  f.insert(f.end(), address.begin(), address.end());
  if (withExpansion) f.push_back(static_cast<std::uint8_t>(data.size() >> 8));
  f.push_back(command);
  f.push_back(static_cast<std::uint8_t>(data.size() & 0xFF));
  f.insert(f.end(), data.begin(), data.end());
  f.push_back(xorOf(f, 5, f.size()));
  return f;
}

Bytes paramMessage(char type, std::uint16_t parameter, const Bytes& value, std::uint8_t marker,
                   std::uint8_t pollingAddress) {
  const std::size_t m = 10 + value.size();
  Bytes f = {0xFE, static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(m & 0xFF),
             static_cast<std::uint8_t>(m >> 8), pollingAddress};
  f.push_back(sumOf(f, 0, 5));
  f.push_back(marker);
  f.push_back(static_cast<std::uint8_t>(parameter & 0xFF));
  f.push_back(static_cast<std::uint8_t>(parameter >> 8));
  f.insert(f.end(), value.begin(), value.end());
  f.push_back(sumOf(f, 0, f.size()));
  return f;
}

Bytes parameterRequest(char type, std::uint16_t parameter, const Bytes& value) {
  return tunnel(longRequest(kUnitLongAddress, 128, paramMessage(type, parameter, value)));
}

Bytes floatBytes(float v) {
  std::uint32_t u = 0;
  std::memcpy(&u, &v, 4);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

float floatOf(const Bytes& b, std::size_t at) {
  const std::uint32_t u = b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
                          static_cast<std::uint32_t>(b.at(at + 3)) << 24;
  float v = 0;
  std::memcpy(&v, &u, 4);
  return v;
}

ToolReading readReply(const Bytes& b) {
  ToolReading r;
  std::size_t d = 0;
  for (std::size_t i = 1; i + 1 < b.size() && d == 0; ++i) {
    if (b[i - 1] == 0xFF && b[i] == 0xFF && b[i + 1] != 0xFF && (b[i + 1] & 0x06) == 0x06)
      d = i + 1;
  }
  if (d == 0) return r;
  const std::uint8_t del = b[d];
  const std::size_t addressSize = (del & 0x80) ? 5 : 1;
  const std::size_t expansions = (del >> 5) & 0x03;
  const std::size_t c = d + addressSize + expansions + 2;
  if (b.size() < c + 1) return r;
  const std::size_t announced = expansions ? (b[c - 2] << 8 | b[c]) : b[c];
  if (b.size() < c + announced + 2) return r;
  r.complete = true;

  r.delimiter = del;
  const std::size_t count = b[d + addressSize + 1] * 256u + b[c];
  r.byteCount = count;
  if (b.size() < c + count + 2 || count < 2) return r;
  const std::uint8_t x = xorOf(b, d, c + count + 2);
  r.payload.assign(b.begin() + static_cast<std::ptrdiff_t>(c + 3),
                   b.begin() + static_cast<std::ptrdiff_t>(c + 1 + count));
  const Bytes& p = r.payload;
  const std::size_t n = p.size();
  const unsigned parameter = n >= 9 ? p[7] + 256u * p[8] : 0;
  const auto take = [&] {
    if (n >= 10) r.value.assign(p.begin() + 9, p.end() - 1);
  };
  if (x != 0) {
    if (isCurve(parameter)) {
      take();
      r.result = 0;
    } else {
      r.result = -105;
    }
    return r;
  }
  if (n < 2) return r;
  const bool sumOk = sumOf(p, 0, n - 1) == p[n - 1];
  const bool lengthOk = n >= 4 && n == p[2] + 256u * p[3];
  const bool headerOk = n >= 7 && p[0] == 0xFE && p[4] == 0 && p[6] == 1;
  switch (p[1]) {
    case 0xF8:
    case 0xE2: r.result = 0; break;
    case 'E': r.result = -100; break;
    case 'M': r.result = -101; break;
    case 'S': r.result = !sumOk ? -102 : !lengthOk ? -1 : !headerOk ? -103 : 0; break;
    case 'G':
      if (!sumOk) {
        r.result = -102;
      } else if (isCurve(parameter)) {
        take();
        r.result = 0;
      } else {
        r.result = !lengthOk ? -1 : !headerOk ? -103 : 0;
        if (r.result == 0) take();
      }
      break;
    default: r.result = -104; break;
  }
  return r;
}

std::string decimalText(const Bytes& bytes) {
  std::string s;
  for (const auto b : bytes) s += std::to_string(b);
  return s;
}

PulseRadarUnit::Options quickRadar() {
  PulseRadarUnit::Options o;
  o.levelPeriod = std::chrono::hours(1000);
  return o;
}

RadarBench::RadarBench(PulseRadarUnit::Options options)
    : unit(std::make_shared<PulseRadarUnit>(options)), engine(unit) {}

Bytes RadarBench::talk(const Bytes& bytes) {
  engine.write(bytes);
  return engine.readAll();
}

bool containsBytes(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

void RadarBench::wakeUp() {
  EXPECT_TRUE(containsBytes(talk(kWakeListenFrame), kWakeListenFrame));
  EXPECT_TRUE(containsBytes(talk(kWakeLinkFrame), kWakeLinkFrame));
  EXPECT_TRUE(unit->awake());
  engine.readAll();
}

ToolReading RadarBench::ask(char type, std::uint16_t parameter, const Bytes& value) {
  return readReply(talk(parameterRequest(type, parameter, value)));
}

}  // namespace ostrel::sim::test
