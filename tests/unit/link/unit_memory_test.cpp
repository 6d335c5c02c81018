#include "core/link/unit_memory.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/link/unit_link.h"
#include "fake_cable_driver.h"
#include "test_support.h"

namespace ostrel {
namespace {

using test::ack;
using test::Bytes;
using test::FakeCableDriver;
using test::frame;

// A data frame of a block read: A5 42, two header bytes, 64 data bytes, check.
Bytes dataFrame(std::uint8_t selector, std::uint8_t block, std::uint8_t fill, int checkError = 0) {
  Bytes f{0xA5, 0x42, selector, block};
  for (int i = 0; i < 64; ++i) f.push_back(static_cast<std::uint8_t>(fill + i));
  unsigned sum = 0;
  for (std::uint8_t b : f) sum += b;
  f.push_back(static_cast<std::uint8_t>(sum + static_cast<unsigned>(checkError)));
  return f;
}

class UnitMemoryTest : public ::testing::Test {
 protected:
  UnitMemoryTest() : link(d), memory(link) {
    link.SetTargetProduct("Linkbud USB Interface Cable");
    EXPECT_EQ(link.Open(), 0);  // an open link counts as connected
  }

  FakeCableDriver d;
  UnitLink link;
  UnitMemory memory;
};

TEST_F(UnitMemoryTest, ReadPageAsksForEachBlockOfTheSelector) {
  for (std::uint8_t b = 0; b < 8; ++b) {
    Bytes answer = ack(0x31);
    const Bytes data = dataFrame(1, b, static_cast<std::uint8_t>(b * 8));
    answer.insert(answer.end(), data.begin(), data.end());
    d.answerNextWrite(answer);
  }
  std::array<std::uint8_t, 512> page{};
  ASSERT_EQ(memory.ReadPage(UnitMemory::kCustomer, page.data()), 0);
  const auto writes = d.writes();
  ASSERT_EQ(writes.size(), 8u);
  for (std::uint8_t b = 0; b < 8; ++b) {
    const std::uint8_t check = static_cast<std::uint8_t>(0xA5 + 0x03 + 0x31 + 0x01 + b);
    EXPECT_EQ(writes[b], (Bytes{0xA5, 0x03, 0x31, 0x01, b, check, 0x00}));
    EXPECT_EQ(page[64u * b], static_cast<std::uint8_t>(b * 8));
    EXPECT_EQ(page[64u * b + 63], static_cast<std::uint8_t>(b * 8 + 63));
  }
  EXPECT_TRUE(link.IsOpen());

  Bytes answer = ack(0x31);
  const Bytes data = dataFrame(7, 0, 0);
  answer.insert(answer.end(), data.begin(), data.end());
  d.answerNextWrite(answer);
  memory.ReadPage(UnitMemory::kModelPage, page.data());
  EXPECT_EQ(d.writes()[8][3], 7);  // the model page is selector 7
}

TEST_F(UnitMemoryTest, CheckByteOffByOneGivesTheFrameLengthAndClosesTheLink) {
  Bytes answer = ack(0x31);
  const Bytes data = dataFrame(1, 0, 0x10, 1);
  answer.insert(answer.end(), data.begin(), data.end());
  d.answerNextWrite(answer);
  std::array<std::uint8_t, 512> page{};
  EXPECT_EQ(memory.ReadPage(UnitMemory::kCustomer, page.data()), 69);
  EXPECT_FALSE(link.IsOpen());
}

// A five-byte frame read into the buffer that still holds the previous
// block's frame, its data byte chosen so that its bytes and the stale bytes
// past its end add up to that frame's old check byte. (A whole frame sums to
// an even number, so the previous frame's first five bytes must as well.)
Bytes shortFrameMatchingStaleSum(const Bytes& previous, std::uint8_t cmd) {
  for (int x = 0; x < 256; ++x) {
    const Bytes candidate = frame(cmd, {static_cast<std::uint8_t>(x)});
    Bytes held = previous;
    std::copy(candidate.begin(), candidate.end(), held.begin());
    unsigned sum = 0;
    for (std::size_t i = 0; i < 68; ++i) sum += held[i];
    if (static_cast<std::uint8_t>(sum) == held[68]) return candidate;
  }
  return {};
}

TEST_F(UnitMemoryTest, ShortDataFrameIsRefusedEvenWhenStaleBytesMakeTheSumRight) {
  // Page read: block 0 arrives whole, block 1 as a five-byte frame.
  const Bytes block0 = dataFrame(1, 0, 0x30);
  const Bytes short1 = shortFrameMatchingStaleSum(block0, 0x31);
  ASSERT_EQ(short1.size(), 5u);
  Bytes answer = ack(0x31);
  answer.insert(answer.end(), block0.begin(), block0.end());
  d.answerNextWrite(answer);
  answer = ack(0x31);
  answer.insert(answer.end(), short1.begin(), short1.end());
  d.answerNextWrite(answer);
  std::array<std::uint8_t, 512> page{};
  page.fill(0xEE);
  EXPECT_EQ(memory.ReadPage(UnitMemory::kCustomer, page.data()), 5);  // its length
  EXPECT_EQ(page[64], 0xEE);
  EXPECT_FALSE(link.IsOpen());

  // The information memory reads its blocks the same way.
  ASSERT_EQ(link.Open(), 0);
  const Bytes info0 = dataFrame(0, 0, 0x51);
  const Bytes short2 = shortFrameMatchingStaleSum(info0, 0x37);
  ASSERT_EQ(short2.size(), 5u);
  answer = ack(0x37);
  answer.insert(answer.end(), info0.begin(), info0.end());
  d.answerNextWrite(answer);
  answer = ack(0x37);
  answer.insert(answer.end(), short2.begin(), short2.end());
  d.answerNextWrite(answer);
  std::array<std::uint8_t, 128> info{};
  info.fill(0xEE);
  EXPECT_EQ(memory.ReadInfoMemory(info.data()), 4);
  EXPECT_EQ(info[64], 0xEE);
}

TEST_F(UnitMemoryTest, WritePageWantsExactlyTheReadyFrame) {
  d.answerNextWrite(ack(0x33));
  Bytes first = ack(0x32);
  first.insert(first.end(), {0xA5, 0x01, 0x10, 0xB6});
  d.answerNextWrite(first);
  Bytes second = ack(0x32);
  second.insert(second.end(), {0xA5, 0x01, 0x10, 0xB7});
  d.answerNextWrite(second);
  memory.WriteBuffer.fill(0x5C);
  EXPECT_EQ(memory.WritePage(1), 5);
  EXPECT_FALSE(link.IsOpen());
  // The block command carries the block number and its 64 bytes.
  const auto writes = d.writes();
  ASSERT_GE(writes.size(), 3u);
  EXPECT_EQ(writes[0], (Bytes{0xA5, 0x01, 0x33, 0xD9, 0x00}));
  ASSERT_EQ(writes[1].size(), 0x42u + 4);
  EXPECT_EQ(writes[1][1], 0x42);
  EXPECT_EQ(writes[1][3], 0);
  EXPECT_EQ(writes[1][4], 0x5C);
  EXPECT_EQ(writes[2][3], 1);
}

TEST_F(UnitMemoryTest, WriteInfoMemoryFailingOnTheSecondReadyFrameGives8) {
  d.answerNextWrite(ack(0x33));
  Bytes first = ack(0x32);
  first.insert(first.end(), {0xA5, 0x01, 0x10, 0xB6});
  d.answerNextWrite(first);
  Bytes second = ack(0x32);
  second.insert(second.end(), {0xA5, 0x01, 0x11, 0xB7});
  d.answerNextWrite(second);
  std::array<std::uint8_t, 128> info{};
  EXPECT_EQ(memory.WriteInfoMemory(info.data()), 8);
}

TEST_F(UnitMemoryTest, ClosedLinkThatCannotConnectFailsWithOne) {
  link.Close();
  d.cables.clear();  // nothing to connect to
  std::array<std::uint8_t, 128> info{};
  EXPECT_EQ(memory.ReadInfoMemory(info.data()), 1);
  EXPECT_EQ(memory.WriteInfoMemory(info.data()), 1);
  EXPECT_EQ(memory.WritePage(1), 1);
}

TEST(UnitMemoryValues, ThirtyTwoBitValuesKeepTheHighWordFirst) {
  const std::uint8_t b[4] = {0x01, 0x00, 0x34, 0x12};
  EXPECT_EQ(UnitMemory::Read32HighWordFirst(b), 0x00011234u);
  std::uint8_t out[4];
  UnitMemory::Write32HighWordFirst(out, 0x00011234u);
  EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4), (std::vector<std::uint8_t>{1, 0, 0x34, 0x12}));
}

