// The live page's frame rules: states, both displays, lamps and the
// distance display for distance, volume and flow outputs.
#include "core/diag/live_display_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "diag_test_records.h"

namespace ostrel {
namespace {

using Frame = LiveDisplayModel::Frame;

// A frame with a good sum for raw and b4.
Frame frame(unsigned raw, std::uint8_t b4) {
  Frame f{0xA5, 0xA5, static_cast<std::uint8_t>(raw & 0xFF), static_cast<std::uint8_t>(raw >> 8),
          b4, 0};
  f[5] = static_cast<std::uint8_t>(0x100 - ((f[2] + f[3] + f[4]) & 0xFF));
  return f;
}

class Views final : public LiveDisplayView {
 public:
  void changed(LivePart part) override { parts.push_back(part); }
  std::vector<LivePart> parts;
};

struct LivePage : test::DiagRecords {
  LivePage() { model.setView(&view); }
  void start() {
    ASSERT_TRUE(model.activate(false));
    model.streamStarted(0);
  }
  LiveDisplayModel model{records, config, volume, rows};
  Views view;
};

TEST(LiveDisplay, DistanceOutputFrameGivesLevelDistanceAndLamps) {
  LivePage p;
  p.start();
  const Frame f{0xA5, 0xA5, 0x64, 0x00, 0x05, 0x97};
  ASSERT_TRUE(p.model.frame(6, f));
  EXPECT_EQ(p.model.state(), LiveDisplayModel::State::Measurement);
  EXPECT_EQ(p.model.levelText(), "00009.0");
  EXPECT_EQ(p.model.distanceText(), "00001.0");
  EXPECT_TRUE(p.model.distanceShown());
  EXPECT_EQ(p.model.litRelays(), (std::vector<int>{1, 3}));
  EXPECT_EQ(p.model.unitsText(), "Feet");
  EXPECT_EQ(p.model.activityFlashes(), 1);

  // raw 0, 1, 2: the states, with the distance display's own rule for each.
  p.model.frame(6, frame(0, 0x01));
  EXPECT_EQ(p.model.levelText(), "LOST");
  EXPECT_EQ(p.model.distanceText(), "00000.0");
  EXPECT_EQ(p.model.litRelays(), (std::vector<int>{1}));
  p.model.frame(6, frame(1, 0));
  EXPECT_EQ(p.model.levelText(), "FULL");
  EXPECT_EQ(p.model.distanceText(), "00001.5") << "SENSORHEIGHT - FILLHEIGHT";
  p.model.frame(6, frame(2, 0));
  EXPECT_EQ(p.model.levelText(), "EMPTY");
  EXPECT_EQ(p.model.distanceText(), "00010.0") << "SENSORHEIGHT";
  EXPECT_EQ(p.model.state(), LiveDisplayModel::State::Empty);
  EXPECT_EQ(p.model.litRelays(), std::vector<int>{});
}

TEST(LiveDisplay, BadSumFlashesButChangesNoDisplay) {
  LivePage p;
  p.start();
  ASSERT_TRUE(p.model.frame(6, frame(100, 0x05)));
  Frame corrupted = frame(900, 0x0A);
  corrupted[5] ^= 0x01;
  p.view.parts.clear();
  EXPECT_FALSE(p.model.frame(-6, corrupted));
  EXPECT_EQ(p.model.levelText(), "00009.0");
  EXPECT_EQ(p.model.distanceText(), "00001.0");
  EXPECT_EQ(p.model.litRelays(), (std::vector<int>{1, 3}));
  EXPECT_EQ(p.view.parts, std::vector<LivePart>{LivePart::Activity});
  EXPECT_EQ(p.model.activityFlashes(), 2);

  // In maker mode the bad frame is named in the status line; a good one
  // shows its bytes there.
  p.model.setMakerMode(true);
  p.model.frame(-6, corrupted);
  EXPECT_EQ(p.model.statusLine(), "ERROR_MESSAGE115");
  EXPECT_EQ(p.model.levelText(), "00009.0");
  p.model.frame(6, Frame{0xA5, 0xA5, 0x64, 0x00, 0x05, 0x97});
  EXPECT_EQ(p.model.statusLine(), "A5 A5 64 00 05 97 ");
}

TEST(LiveDisplay, FramesOutsideTheStreamAndSampleModeAreIgnored) {
  LivePage p;
  EXPECT_FALSE(p.model.activate(true));
  EXPECT_EQ(p.model.statusLine(), "STATUS_MESSAGE28");
  EXPECT_FALSE(p.model.frame(6, frame(100, 1)));
  EXPECT_EQ(p.model.activityFlashes(), 0);

  p.start();
  p.model.streamStopped();
  EXPECT_FALSE(p.model.frame(6, frame(100, 1)));
  EXPECT_EQ(p.model.levelText(), "00000.0");

  // A link that would not open is shown, and frames still count.
  p.model.activate(false);
  p.model.streamStarted(-1);
  EXPECT_EQ(p.model.statusLine(), "ERROR_MESSAGE63");
  EXPECT_TRUE(p.model.statusIsError());
  EXPECT_TRUE(p.model.frame(6, frame(100, 1)));
}

TEST(LiveDisplay, InvertDemoStatesComeFromTheStateBits) {
  LivePage p;
  p.records.Database.InvertDemo = 1;
  p.volume.Scale = 0.5f;
  p.start();
  // raw 4 table counts of 0.5: 2 units; the complement to the sensor height.
  p.model.frame(6, frame(4, 0x30));
  EXPECT_EQ(p.model.state(), LiveDisplayModel::State::Measurement);
  EXPECT_EQ(p.model.levelText(), "00002.0");
  EXPECT_EQ(p.model.distanceText(), "00008.0");
  // raw 0, 1, 2 are plain counts for these models; only the bits decide.
  p.model.frame(6, frame(1, 0x30));
  EXPECT_EQ(p.model.levelText(), "00000.5");
  p.model.frame(6, frame(4, 0x10));
  EXPECT_EQ(p.model.levelText(), "FULL");
  p.model.frame(6, frame(4, 0x20));
  EXPECT_EQ(p.model.levelText(), "EMPTY");
  p.model.frame(6, frame(4, 0x02));
  EXPECT_EQ(p.model.levelText(), "LOST");
  EXPECT_EQ(p.model.litRelays(), std::vector<int>{2});
}

TEST(LiveDisplay, VolumeAndFlowOutputsHideTheDistance) {
  // A strapping table (class 7) in a volume unit: the full value is the
  // last row's volume.
  {
    LivePage p;
    p.config.outputUnits = 40;
    p.config.shapeCode = 0x0700;
    p.rows.RowCount = 2;
    p.rows.Volumes[1] = 500.0f;
    p.start();
    EXPECT_FALSE(p.model.distanceShown());
    // Without INVERTDEMO the level shows, whatever the output.
    p.model.frame(6, frame(300, 0));
    EXPECT_EQ(p.model.levelText(), "00007.0");
    p.model.frame(6, frame(2, 0));
    EXPECT_EQ(p.model.distanceText(), "00500.0") << "EMPTY: the full volume";
    p.model.frame(6, frame(1, 0));
    EXPECT_EQ(p.model.distanceText(), "00000.0") << "FULL of a volume output";

    p.records.Database.InvertDemo = 1;
    p.volume.Scale = 2.0f;
    p.model.frame(6, frame(100, 0x30));
    EXPECT_EQ(p.model.levelText(), "00200.0") << "raw x Scale";
    EXPECT_EQ(p.model.distanceText(), "00300.0") << "full - value";
  }
  // A weir (class 32 and above): the complement is to the flow at D1.
  {
    LivePage p;
    p.config.outputUnits = 70;
    p.config.shapeCode = 0x2000;
    p.records.Database.InvertDemo = 1;
    p.volume.Scale = 1.0f;
    p.start();
    const double full = p.volume.FlowAt(0x2000, p.volume.Dimensions[1]);
    p.model.frame(6, frame(2, 0x20));
    EXPECT_EQ(p.model.distanceText(), LiveDisplayModel::displayNumber(full));
    p.model.frame(6, frame(10, 0x30));
    EXPECT_EQ(p.model.levelText(), "00010.0");
    EXPECT_EQ(p.model.distanceText(), LiveDisplayModel::displayNumber(full - 10.0));
  }
}

}  // namespace
}  // namespace ostrel
