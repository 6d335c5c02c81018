// The echo record page and the pulse radar's curve page: what a record
// shows, the plots' geometry, and the radar curves' decoding and alignment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "core/diag/diagnostics_model.h"
#include "core/diag/pulse_curve_model.h"
#include "diag_test_records.h"
#include "test_support.h"

namespace ostrel {
namespace {

std::array<std::uint8_t, 2048> record(const std::function<int(int)>& word) {
  std::array<std::uint8_t, 2048> r{};
  for (int i = 0; i < 1024; ++i) {
    const auto w = static_cast<std::uint16_t>(static_cast<std::int16_t>(word(i)));
    r[static_cast<std::size_t>(2 * i)] = static_cast<std::uint8_t>(w & 0xFF);
    r[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::uint8_t>(w >> 8);
  }
  return r;
}

struct DiagPage : test::DiagRecords {
  DiagPage() {
    records.Database.UnitRange = "9.1 Meters";
    records.Values.SelectText = "<Select>";
    // The model file's lines are appended from the list's start.
    records.Database.DiagnosticEchoes[0] = "Disturbance Scan";
    records.Database.DiagnosticEchoes[1] = "Echo Curve";
    records.Database.DiagnosticEchoes.Count = 2;
    records.Database.DiagnosticEchoes.Last = 1;
  }
  test::RecordingPresenter presenter;
  DiagnosticsModel model{records, config, nullptr, nullptr, &presenter};
};

TEST(Diagnostics, RecordFillsTheDisplaysAndAFailedReadKeepsThem) {
  DiagPage p;
  p.model.activate(false);
  EXPECT_EQ(p.model.entries(),
            (std::vector<std::string>{"<Select>", "Disturbance Scan", "Echo Curve"}));
  EXPECT_EQ(p.model.currentText(), "000000");
  const auto r = record([](int i) {
    return i == 1022 ? 1500 : i == 1021 ? 250 : i == 1023 ? 1234 : i < 1021 ? i - 512 : 0;
  });
  p.model.showRecord(r.data());
  EXPECT_EQ(p.model.levelText(), "00015.0");
  EXPECT_EQ(p.model.distanceText(), "00002.5");
  EXPECT_EQ(p.model.currentText(), "1234");
  EXPECT_EQ(p.model.samples().size(), 1021u);
  EXPECT_EQ(p.model.samples()[3], -509);

  // No unit to read from: the literal message, the displays as they were.
  EXPECT_FALSE(p.model.choose(DiagnosticsModel::kEchoEntry));
  ASSERT_EQ(p.presenter.messages.size(), 1u);
  EXPECT_EQ(p.presenter.messages[0].text, "Error reading echo curve");
  EXPECT_EQ(p.model.levelText(), "00015.0");
  EXPECT_FALSE(p.model.choose(DiagnosticsModel::kScanEntry));
  EXPECT_EQ(p.presenter.messages.back().text, "Error reading empty signal scan");

  // The select entry reads nothing and shows zeros.
  EXPECT_TRUE(p.model.choose(0));
  EXPECT_EQ(p.model.levelText(), "00000.0");
  EXPECT_EQ(p.model.distanceText(), "00000.0");
  EXPECT_EQ(p.model.currentText(), "0");

  // Sample mode reads nothing at all.
  p.model.activate(true);
  EXPECT_EQ(p.model.statusLine(), "STATUS_MESSAGE28");
  EXPECT_TRUE(p.model.choose(DiagnosticsModel::kEchoEntry));
  EXPECT_EQ(p.presenter.messages.size(), 2u);
}

TEST(Diagnostics, GridExtentFollowsUnitRangeAndUnits) {
  DiagPage p;
  p.records.Database.UnitRange = "3.0 METERS";
  p.config.heightUnits = 1;
  p.model.activate(false);
  EchoPlot g = p.model.plot(800, 400);
  EXPECT_EQ(g.extent, 500);
  EXPECT_EQ(g.divisions, 6);
  EXPECT_EQ(g.labelStep, 500);
  EXPECT_FALSE(g.halfResolution);
  EXPECT_EQ(g.pixelsPerDivision, 83);
  ASSERT_EQ(g.distanceLabels.size(), 7u);
  EXPECT_EQ(g.distanceLabels.back().text, "3000");
  EXPECT_STREQ(p.model.distanceAxisKey(), "IDC_DISTANCE_ECHOCURVE_MM");

  p.config.heightUnits = 2;
  g = p.model.plot(800, 400);
  EXPECT_EQ(g.divisions, 10);
  EXPECT_EQ(g.labelStep, 1);
  EXPECT_EQ(g.distanceLabels[3].text, "3");
  EXPECT_STREQ(p.model.distanceAxisKey(), "IDC_DISTANCE_ECHOCURVE_FT");

  p.records.Database.UnitRange = "9.1 Meters";
  g = p.model.plot(1000, 400);
  EXPECT_EQ(g.extent, 917);
  EXPECT_EQ(g.divisions, 18);

  // The amplitude lines from the bottom up, labelled -2048 .. 2048.
  std::vector<std::string> labels;
  for (const auto& l : g.amplitudeLabels) labels.push_back(l.text);
  EXPECT_EQ(labels, (std::vector<std::string>{"-2048", "-1638", "-1229", "-819", "-410", "0",
                                              "410", "819", "1229", "1638", "2048"}));
  EXPECT_EQ(g.amplitudeLines.front().from.y, 350);
  EXPECT_EQ(g.topLine, 20);
  EXPECT_EQ(g.area.bottom, 350);
  EXPECT_EQ(g.distanceLines.front().from.y, 20);
}

TEST(Diagnostics, TraceSpansTheGridAndHalvesOnANarrowPlot) {
  DiagPage p;
  p.model.activate(false);
  EXPECT_TRUE(p.model.plot(1000, 400).trace.empty());
  // Full scale up at word 70, full scale down at word 71, then a ramp.
  const auto r = record([](int i) { return i == 70 ? 2048 : i == 71 ? -2048 : i; });
  p.model.showRecord(r.data());
  EchoPlot g = p.model.plot(1000, 400);
  ASSERT_FALSE(g.halfResolution);
  ASSERT_EQ(g.trace.size(), 1u + 917u);
  EXPECT_EQ(g.trace[1].x, 50);
  EXPECT_NEAR(g.trace[1].y, g.topLine, 1);
  EXPECT_NEAR(g.trace[2].y, g.amplitudeLines.front().from.y, 1) << "bottom grid line";

  // 500 pixels wide: 459 points from every second word from 70 on.
  g = p.model.plot(500, 400);
  EXPECT_TRUE(g.halfResolution);
  EXPECT_EQ(g.plotSamples, 459);
  ASSERT_EQ(g.trace.size(), 1u + 459u);
  const int span = 400 - g.topLine - 50;
  const int y0 = span / 2 + g.topLine;
  const double s = 4096.0 / span;
  for (int j = 2; j <= 459; ++j) {
    const int word = 70 + 2 * (j - 1);
    EXPECT_EQ(g.trace[static_cast<std::size_t>(j)].y, static_cast<int>(y0 - word / s)) << j;
    EXPECT_EQ(g.trace[static_cast<std::size_t>(j)].x, 70 + j - 1 - 20);
  }
}

TEST(Diagnostics, TraceStaysInsideTheGrid) {
  DiagPage p;
  p.model.activate(false);
  // Full scale both ways over the whole record, so the trace touches every edge.
  const auto r = record([](int i) { return i % 2 == 0 ? 2048 : -2048; });
  p.model.showRecord(r.data());
  for (const auto& [units, width] : {std::pair{2, 1000}, std::pair{2, 500}, std::pair{1, 1000},
                                     std::pair{1, 600}, std::pair{2, 1200}}) {
    SCOPED_TRACE(::testing::Message() << "units " << units << ", width " << width);
    p.config.heightUnits = units;
    const EchoPlot g = p.model.plot(width, 400);
    ASSERT_FALSE(g.trace.empty());
    const int bottom = g.amplitudeLines.front().from.y;
    for (const PlotLine& line : g.amplitudeLines) {
      for (const PlotPoint& at : g.trace) {
        ASSERT_GE(at.x, line.from.x);
        ASSERT_LE(at.x, line.to.x) << "trace beyond the amplitude lines";
      }
    }
    for (const PlotPoint& at : g.trace) {
      EXPECT_GE(at.y, g.topLine - 1);
      EXPECT_LE(at.y, bottom + 1);
    }
    // Every plotted sample is still drawn.
    EXPECT_EQ(g.trace.size(), 1u + static_cast<std::size_t>(g.plotSamples));
    EXPECT_LE(g.distanceLines.back().from.x, g.amplitudeLines.front().to.x);
  }
}

TEST(Diagnostics, SamplesCsvHoldsEveryWordOfTheShownRecord) {
  DiagPage p;
  p.model.activate(false);
  EXPECT_EQ(p.model.samplesCsv(), "") << "nothing to save before a record";
  const auto r = record([](int i) { return i == 1020 ? -2048 : i == 1021 ? 777 : i - 300; });
  p.model.showRecord(r.data());
  const std::string csv = p.model.samplesCsv();
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < csv.size()) {
    const std::size_t end = csv.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "every line ends";
    lines.push_back(csv.substr(at, end - at));
    at = end + 1;
  }
  ASSERT_EQ(lines.size(), 1u + 1021u);
  EXPECT_EQ(lines[0], "word,amplitude");
  EXPECT_EQ(lines[1], "0,-300");
  EXPECT_EQ(lines[301], "300,0");
  EXPECT_EQ(lines[1021], "1020,-2048");
}

// --- pulse radar curves ----------------------------------------------------

struct Block {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(17, 0);