TEST(UnitMemoryValues, FactoryIdentityByLayout) {
  std::array<std::uint8_t, 512> page{};
  UnitMemory::Write32HighWordFirst(page.data() + 96, 410237);
  UnitMemory::Write32HighWordFirst(page.data() + 10, 520114);
  UnitMemory::Write16(page.data() + 26, 412);
  const char model[] = "KM30-U\xB5";  // a Windows-1252 micro sign
  std::memcpy(page.data() + 138, model, sizeof model);

  std::int32_t serial = 0;
  std::int32_t revision = 0;
  std::string text = "untouched";
  ASSERT_EQ(UnitMemory::ParseFactoryIdentity(page.data(), serial, text, revision, true), 0);
  EXPECT_EQ(serial, 520114);
  EXPECT_EQ(text, "untouched");  // the model page supplies text and revision
  EXPECT_EQ(revision, 0);
  ASSERT_EQ(UnitMemory::ParseFactoryIdentity(page.data(), serial, text, revision, false), 0);
  EXPECT_EQ(serial, 410237);
  EXPECT_EQ(text, "KM30-U\xC2\xB5");
  EXPECT_EQ(revision, 412);

  // Twenty characters without a zero within the first fifteen.
  std::memcpy(page.data() + 138, "ABCDEFGHIJKLMNOPQRST", 20);
  EXPECT_EQ(UnitMemory::ParseFactoryIdentity(page.data(), serial, text, revision, false), -1);
  // Fourteen characters and the zero still fit.
  std::memcpy(page.data() + 138, "ABCDEFGHIJKLMN", 15);
  EXPECT_EQ(UnitMemory::ParseFactoryIdentity(page.data(), serial, text, revision, false), 0);
  EXPECT_EQ(text, "ABCDEFGHIJKLMN");
}

TEST(UnitMemoryValues, ErasedInformationMemoryHasNoModel) {
  std::array<std::uint8_t, 128> info{};
  info.fill(0xFF);
  std::int32_t serial = 0;
  std::string model;
  EXPECT_EQ(UnitMemory::ParseHardwareIdentity(info.data(), serial, model), -1);
  EXPECT_EQ(serial, -1);
  std::memcpy(info.data() + 14, "KM30-1020\0", 10);
  UnitMemory::Write32HighWordFirst(info.data() + 10, 410237);
  EXPECT_EQ(UnitMemory::ParseHardwareIdentity(info.data(), serial, model), 0);
  EXPECT_EQ(serial, 410237);
  EXPECT_EQ(model, "KM30-1020");
}

}  // namespace
}  // namespace ostrel
