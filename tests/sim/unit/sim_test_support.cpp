#include "unit/sim_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

namespace ostrel::sim::test {

Bytes hex(std::string_view text) {
  Bytes out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) throw std::invalid_argument("odd hex text");
    out.push_back(static_cast<std::uint8_t>(std::stoul(std::string(text.substr(i, 2)), nullptr, 16)));
    i += 2;
  }
  return out;
}

std::string toHex(std::span<const std::uint8_t> bytes) {
  std::string s;
  char buf[4];
  for (const auto b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    s += buf;
  }
  if (!s.empty()) s.pop_back();
  return s;
}

Bytes command(std::uint8_t cmd, const Bytes& data) {
  Bytes f = {0xA5, static_cast<std::uint8_t>(data.size() + 1), cmd};
  f.insert(f.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (const auto b : f) sum += b;
  f.push_back(static_cast<std::uint8_t>(sum % 256));
  f.push_back(0x00);
  return f;
}

Bytes ack(std::uint8_t cmd, std::uint8_t status) {
  return {0xA5, 0x03, 0x2F, cmd, status, static_cast<std::uint8_t>((0xD7 + cmd + status) % 256)};
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bench::Bench(PageUnitKind kind, PageUnit::Options options)
    : unit(std::make_shared<PageUnit>(kind, options)), engine(unit) {}

Bytes Bench::talk(const Bytes& bytes) {
  engine.write(bytes);
  return engine.readAll();
}

Bytes Bench::collect(std::size_t count, std::chrono::milliseconds timeout) {
  engine.waitFor(count, UnitEngine::Clock::now() + timeout);
  Bytes out(count);
  out.resize(engine.read(out));
  return out;
}

Bytes readPage(Bench& bench, std::uint8_t selector) {
  Bytes page;
  for (std::uint8_t b = 0; b < 8; ++b) {
    const Bytes answer = bench.talk(command(0x31, {selector, b}));
    EXPECT_EQ(answer.size(), 6u + 69u) << "block " << int(b);
    if (answer.size() != 75) return {};
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 6), ack(0x31));
    EXPECT_EQ(answer[6], 0xA5);
    EXPECT_EQ(answer[7], 0x42);
    unsigned sum = 0;
    for (std::size_t i = 6; i < 74; ++i) sum += answer[i];
    EXPECT_EQ(answer[74], sum % 256) << "check of block " << int(b);
    page.insert(page.end(), answer.begin() + 10, answer.begin() + 74);
  }
  return page;
}

void writePage(Bench& bench, std::uint8_t selector, const Bytes& page) {
  ASSERT_EQ(page.size(), 512u);
  EXPECT_EQ(bench.talk(command(0x33)), ack(0x33));
  for (std::uint8_t b = 0; b < 8; ++b) {
    Bytes data = {b};
    data.insert(data.end(), page.begin() + 64 * b, page.begin() + 64 * (b + 1));
    EXPECT_EQ(bench.talk(command(0x32, data)), concat({ack(0x32), hex("A5 01 10 B6")}));
  }
  EXPECT_EQ(bench.talk(command(0x34, {selector})), ack(0x34));
}

}  // namespace ostrel::sim::test