  Block(std::uint16_t expected, float echo, float level) {
    bytes[6] = static_cast<std::uint8_t>(expected & 0xFF);
    bytes[7] = static_cast<std::uint8_t>(expected >> 8);
    std::memcpy(bytes.data() + 8, &echo, 4);
    std::memcpy(bytes.data() + 12, &level, 4);
  }
  void sample(int amplitude, int step) {
    const int w = (amplitude & 0x0FFF) | step << 12;
    bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  int count() const { return static_cast<int>(bytes.size()); }
};

TEST(PulseCurves, DecodingReadsHeaderAndSteppedSamples) {
  Block b(300, 4.25f, 4.5f);
  b.sample(100, 2);
  b.sample(0x0FFF, 15);
  b.sample(7, 1);
  b.bytes.push_back(0xAA);  // an odd byte at the end is no sample
  const DecodedCurve c = PulseCurveModel::decode(b.bytes.data(), b.count());
  EXPECT_EQ(c.expectedEchoIndex, 300);
  EXPECT_FLOAT_EQ(c.echoDistance, 4.25f);
  EXPECT_FLOAT_EQ(c.levelDistance, 4.5f);
  ASSERT_EQ(c.samples.size(), 3u);
  EXPECT_EQ(c.samples[1].x, 2);
  EXPECT_EQ(c.samples[1].amplitude, 0x0FFF);
  EXPECT_EQ(c.samples[2].x, 17);
  EXPECT_TRUE(PulseCurveModel::decode(b.bytes.data(), 10).samples.empty());
}

// Samples one index apart, amplitude 100 but for peaks.
Block flatCurve(std::uint16_t expected, double levelIndex, int count,
                const std::vector<int>& peaks) {
  Block b(expected, 1.0f, static_cast<float>(levelIndex / PulseCurveModel::kIndexScale));
  for (int k = 0; k < count; ++k) {
    b.sample(std::find(peaks.begin(), peaks.end(), k) != peaks.end() ? 1000 : 100, 1);
  }
  return b;
}

std::vector<int> xs(const PulseCurveModel::Slot& s) {
  std::vector<int> v;
  for (const auto& c : s.samples) v.push_back(c.x);
  return v;
}

TEST(PulseCurves, EchoPeakShiftsItsNeighbourhoodOntoTheLevelIndex) {
  PulseCurveModel m;
  m.setRadar(10.0, 0);
  const Block b = flatCurve(50, 45.2, 120, {50});
  m.load(PulseCurveModel::kEcho, b.bytes.data(), b.count());
  const auto& slot = m.slot(PulseCurveModel::kEcho);
  EXPECT_EQ(slot.maximum, 1020);
  const std::vector<int> x = xs(slot);
  ASSERT_EQ(x.size(), 120u);
  // Samples 40..59 moved back by 5 (50 - 45), then 30..70 sorted.
  std::vector<int> window;
  for (int k = 30; k <= 70; ++k) window.push_back(k >= 40 && k <= 59 ? k - 5 : k);
  std::sort(window.begin(), window.end());
  EXPECT_EQ(std::vector<int>(x.begin() + 30, x.begin() + 71), window);
  for (int k : {0, 29, 71, 119}) EXPECT_EQ(x[static_cast<std::size_t>(k)], k);

  // The false-echo curve is scaled but never moved.
  m.load(PulseCurveModel::kFalseEcho, b.bytes.data(), b.count());
  EXPECT_EQ(xs(m.slot(PulseCurveModel::kFalseEcho))[45], 45);
}

TEST(PulseCurves, NoPeakNearTheExpectedIndexLeavesTheShiftOutButSortsTheWindow) {
  PulseCurveModel m;
  m.setRadar(10.0, 0);
  // A descending run of indexes around the level index 60 (steps of 0 and
  // a jump) and the only peak far from the expected index.
  Block b(20, 1.0f, static_cast<float>(60.5 / PulseCurveModel::kIndexScale));
  for (int k = 0; k < 100; ++k) b.sample(k == 90 ? 1000 : 100, k == 55 ? 9 : k == 64 ? 0 : 1);
  const std::vector<int> before = xs(PulseCurveModel::Slot{
      PulseCurveModel::decode(b.bytes.data(), b.count()).samples, 0});
  m.load(PulseCurveModel::kEcho, b.bytes.data(), b.count());
  const std::vector<int> after = xs(m.slot(PulseCurveModel::kEcho));
  std::vector<int> expected = before;
  std::sort(expected.begin() + 40, expected.begin() + 81);
  EXPECT_EQ(after, expected);
}

TEST(PulseCurves, PeakNearEitherEndMovesOnlySamplesOfTheCurve) {
  for (const int peak : {5, 34}) {
    SCOPED_TRACE(peak);
    PulseCurveModel m;
    m.setRadar(10.0, 0);
    const Block b = flatCurve(static_cast<std::uint16_t>(peak), 20.5, 40, {peak});
    m.load(PulseCurveModel::kEcho, b.bytes.data(), b.count());
    const std::vector<int> x = xs(m.slot(PulseCurveModel::kEcho));
    ASSERT_EQ(x.size(), 40u);
    const int shift = peak - 20;
    std::vector<int> expected;
    for (int k = 0; k < 40; ++k) {
      const bool moved = k >= peak - 10 && k <= peak + 9;
      expected.push_back(moved ? std::max(k - shift, 0) : k);
    }
    std::sort(expected.begin() + std::max(peak - 20, 0), expected.begin() + std::min(peak + 21, 40));
    EXPECT_EQ(x, expected);
  }
}

TEST(PulseCurves, PlotGridMarkersAndColours) {
  PulseCurveModel m;
  m.setRadar(10.0, 0);
  const PlotRect client{0, 0, 800, 600};
  // Before any load: the fixed grid.
  PulsePlot p = m.plot(client);
  ASSERT_EQ(p.distanceLabels.size(), 9u);
  EXPECT_EQ(p.distanceLabels[0].text, "20.00");
  EXPECT_EQ(p.amplitudeLabels[0].text, "  100.00");
  EXPECT_TRUE(p.traces.empty());

  const Block b = flatCurve(50, 45.0, 120, {50});
  m.load(PulseCurveModel::kEcho, b.bytes.data(), b.count());
  p = m.plot(client);
  ASSERT_EQ(p.distanceLines.size(), 11u);
  EXPECT_EQ(p.distanceLabels.front().text, "0.00");
  EXPECT_EQ(p.distanceLabels.back().text, "10.00");
  EXPECT_EQ(p.distanceLines[0].from.x, 58);
  EXPECT_EQ(p.distanceLines[10].from.x, 58 + (800 - 5 - 58) * 10 / 11);
  EXPECT_EQ(p.axisCaption, "Meters");
  ASSERT_EQ(p.amplitudeLines.size(), 10u);
  EXPECT_EQ(p.amplitudeLabels[1].text, "80");
  EXPECT_TRUE(p.markers);
  EXPECT_EQ(p.echoText, "1.000");
  ASSERT_EQ(p.traces.size(), 1u);
  EXPECT_EQ(p.traces[0].colour, (Rgb{255, 0, 0}));
  EXPECT_EQ(p.traces[0].points.front().x, 5);

  // Only the envelope: it alone is read and drawn, in blue, without markers.
  m.setChecked(PulseCurveModel::kEcho, false);
  m.setChecked(PulseCurveModel::kEnvelope, true);
  EXPECT_EQ(m.slotsToRead(), std::vector<int>{PulseCurveModel::kEnvelope});
  EXPECT_EQ(PulseCurveModel::kCommands[PulseCurveModel::kEnvelope], 2451);
  m.load(PulseCurveModel::kEnvelope, b.bytes.data(), b.count());
  p = m.plot(client);
  EXPECT_FALSE(p.markers);
  ASSERT_EQ(p.traces.size(), 1u);
  EXPECT_EQ(p.traces[0].slot, PulseCurveModel::kEnvelope);
  EXPECT_EQ(p.traces[0].colour, (Rgb{0, 0, 255}));

  // The samples to save: only the checked curves, with their aligned indexes.
  const std::string csv = m.samplesCsv();
  EXPECT_EQ(csv.rfind("curve,index,amplitude\nenvelope,0,100\n", 0), 0u);
  EXPECT_EQ(csv.find("echo,"), std::string::npos);
  m.setChecked(PulseCurveModel::kEcho, true);
  const std::string both = m.samplesCsv();
  EXPECT_EQ(both.rfind("curve,index,amplitude\necho,", 0), 0u);
  const int levelIndex = static_cast<int>(std::trunc(m.indexOf(m.levelDistance())));
  EXPECT_NE(both.find("\necho," + std::to_string(levelIndex) + ",1000\n"), std::string::npos)
      << "the peak at the level index it was moved to";
  EXPECT_EQ(std::count(both.begin(), both.end(), '\n'), 1 + 2 * 120);
  m.setChecked(PulseCurveModel::kEcho, false);

  // In feet the labels are converted, with two decimals.
  m.setUnitsChoice(2);
  p = m.plot(client);
  EXPECT_EQ(p.axisCaption, "Feet");
  EXPECT_EQ(p.distanceLabels[1].text, "3.28");
}

}  // namespace
}  // namespace ostrel
