// The generated memories, the echo records and the image files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sim/byte_fields.h"
#include "sim/echo_synthesizer.h"
#include "sim/memory_generator.h"
#include "sim/unit_memories.h"
#include "unit/sim_test_support.h"

namespace ostrel::sim {
namespace {

using test::Bytes;
using test::hex;
namespace fs = std::filesystem;

Bytes slice(std::span<const std::uint8_t> m, std::size_t at, std::size_t n) {
  return Bytes(m.begin() + static_cast<std::ptrdiff_t>(at),
               m.begin() + static_cast<std::ptrdiff_t>(at + n));
}

TEST(GeneratedIdentity, Ultrasonic) {
  const UnitMemories m = MemoryGenerator::generate(PageUnitKind::Ultrasonic);
  EXPECT_EQ(m.factory[180], 0x00);
  EXPECT_EQ(slice(m.factory, 96, 4), hex("06 00 7D 42"));  // 410237, high word first
  EXPECT_EQ(slice(m.factory, 26, 2), hex("9C 01"));        // 412
  EXPECT_EQ(slice(m.factory, 138, 7), Bytes({'K', 'M', '3', '0', '-', 'U', 0}));
  EXPECT_EQ(slice(m.info, 10, 4), hex("06 00 7D 42"));
  EXPECT_EQ(slice(m.info, 14, 16), Bytes({'K', 'M', '3', '0', '-', '1', '0', '2', '0', 0, 0, 0, 0, 0, 0, 0}));
  // Never programmed: the first character has its top bit set.
  EXPECT_EQ(m.model[0], 0xFF);
}

TEST(GeneratedIdentity, GuidedWaveAndUType) {
  const UnitMemories g = MemoryGenerator::generate(PageUnitKind::GuidedWave);
  EXPECT_EQ(g.factory[180], 'G');
  EXPECT_EQ(slice(g.factory, 10, 4), hex("07 00 B2 EF"));  // 520114
  EXPECT_EQ(slice(g.model, 0, 9), Bytes({'K', 'M', '5', '0', '-', 'G', 'W', 'R', 0}));
  EXPECT_EQ(slice(g.model, 16, 2), hex("69 00"));  // 105
  EXPECT_EQ(slice(g.info, 10, 4), hex("07 00 B2 EF"));
  EXPECT_EQ(slice(g.info, 14, 10), Bytes({'K', 'M', '5', '0', '-', '2', '4', '1', '0', 0}));

  const UnitMemories u = MemoryGenerator::generate(PageUnitKind::UType);
  EXPECT_EQ(u.factory[180], 'U');
  EXPECT_EQ(slice(u.factory, 10, 4), hex("09 00 24 9D"));  // 630052
  EXPECT_EQ(slice(u.model, 0, 8), Bytes({'K', 'M', '4', '0', '-', 'U', '2', 0}));
  EXPECT_EQ(slice(u.model, 16, 2), hex("E9 00"));  // 233
  EXPECT_EQ(slice(u.info, 10, 4), hex("09 00 24 9D"));
  EXPECT_EQ(slice(u.info, 14, 10), Bytes({'K', 'M', '4', '0', '-', '1', '1', '3', '0', 0}));
}

TEST(GeneratedCustomerPage, InstallationAndSetPoints) {
  const UnitMemories m = MemoryGenerator::generate(PageUnitKind::Ultrasonic);
  EXPECT_EQ(slice(m.customer, 2, 2), hex("50 37"));   // 20 ft
  EXPECT_EQ(slice(m.customer, 6, 2), hex("C8 31"));   // 18 ft
  // NLTYPE none; UNITS and OUTPUT 2, feet in the model files' unit order
  // (inches, centimeters, feet, meters), the unit the heights and points are in.
  EXPECT_EQ(slice(m.customer, 102, 4), hex("FF FF 02 00"));
  EXPECT_EQ(slice(m.customer, 150, 2), hex("02 00"));
  EXPECT_EQ(slice(m.customer, 152, 4), hex("00 00 60 41"));  // 14.0f
  EXPECT_FLOAT_EQ(getFloat(m.customer, 168), 13.5f);
  const std::string notes(m.customer.begin() + 448, m.customer.begin() + 448 + 20);
  EXPECT_EQ(notes, "Tank 7, east yard - ");

  const UnitMemories g = MemoryGenerator::generate(PageUnitKind::GuidedWave);
  EXPECT_EQ(slice(g.customer, 0, 2), hex("62 01"));   // minimum fill 0.5 ft
  EXPECT_EQ(slice(g.customer, 6, 2), hex("8C 34"));   // probe 19 ft
  EXPECT_EQ(slice(g.customer, 44, 2), hex("C8 31"));  // fill 18 ft
}

TEST(GeneratedHistoryPage, TableOfAHorizontalCylinder) {
  const auto h = MemoryGenerator::historyPage();
  EXPECT_EQ(getI32(h, 0), 0);
  EXPECT_EQ(getI32(h, 4), 100000);  // 10000 / 65535 per count, × 655350
  EXPECT_EQ(getU16(h, 8), 12744);
  // Smallest step with 247 steps reaching the maximum level.
  EXPECT_EQ(getU16(h, 10), 52);
  EXPECT_FLOAT_EQ(getFloat(h, 12), 10000.0f);
  EXPECT_EQ(getU16(h, 16), 0);
  std::uint16_t last = 0;
  std::size_t valid = 0;
  for (std::size_t i = 0; i < 248; ++i) {
    const std::uint16_t p = getU16(h, 16 + 2 * i);
    if (p == 0xFFFF) {
      EXPECT_GT(i * 52, 12744u) << "point " << i << " marked beyond range too early";
      continue;
    }
    ++valid;
    EXPECT_GE(p, last) << "the table must rise, point " << i;
    last = p;
  }
  EXPECT_EQ(valid, 246u);
  // Half way up the cylinder holds half of it.
  EXPECT_NEAR(getU16(h, 16 + 2 * 122), 32768, 400);
}

TEST(EchoRecord, ShapedLikeAnUltrasonicEcho) {
  EchoScene scene;
  scene.levelCounts = 9 * 708;
  scene.distanceCounts = 11 * 708;
  scene.currentHundredthsMa = 1200;
  const auto r = EchoSynthesizer::build(scene);
  const auto sample = [&](std::size_t j) { return std::abs(getI16(r, 2 * j)); };
  const auto peakIn = [&](std::size_t from, std::size_t to) {
    int best = 0;
    for (std::size_t j = from; j < to; ++j) best = std::max(best, sample(j));
    return best;
  };
  const std::size_t surface = EchoSynthesizer::sampleForDistance(scene.distanceCounts);
  const std::size_t disturbance = EchoSynthesizer::sampleForDistance(EchoSynthesizer::kDisturbanceCounts[1]);
  EXPECT_GT(peakIn(0, 20), 1000) << "transmit ring-down";
  EXPECT_LT(peakIn(disturbance + 40, surface - 40), 60) << "noise floor";
  EXPECT_GT(peakIn(surface - 5, surface + 5), 1300) << "surface echo";
  EXPECT_GT(peakIn(disturbance - 5, disturbance + 5), 150) << "fixed disturbance";
  EXPECT_LT(peakIn(disturbance - 5, disturbance + 5), 600);
  // 11 ft puts the double bounce at 22 ft, past the end of the record; a
  // nearer surface shows it.
  scene.distanceCounts = 5 * 708;
  const auto near = EchoSynthesizer::build(scene);
  const std::size_t twice = EchoSynthesizer::sampleForDistance(2 * scene.distanceCounts);
  int multiple = 0;
  for (std::size_t j = twice - 5; j < twice + 5; ++j) multiple = std::max(multiple, std::abs(getI16(near, 2 * j)));
  EXPECT_GT(multiple, 200);
  EXPECT_LT(multiple, 800);

  EXPECT_EQ(getU16(r, 2 * 1021), 11 * 708);
  EXPECT_EQ(getU16(r, 2 * 1022), 9 * 708);
  EXPECT_EQ(getU16(r, 2 * 1023), 1200);
}

TEST(EchoRecord, DisturbanceScanShowsTheSurfaceWhereTheEchoDoes) {
  const UnitMemories m = MemoryGenerator::generate(PageUnitKind::Ultrasonic);
  const std::uint16_t distance = getU16(m.scan, 2 * 1021);
  EXPECT_EQ(distance, getU16(m.echo, 2 * 1021));
  EXPECT_EQ(getU16(m.scan, 2 * 1022), MemoryGenerator::kFillHeightCounts / 2);
  // The strongest sample past the ring-down is the surface, at its distance.
  const std::size_t surface = EchoSynthesizer::sampleForDistance(distance);
  std::size_t peak = 300;
  for (std::size_t j = 300; j < 1021; ++j) {
    if (std::abs(getI16(m.scan, 2 * j)) > std::abs(getI16(m.scan, 2 * peak))) peak = j;
  }
  EXPECT_NEAR(static_cast<double>(peak), static_cast<double>(surface), 3.0);
  EXPECT_GT(std::abs(getI16(m.scan, 2 * peak)), 1300);
  // The disturbances are in both.
  const std::size_t d = EchoSynthesizer::sampleForDistance(EchoSynthesizer::kDisturbanceCounts[0]);
  EXPECT_EQ(getI16(m.echo, 2 * d), getI16(m.scan, 2 * d));
}

class ImageFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/ostrel-sim-image-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir = name;
  }
  void TearDown() override { fs::remove_all(dir); }
  void writeFile(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  fs::path dir;
};

TEST_F(ImageFolder, DumpThenLoadGivesTheSameMemories) {
  UnitMemories a = MemoryGenerator::generate(PageUnitKind::GuidedWave);
  a.ocm.fill(0x3C);
  ASSERT_EQ(a.dump(dir), "");
  for (const auto& name : UnitMemories::fileNames()) EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_EQ(fs::file_size(dir / "customer.bin"), 512u);
  EXPECT_EQ(fs::file_size(dir / "info.bin"), 128u);
  EXPECT_EQ(fs::file_size(dir / "scan.bin"), 2048u);
  // No temporary files stay behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 8);

  UnitMemories b = MemoryGenerator::generate(PageUnitKind::Ultrasonic);
  const auto result = b.load(dir);
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.loaded.size(), 8u);
  EXPECT_EQ(a, b);
}

TEST_F(ImageFolder, MissingFilesKeepTheirMemory) {
  writeFile("factory.bin", Bytes(512, 0xAB));
  UnitMemories m = MemoryGenerator::generate(PageUnitKind::Ultrasonic);
  const UnitMemories before = m;
  const auto result = m.load(dir);
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.loaded, std::vector<std::string>{"factory.bin"});
  EXPECT_EQ(m.factory[0], 0xAB);
  EXPECT_EQ(m.customer, before.customer);
  EXPECT_EQ(m.echo, before.echo);
}

TEST_F(ImageFolder, WrongSizeFailsAndChangesNothing) {
  writeFile("customer.bin", Bytes(512, 0x11));
  writeFile("info.bin", Bytes(127, 0x22));
  UnitMemories m = MemoryGenerator::generate(PageUnitKind::Ultrasonic);
  const UnitMemories before = m;
  const auto result = m.load(dir);
  EXPECT_NE(result.error.find("info.bin"), std::string::npos) << result.error;
  EXPECT_TRUE(result.loaded.empty());
  EXPECT_EQ(m, before);
}

}  // namespace
}  // namespace ostrel::sim
