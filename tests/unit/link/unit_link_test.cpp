#include "core/link/unit_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/platform/clock.h"
#include "fake_cable_driver.h"

namespace ostrel {
namespace {

using test::ack;
using test::Bytes;
using test::FakeCableDriver;
using test::frame;

const Bytes kPing{0xA5, 0x01, 0x10, 0xB6, 0x00};

// Short listening so the slow identification paths run in well under a second.
UnitLink::Timing quick() {
  UnitLink::Timing t;
  t.listenMs = 400;
  return t;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

// ---------------------------------------------------------------------------

TEST(UnitLinkCables, ListsEveryMatchingCableAndClearsTheListOnlyOnAMatch) {
  FakeCableDriver d;
  d.cables = {{"10C4", "807F", "A1", "Linkbud USB Interface Cable", false},
              {"10c4", "807f", "A2", "Fob USB Device", false},
              {"10C4", "807F", "A3", "linkbud usb interface cable", false},  // case differs
              {"0403", "807F", "A4", "Linkbud USB Interface Cable", false},
              {"10C4", "807F", "A5", "Linkbud Broken", true}};
  UnitLink link(d);
  std::vector<std::string> list{"stale"};
  EXPECT_EQ(link.EnumerateCables(list, 0x10C4, 0x807F), 2);
  EXPECT_EQ(list, (std::vector<std::string>{"Linkbud USB Interface Cable", "Fob USB Device"}));

  d.cables = {{"10C4", "807F", "A3", "Some Other Adapter", false}};
  list = {"kept"};
  EXPECT_EQ(link.EnumerateCables(list, 0x10C4, 0x807F), 0);
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

TEST(UnitLinkCables, ReportsDriverProblemsAndUnsupportedPlatforms) {
  FakeCableDriver d;
  UnitLink link(d);
  std::vector<std::string> list;
  d.cables.clear();
  d.presentWithoutDriver = true;
  EXPECT_EQ(link.EnumerateCables(list, 0x10C4, 0x807F), UnitLink::kDriverNotServing);
  d.presentWithoutDriver = false;
  EXPECT_EQ(link.EnumerateCables(list, 0x10C4, 0x807F), 0);
  d.cables.push_back({});
  d.countFails = true;
  EXPECT_EQ(link.EnumerateCables(list, 0x10C4, 0x807F), 0);
  d.supported = false;
  EXPECT_EQ(link.EnumerateCables(list, 0x10C4, 0x807F), -1);
}

TEST(UnitLinkOpen, OpensOnlyTheLastCableWithTheTargetDescription) {
  FakeCableDriver d;
  d.cables = {{"10C4", "807F", "A1", "Linkbud", false},
              {"10C4", "807F", "A2", "Other", false},
              {"10C4", "807F", "A3", "Linkbud", false}};
  UnitLink link(d);
  link.SetTargetProduct("Linkbud");
  EXPECT_EQ(link.Open(), 0);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(d.openCalls(), 1);
  EXPECT_EQ(d.openedIndex, 2u);
  EXPECT_EQ(d.bauds(), std::vector<std::uint32_t>{9600});
  EXPECT_EQ(d.lineControl, 0x0800);
  EXPECT_EQ(d.readTimeout, 300u);
  EXPECT_EQ(d.writeTimeout, 100u);
  // Open on an open link does not touch the cable.
  EXPECT_EQ(link.Open(), 0);
  EXPECT_EQ(d.openCalls(), 1);
  link.Close();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(d.openHandles(), 0);
}

TEST(UnitLinkOpen, EachSetupFailureHasItsCode) {
  {
    FakeCableDriver d;
    UnitLink link(d);
    link.SetTargetProduct("Nothing like it");
    EXPECT_EQ(link.Open(), 1);
    EXPECT_EQ(d.openCalls(), 0);
  }
  {
    FakeCableDriver d;
    d.countFails = true;
    UnitLink link(d);
    link.SetTargetProduct("Linkbud USB Interface Cable");
    EXPECT_EQ(link.Open(), 1);
  }
  const auto openWith = [](int flow, int line, int timeouts) {
    FakeCableDriver d;
    d.flowStatus = flow;
    d.lineStatus = line;
    d.timeoutStatus = timeouts;
    UnitLink link(d);
    link.SetTargetProduct("Linkbud USB Interface Cable");
    const int r = link.Open();
    EXPECT_TRUE(link.IsOpen());  // left open for Connect to close
    return r;
  };
  EXPECT_EQ(openWith(kCableDeviceIoFailed, 0, 0), 3);
  EXPECT_EQ(openWith(0, kCableInvalidParameter, 0), 4);
  EXPECT_EQ(openWith(0, 0, kCableInvalidParameter), 5);
}

// ---------------------------------------------------------------------------

class UnitLinkConnect : public ::testing::Test {
 protected:
  UnitLinkConnect() : link(d, quick()) { link.SetTargetProduct("Linkbud USB Interface Cable"); }
  ~UnitLinkConnect() override { d.responder = nullptr; }

  FakeCableDriver d;
  UnitLink link;
};

TEST_F(UnitLinkConnect, UnitThatAnswersAtOnceNeedsNoBaudChange) {
  d.responder = [this](const Bytes& w) {
    if (w == kPing) d.push(ack(0x10));
  };
  EXPECT_EQ(link.Connect(), 0);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(d.bauds(), std::vector<std::uint32_t>{9600});
  EXPECT_FALSE(contains(d.written(), {0xA5, 0x05, 0x52}));
  // Connect on an open link returns at once.
  const auto writes = d.writes().size();
  EXPECT_EQ(link.Connect(), 0);
  EXPECT_EQ(d.writes().size(), writes);
}

TEST_F(UnitLinkConnect, UnitSilentAt9600AnsweringAt1200IsMovedTo9600) {
  std::atomic<bool> at1200{false};
  d.responder = [&](const Bytes& w) {
    const auto bauds = d.bauds();
    at1200 = !bauds.empty() && bauds.back() == 1200;
    if (w == kPing && at1200) d.push(ack(0x10));
    if (w.size() > 2 && w[2] == 0x52) d.push(ack(0x52));
  };
  EXPECT_EQ(link.Connect(), 0);
  EXPECT_EQ(d.bauds(), (std::vector<std::uint32_t>{9600, 1200, 9600}));
  const Bytes change{0xA5, 0x05, 0x52, 0x80, 0x25, 0x00, 0x00, 0xA1, 0x00};
  EXPECT_TRUE(contains(d.written(), change));
}

TEST_F(UnitLinkConnect, RefusedBaudChangeGives82AndClosesTheLink) {
  d.responder = [&](const Bytes& w) {
    const auto bauds = d.bauds();
    if (w == kPing && bauds.back() == 1200) d.push(ack(0x10));
    if (w.size() > 2 && w[2] == 0x52) d.push(ack(0x52, 3));
  };
  EXPECT_EQ(link.Connect(), UnitLink::kBaudChangeRefused);
  EXPECT_FALSE(link.IsOpen());
}

TEST_F(UnitLinkConnect, SilentUnitFailsWithMinusOneAndLeavesNothingRunning) {
  // Connect waits 1200 + 250 ms for the answer at 1200 baud while the
  // listening goes on for 1600 ms: it is still running when Connect gives up
  // and closes the cable, and must be stopped first.
  UnitLink::Timing t;
  t.listenMs = 1600;
  UnitLink slow(d, t);
  slow.SetTargetProduct("Linkbud USB Interface Cable");
  EXPECT_EQ(slow.Connect(), -1);
  EXPECT_FALSE(slow.IsOpen());
  EXPECT_EQ(d.openHandles(), 0);
  const auto writes = d.writes().size();
  sleepMs(250);
  // Neither the listener nor the pinger touched the cable after it closed.
  EXPECT_EQ(d.callsAfterClose(), 0);
  EXPECT_EQ(d.writes().size(), writes);
  // Both speeds were tried, pinging with command 0x10 and its pad.
  EXPECT_EQ(d.bauds(), (std::vector<std::uint32_t>{9600, 1200}));
  EXPECT_EQ(d.writes().front(), kPing);
}

TEST_F(UnitLinkConnect, RadarFramesNeedMoreThanThirtyBytes) {
  // 30 bytes of A5 A5 frames are not enough; the unit then answers normally.
  d.responder = [this](const Bytes& w) {
    static thread_local int pings = 0;
    if (w != kPing) return;
    if (++pings == 1) {
      Bytes burst;
      for (int i = 0; i < 5; ++i) burst.insert(burst.end(), {0xA5, 0xA5, 0x01, 0x02, 0x03, 0xFA});
      d.push(burst);
    } else {
      d.push(ack(0x10));
    }
  };
  EXPECT_EQ(link.Connect(), 0);
}

TEST_F(UnitLinkConnect, StreamingRadarIsWokenAndThenIdentified) {
  std::atomic<bool> awake{false};
  d.responder = [&](const Bytes& w) {
    if (w == Bytes{0xA5, 0xA5, 0x57, 0x00, 0x01, 0x00, 0xA8}) {
      d.push({0x00, 0xA5, 0xA5, 0x57, 0x11, 0x22});
    } else if (w == Bytes{0xA5, 0xA5, 0x4C, 0x00, 0x01, 0x00, 0xB3}) {
      d.push({0xA5, 0xA5, 0x4C, 0x01});
      awake = true;
    } else if (w == kPing) {
      if (awake) {
        d.push(ack(0x10));
      } else {
        Bytes burst;
        for (int i = 0; i < 6; ++i) burst.insert(burst.end(), {0xA5, 0xA5, 0x10, 0x20, 0x30, 0xA0});
        d.push(burst);
      }
    }
  };
  EXPECT_EQ(link.Connect(), 0);
  EXPECT_TRUE(awake);
}

TEST_F(UnitLinkConnect, RadarThatIgnoresTheWakeFramesFailsWithMinusTwo) {
  d.responder = [&](const Bytes& w) {
    if (w == kPing) {
      Bytes burst;
      for (int i = 0; i < 6; ++i) burst.insert(burst.end(), {0xA5, 0xA5, 0x10, 0x20, 0x30, 0xA0});
      d.push(burst);
    }
  };
  UnitLink::Timing t = quick();
  t.wakeReplyMs = 30;
  UnitLink fast(d, t);
  fast.SetTargetProduct("Linkbud USB Interface Cable");
  EXPECT_EQ(fast.Connect(), -2);
  EXPECT_FALSE(fast.IsOpen());
  // Four tries of each wake frame.
  int first = 0;
  int second = 0;
  for (const Bytes& w : d.writes()) {
    if (w == Bytes{0xA5, 0xA5, 0x57, 0x00, 0x01, 0x00, 0xA8}) ++first;
    if (w == Bytes{0xA5, 0xA5, 0x4C, 0x00, 0x01, 0x00, 0xB3}) ++second;
  }
  EXPECT_EQ(first, 4);
  EXPECT_EQ(second, 4);
}

TEST_F(UnitLinkConnect, AcknowledgementIsFoundBeyondAFullCapture) {
  d.responder = [this](const Bytes& w) {
    static thread_local bool sent = false;
    if (w != kPing || sent) return;
    sent = true;
    Bytes noise(6000, 0x33);
    const Bytes a = ack(0x10);
    noise.insert(noise.end(), a.begin(), a.end());
    d.push(noise);
  };
  EXPECT_EQ(link.Connect(), 0);
}

TEST_F(UnitLinkConnect, VanishingDeviceEndsTheListeningAtOnce) {
  d.queueCheckFails = true;
  const std::uint64_t start = tickCount();
  EXPECT_EQ(link.Connect(), -1);
  EXPECT_LT(tickCount() - start, 1000u);
}

TEST(UnitLinkService, DestroyingTheLinkDuringAListeningDoesNotWaitItOut) {
  FakeCableDriver d;
  const std::uint64_t start = tickCount();
  {
    UnitLink link(d);  // the full 8 s listening
    link.SetTargetProduct("Linkbud USB Interface Cable");
    ASSERT_EQ(link.Open(), 0);
    std::thread caller([&] { link.RequestIdentify(8000); });
    sleepMs(150);
    link.StopServiceThread();
    caller.join();
  }
  EXPECT_LT(tickCount() - start, 2000u);
}

TEST(UnitLinkService, AStopBeforeTheRequestIsTakenStillAnswersTheCaller) {
  // The caller and the stop race for the service thread; whichever wins, the
  // caller hears back at once instead of waiting out its time-out.
  FakeCableDriver d;
  UnitLink::Timing t = quick();
  t.pingIntervalMs = 5;
  t.afterListenMs = 0;
  t.settleMs = 0;
  for (int round = 0; round < 100; ++round) {
    UnitLink link(d, t);
    link.SetTargetProduct("Linkbud USB Interface Cable");
    ASSERT_EQ(link.Open(), 0);
    link.StartServiceThread();
    std::atomic<std::uint64_t> waited{0};
    std::thread caller([&] {
      const std::uint64_t start = tickCount();
      link.RequestIdentify(3000);
      waited = tickCount() - start;
    });
    link.StopServiceThread();
    caller.join();
    ASSERT_LT(waited.load(), 1000u) << "round " << round;
  }
}

// ---------------------------------------------------------------------------

class UnitLinkFrames : public ::testing::Test {
 protected:
  UnitLinkFrames() : link(d) {
    link.SetTargetProduct("Linkbud USB Interface Cable");
    EXPECT_EQ(link.Open(), 0);
  }
  FakeCableDriver d;
  UnitLink link;
};

TEST_F(UnitLinkFrames, CommandIsFramedWithCheckAndPad) {
  d.answerNextWrite(ack(0x31));
  std::uint8_t f[8] = {0, 0, 0, 0x01, 0x00};
  EXPECT_EQ(link.SendCommand(3, 0x31, f), 0);
  EXPECT_EQ(d.writes().back(), (Bytes{0xA5, 0x03, 0x31, 0x01, 0x00, 0xDA, 0x00}));
  d.answerNextWrite(ack(0x10));
  EXPECT_EQ(link.Command(0x10, {}), 0);
  EXPECT_EQ(d.writes().back(), (Bytes{0xA5, 0x01, 0x10, 0xB6, 0x00}));
}

TEST_F(UnitLinkFrames, AcknowledgementResults) {
  d.answerNextWrite({0xA5, 0x03, 0x2F, 0x31, 0x05, 0x0D});
  EXPECT_EQ(link.Command(0x31, {1, 0}), 5);
  d.answerNextWrite(frame(0x10, {}));  // a ready frame is no acknowledgement
  EXPECT_EQ(link.Command(0x31, {1, 0}), UnitLink::kNoAcknowledgement);
  d.answerNextWrite(frame(0x30, {0x31, 0x00}));
  EXPECT_EQ(link.Command(0x31, {1, 0}), UnitLink::kNotAnAcknowledgement);
  d.answerNextWrite(ack(0x32));
  EXPECT_EQ(link.Command(0x31, {1, 0}), UnitLink::kOtherCommandAcknowledged);
  // Bytes left from an earlier answer are discarded before the command goes
  // out, so they cannot pass for its acknowledgement.
  d.push(ack(0x33));
  EXPECT_EQ(link.Command(0x33, {}), UnitLink::kNoAcknowledgement);
}

TEST_F(UnitLinkFrames, EraseCommandWaitsASecondBeforeLookingForItsAcknowledgement) {
  d.responder = [this](const Bytes& w) {
    if (w.size() > 2 && w[2] == 0x17) d.push(ack(0x17));
  };
  const std::uint64_t start = tickCount();
  EXPECT_EQ(link.Command(0x17, {}), 0);
  EXPECT_GE(tickCount() - start, 1000u);
  d.responder = nullptr;
}

TEST_F(UnitLinkFrames, StartByteBudgetIsTwentyFiveReads) {
  std::uint8_t buf[100];
  Bytes junk(23, 0x5A);
  Bytes f = frame(0x10, {});
  junk.insert(junk.end(), f.begin(), f.end());
  d.push(junk);
  EXPECT_EQ(link.ReadFrame(buf, 0), 4);

  junk.assign(24, 0x5A);
  junk.insert(junk.end(), f.begin(), f.end());
  d.push(junk);
  EXPECT_EQ(link.ReadFrame(buf, 0), -1);  // the 25th read brought A5, too late
}

TEST_F(UnitLinkFrames, FrameEndsAtItsLengthAndLeavesTheNextOneQueued) {
  std::uint8_t buf[100];
  Bytes two = ack(0x31);
  two.push_back(0x00);  // a pad byte
  EXPECT_EQ(two.size(), 7u);
  d.push(two);
  EXPECT_EQ(link.ReadFrame(buf, 7), 6);

  // An acknowledgement followed at once by a block's data frame.
  d.push(ack(0x31));
  Bytes block{0xA5, 0x42, 0x01, 0x00};
  block.insert(block.end(), 64, 0x42);
  unsigned sum = 0;
  for (std::uint8_t b : block) sum += b;
  block.push_back(static_cast<std::uint8_t>(sum));
  d.push(block);
  EXPECT_EQ(link.ReadFrame(buf, 7), 6);
  EXPECT_EQ(d.queued(), 69u);
  EXPECT_EQ(link.ReadFrame(buf, 100), 69);
  EXPECT_EQ(buf[68], block[68]);
}

TEST_F(UnitLinkFrames, MissingAndTruncatedFrames) {
  std::uint8_t buf[100];
  std::uint64_t start = tickCount();
  EXPECT_EQ(link.ReadFrame(buf, 0), -1);
  EXPECT_GE(tickCount() - start, 1000u);
  d.push({0xA5, 0x42, 0x01});
  start = tickCount();
  EXPECT_EQ(link.ReadFrame(buf, 0), -2);
  EXPECT_GE(tickCount() - start, 1000u);
  // A frame longer than the buffer returns what the buffer took.
  d.push({0xA5, 0x42, 1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(link.ReadFrame(buf, 5), 5);
}

TEST_F(UnitLinkFrames, StreamFramesAreCopiedWithTheirSumVerdict) {
  std::vector<std::pair<int, std::array<std::uint8_t, 6>>> seen;
  d.push({0x77, 0x77});  // stale bytes: discarded when the stream starts
  std::thread worker([&] {
    link.MonitorStream([&](int code, const std::array<std::uint8_t, 6>& f) {
      seen.emplace_back(code, f);
      if (seen.size() == 2) link.StopStream();
    });
  });
  while (!link.StreamRunning()) sleepMs(1);
  sleepMs(30);
  d.push(
      {0x00, 0x13, 0xA5, 0xA5, 0x01, 0x02, 0x03, 0x04, 0xA5, 0xA5, 0x01, 0x02, 0x03, 0xFA, 0xA5});
  worker.join();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, -6);
  EXPECT_EQ(seen[1].first, 6);
  EXPECT_EQ(seen[1].second, (std::array<std::uint8_t, 6>{0xA5, 0xA5, 0x01, 0x02, 0x03, 0xFA}));
  EXPECT_FALSE(link.StreamRunning());
}

TEST_F(UnitLinkFrames, WriteBytesReportsAClosedCable) {
  const Bytes b{1, 2, 3};
  EXPECT_EQ(link.WriteBytes(b.data(), 3), 0);
  link.Close();
  EXPECT_EQ(link.WriteBytes(b.data(), 3), kCableInvalidHandle);
}

}  // namespace
}  // namespace ostrel
