#include "core/link/pulse_protocol.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/link/unit_link.h"
#include "core/platform/clock.h"
#include "fake_cable_driver.h"
#include "test_support.h"

namespace ostrel {
namespace {

using test::Bytes;
using test::FakeCableDriver;

// A parameter message as the unit sends it back: FE, type, M, 0, sum, 1,
// parameter, value, sum.
Bytes replyMessage(char type, std::uint16_t parameter, const Bytes& value) {
  const std::size_t m = 10 + value.size();
  Bytes p{0xFE, static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(m & 0xFF),
          static_cast<std::uint8_t>(m >> 8), 0x00};
  unsigned s = 0;
  for (std::uint8_t b : p) s += b;
  p.push_back(static_cast<std::uint8_t>(s));
  p.push_back(0x01);
  p.push_back(static_cast<std::uint8_t>(parameter & 0xFF));
  p.push_back(static_cast<std::uint8_t>(parameter >> 8));
  p.insert(p.end(), value.begin(), value.end());
  s = 0;
  for (std::uint8_t b : p) s += b;
  p.push_back(static_cast<std::uint8_t>(s));
  return p;
}

// A HART acknowledge frame around a payload: long frame with one expansion
// byte (0xA6), or the short frame (0x06) of a command-0 reply.
Bytes hartReply(const Bytes& payload, bool shortFrame = false, std::uint8_t xorError = 0) {
  const std::size_t count = payload.size() + 2;
  Bytes h{0xFF, 0xFF, 0xFF};
  const std::size_t d = h.size();
  if (shortFrame) {
    h.insert(h.end(), {0x06, 0x80, 0x00, static_cast<std::uint8_t>(count)});
  } else {
    h.insert(h.end(), {0xA6, 0x3A, 0x51, 0x00, 0x01, 0x02, static_cast<std::uint8_t>(count >> 8),
                       0x80, static_cast<std::uint8_t>(count & 0xFF)});
  }
  h.push_back(0x00);  // response code
  h.push_back(0x00);  // device status
  h.insert(h.end(), payload.begin(), payload.end());
  std::uint8_t x = 0;
  for (std::size_t i = d; i < h.size(); ++i) x ^= h[i];
  h.push_back(static_cast<std::uint8_t>(x ^ xorError));
  return h;
}

Bytes commandZeroPayload() { return {254, 0xF8, 0x51, 5, 5, 1, 2, 3, 0, 0x00, 0x01, 0x02, 0, 0}; }

TEST(PulseMessages, CommandZeroTunnelFrameByteForByte) {
  PulseProtocol p;
  EXPECT_EQ(PulseProtocol::TunnelFrame(p.CommandZeroRequest()),
            (Bytes{0xA5, 0x0C, 0x60, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00,
                   0x82, 0x10}));
}

TEST(PulseMessages, ParameterMessagesForAReadAndAWrite) {
  EXPECT_EQ(PulseProtocol::ParameterMessage(0x111, nullptr, 0),
            (Bytes{0xFE, 0x47, 0x0A, 0x00, 0x00, 0x4F, 0x00, 0x11, 0x01, 0xB0}));
  const std::uint8_t three = 3;
  EXPECT_EQ(PulseProtocol::ParameterMessage(0x502, &three, 1),
            (Bytes{0xFE, 0x53, 0x0B, 0x00, 0x00, 0x5C, 0x00, 0x02, 0x05, 0x03, 0xC2}));
  // The long request carries the expansion byte (high byte of M) and the byte count.
  PulseProtocol p;
  const Bytes request = p.CommandRequest(PulseProtocol::ParameterMessage(0x111, nullptr, 0));
  ASSERT_GE(request.size(), 14u);
  EXPECT_EQ(request[5], 0xA2);
  EXPECT_EQ(request[11], 0x00);  // expansion
  EXPECT_EQ(request[12], 128);
  EXPECT_EQ(request[13], 10);
  std::uint8_t x = 0;
  for (std::size_t i = 5; i < request.size(); ++i) x ^= request[i];
  EXPECT_EQ(x, 0);
}

class PulseParse : public ::testing::Test {
 protected:
  int parse(const Bytes& reply, std::uint16_t asked) {
    return protocol.ParseReply(reply.data(), reply.size(), asked);
  }
  PulseProtocol protocol;
};

TEST_F(PulseParse, ExpectedLengthNeedsTheDelimiterAndTheCount) {
  const Bytes reply = hartReply(replyMessage('G', 0x111, {0, 0, 0xC0, 0x40}));
  for (std::size_t held = 0; held < 12; ++held) {  // the byte count stands at 11
    EXPECT_EQ(PulseProtocol::ExpectedLength(reply.data(), held), 0u) << held;
  }
  EXPECT_EQ(PulseProtocol::ExpectedLength(reply.data(), reply.size()), reply.size());
  const Bytes noise{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02};
  EXPECT_EQ(PulseProtocol::ExpectedLength(noise.data(), noise.size()), 0u);
}

TEST_F(PulseParse, ReadReplyStoresTheValue) {
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x111, {0x00, 0x00, 0xC0, 0x40})), 0x111), 0);
  EXPECT_FLOAT_EQ(protocol.Parameters().SensorHeight, 6.0f);
  EXPECT_EQ(parse(hartReply(replyMessage('G', 4, {0x53})), 4), 0);
  EXPECT_EQ(protocol.Parameters().SensorType, 2);  // sent as 0x51 + type
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x12, {0x03})), 0x12), 0);
  EXPECT_EQ(protocol.Parameters().Parameter12, 2);
  EXPECT_EQ(parse(hartReply(replyMessage('S', 0x502, {})), 0x502), 0);
}

TEST_F(PulseParse, EveryResultCodeOfTheParseRules) {
  EXPECT_EQ(parse(hartReply(replyMessage('E', 0x111, {})), 0x111), PulseProtocol::kUnknownCommand);
  EXPECT_EQ(PulseProtocol::ErrorName(PulseProtocol::kUnknownCommand), "Unknown command");
  EXPECT_EQ(parse(hartReply(replyMessage('M', 0x111, {})), 0x111), PulseProtocol::kInvalidValue);
  EXPECT_EQ(parse(hartReply(replyMessage('Q', 0x111, {})), 0x111), PulseProtocol::kUnknownResponse);
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x111, {1, 2, 3, 4}), false, 0x10), 0x111),
            PulseProtocol::kZeroSumCheck);

  Bytes message = replyMessage('G', 0x111, {1, 2, 3, 4});
  message.back() ^= 1;  // parameter sum
  EXPECT_EQ(parse(hartReply(message), 0x111), PulseProtocol::kChecksum);

  message = replyMessage('G', 0x111, {1, 2, 3, 4});
  message[2] += 1;  // message length differs from the payload
  message[5] += 1;  // header sum kept right
  message.back() = 0;
  unsigned s = 0;
  for (std::size_t i = 0; i + 1 < message.size(); ++i) s += message[i];
  message.back() = static_cast<std::uint8_t>(s);
  EXPECT_EQ(parse(hartReply(message), 0x111), PulseProtocol::kTimeout);

  for (std::size_t at : {std::size_t{0}, std::size_t{4}, std::size_t{6}}) {
    message = replyMessage('S', 0x502, {});
    message[at] ^= 0x01;
    s = 0;
    for (std::size_t i = 0; i + 1 < message.size(); ++i) s += message[i];
    message.back() = static_cast<std::uint8_t>(s);
    EXPECT_EQ(parse(hartReply(message), 0x502), PulseProtocol::kBadFormat) << at;
  }
}

TEST_F(PulseParse, CurvesAreKeptEvenWhenTheirCheckFails) {
  Bytes curve(480);
  for (std::size_t i = 0; i < curve.size(); ++i) curve[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x991, curve), false, 0x55), 0x991), 0);
  EXPECT_EQ(protocol.Parameters().EchoCurve.Count, 480);
  EXPECT_EQ(protocol.Parameters().EchoCurve.Bytes[479], static_cast<std::uint8_t>(479));
  EXPECT_EQ(protocol.Parameters().EchoCurve.Bytes[480], 0);
}

TEST_F(PulseParse, CommandZeroReplySetsTheLongAddress) {
  EXPECT_EQ(parse(hartReply(commandZeroPayload(), true), 0), 0);
  EXPECT_EQ(protocol.LongAddress(), (std::array<std::uint8_t, 5>{0x38, 0x51, 0x00, 0x01, 0x02}));
}

TEST_F(PulseParse, LateReplyForAnotherParameterIsNotTaken) {
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x113, {0, 0, 0xA0, 0x40})), 0x111),
            PulseProtocol::kStaleReply);
  EXPECT_FLOAT_EQ(protocol.Parameters().FillHeight, 0.0f);
}

TEST_F(PulseParse, TextsAreBoundedClearedAndStopAtTheirZero) {
  Bytes longSerial(40, '7');
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x51, longSerial)), 0x51), 0);
  EXPECT_EQ(protocol.Parameters().SerialNumber, std::string(28, '7'));
  EXPECT_EQ(parse(hartReply(replyMessage('G', 0x51, {'4', '2', 0, 'x'})), 0x51), 0);
  EXPECT_EQ(protocol.Parameters().SerialNumber, "42");  // nothing left of the first one
}

TEST_F(PulseParse, ShortPayloadsNeverReadPastTheReply) {
  // A read reply with a message too short to hold a value.
  Bytes message = replyMessage('G', 0x111, {});
  message.resize(9);
  EXPECT_NE(parse(hartReply(message), 0x111), 0);
  EXPECT_NE(parse(hartReply({0xFE}), 0x111), 0);
  EXPECT_NE(parse(hartReply({}), 0x111), 0);
  EXPECT_NE(parse(hartReply({254, 0xF8, 1}, true), 0), 0);

  // A curve's nine-byte message, one byte short of an empty value, with a
  // bad check: taken as a curve, it must still be refused for its length.
  Bytes curve = replyMessage('G', 0x991, {});
  curve.resize(9);
  EXPECT_EQ(parse(hartReply(curve, false, 0x20), 0x991), PulseProtocol::kTimeout);
  EXPECT_EQ(protocol.Parameters().EchoCurve.Count, 0);
}

// ---------------------------------------------------------------------------

// A radar behind the fake cable: answers each tunnel frame with a reply the
// test decides.
class PulseExchange : public ::testing::Test {
 protected:
  PulseExchange() : link(d) {
    link.SetTargetProduct("Linkbud USB Interface Cable");
    EXPECT_EQ(link.Open(), 0);
    d.responder = [this](const Bytes& w) {
      if (w.size() < 5 || w[2] != 0x60) return;
      ++requests;
      const Bytes message(w.begin() + 4 + 14, w.end() - 2);  // after the long header
      const std::uint16_t parameter = static_cast<std::uint16_t>(message[7] | message[8] << 8);
      asked.push_back(parameter);
      if (answer) d.push(answer(parameter, message));
    };
  }
  ~PulseExchange() override { d.responder = nullptr; }

  FakeCableDriver d;
  UnitLink link;
  PulseProtocol protocol;
  std::function<Bytes(std::uint16_t, const Bytes&)> answer;
  std::vector<std::uint16_t> asked;
  int requests = 0;
};

TEST_F(PulseExchange, SetIsTakenInAscendingOrderWithProgress) {
  answer = [](std::uint16_t parameter, const Bytes& message) {
    return hartReply(message[1] == 'S' ? replyMessage('S', parameter, {})
                                       : replyMessage('G', parameter, {7}));
  };
  PulseCfgSet set{{0x111, PulseCfgItem::real(4.5f)},
                  {5, PulseCfgItem::byte(1)},
                  {0x800, PulseCfgItem::real(0.25f)},
                  {2, PulseCfgItem::read()}};
  test::RecordingProgress busy;
  busy.setProgress(20);
  ASSERT_EQ(protocol.ExchangeSet(link, set, &busy, nullptr), 0);
  EXPECT_EQ(asked, (std::vector<std::uint16_t>{2, 5, 0x111, 0x800}));
  // 20 -> 40 -> 60 -> 80 -> 100: an equal share of what is left per item.
  EXPECT_EQ(busy.steps, (std::vector<int>{20, 40, 60, 80, 100}));
  EXPECT_FLOAT_EQ(protocol.Parameters().SensorHeight, 4.5f);
  EXPECT_FLOAT_EQ(protocol.Parameters().Deadband, 0.25f);
  EXPECT_EQ(protocol.Parameters().UnitsOfMeasurement, 1);
  EXPECT_EQ(protocol.Parameters().TypeOfMedium, 7);
}

TEST_F(PulseExchange, EachItemGetsTwoAttemptsAndTheSetStopsAtTheFirstDoubleFailure) {
  std::map<std::uint16_t, int> tries;
  answer = [&](std::uint16_t parameter, const Bytes&) {
    ++tries[parameter];
    if (parameter == 5 && tries[5] == 1) return hartReply(replyMessage('M', 5, {}));
    if (parameter == 6) return hartReply(replyMessage('E', 6, {}));
    return hartReply(replyMessage('G', parameter, {1}));
  };
  PulseCfgSet set{{5, {}}, {6, {}}, {0x111, {}}};
  EXPECT_EQ(protocol.ExchangeSet(link, set, nullptr, nullptr), PulseProtocol::kUnknownCommand);
  EXPECT_EQ(tries[5], 2);
  EXPECT_EQ(tries[6], 2);
  EXPECT_EQ(tries.count(0x111), 0u);
  EXPECT_EQ(protocol.LastFailingParameter(), 6);
  EXPECT_EQ(PulseProtocol::CommandName(protocol.LastFailingParameter()), "Max Range");
}

TEST_F(PulseExchange, LateReplyBeforeTheRightOneIsSkipped) {
  answer = [](std::uint16_t parameter, const Bytes&) {
    Bytes both = hartReply(replyMessage('G', 0x113, {0, 0, 0xA0, 0x40}));
    const Bytes mine = hartReply(replyMessage('G', parameter, {0, 0, 0xC0, 0x40}));
    both.insert(both.end(), mine.begin(), mine.end());
    return both;
  };
  std::uint8_t none = 0;
  EXPECT_EQ(protocol.Exchange(link, 0x111, &none, 0), 0);
  EXPECT_FLOAT_EQ(protocol.Parameters().SensorHeight, 6.0f);
  EXPECT_FLOAT_EQ(protocol.Parameters().FillHeight, 0.0f);
}

TEST_F(PulseExchange, CurveLongerThanItsAreaIsCut) {
  // 2100 value bytes: the byte count needs its expansion byte, and the
  // curve keeps its first 2048 without touching the curve stored after it.
  Bytes envelope(300, 0x7E);
  answer = [&](std::uint16_t parameter, const Bytes&) {
    if (parameter == 0x993) return hartReply(replyMessage('G', 0x993, envelope));
    Bytes curve(2100);
    for (std::size_t i = 0; i < curve.size(); ++i) curve[i] = static_cast<std::uint8_t>(i % 251);
    return hartReply(replyMessage('G', parameter, curve));
  };
  ASSERT_EQ(protocol.ReadCurve(link, 0x993), 0);
  ASSERT_EQ(protocol.ReadCurve(link, 0x992), 0);
  const PulseCurve& cut = protocol.Parameters().FalseEchoCurve;
  EXPECT_EQ(cut.Count, PulseCurve::kCapacity);
  EXPECT_EQ(cut.Bytes[2047], 2047 % 251);
  EXPECT_EQ(protocol.Parameters().Envelope.Count, 300);
  EXPECT_EQ(protocol.Parameters().Envelope.Bytes[0], 0x7E);
}

TEST_F(PulseExchange, EndlessNoiseFillsTheBufferAndTimesOut) {
  answer = [](std::uint16_t, const Bytes&) { return Bytes(5000, 0xA5); };
  std::uint8_t none = 0;
  const std::uint64_t start = tickCount();
  EXPECT_EQ(protocol.Exchange(link, 0x111, &none, 0), PulseProtocol::kTimeout);
  EXPECT_LT(tickCount() - start, 2000u);  // a full buffer ends the wait
  EXPECT_EQ(protocol.LastFailingParameter(), 0x111);
}

TEST_F(PulseExchange, UniqueIdentifierAndDetection) {
  answer = [](std::uint16_t, const Bytes&) { return Bytes{}; };
  d.responder = [this](const Bytes& w) {
    if (w.size() > 2 && w[2] == 0x60) d.push(hartReply(commandZeroPayload(), true));
    if (w.size() > 2 && w[2] == 0x40) {
      Bytes answerFrame = test::ack(0x40);
      const Bytes text = test::frame(0x40, {'K', 'M', '7', '0', ' ', 'p', 'U', 'l', 's', 'E', 0});
      answerFrame.insert(answerFrame.end(), text.begin(), text.end());
      d.push(answerFrame);
    }
  };
  EXPECT_TRUE(protocol.DetectPulse(link));
  EXPECT_TRUE(protocol.IsPulse());
  EXPECT_EQ(protocol.ReadUniqueIdentifier(link), 0);
  EXPECT_EQ(protocol.LongAddress()[0], 0x38);
  EXPECT_EQ(d.writes().back(), (Bytes{0xA5, 0x0C, 0x60, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02,
                                      0x80, 0x00, 0x00, 0x82, 0x10}));
  d.responder = [this](const Bytes& w) {
    if (w.size() > 2 && w[2] == 0x40) {
      Bytes answerFrame = test::ack(0x40);
      const Bytes text = test::frame(0x40, {'K', 'M', '3', '0', 0, 'P', 'U', 'L', 'S', 'E'});
      answerFrame.insert(answerFrame.end(), text.begin(), text.end());
      d.push(answerFrame);
    }
  };
  // "PULSE" after the text's end does not count.
  EXPECT_FALSE(protocol.DetectPulse(link));

  // A text that fills the whole frame buffer without a zero: only the bytes
  // received are read.
  d.responder = [this](const Bytes& w) {
    if (w.size() > 2 && w[2] == 0x40) {
      Bytes answerFrame = test::ack(0x40);
      Bytes text(200, 'x');
      const std::string radar = "KM70 PULSE RADAR";
      std::copy(radar.begin(), radar.end(), text.begin() + 80);
      const Bytes f = test::frame(0x40, text);
      answerFrame.insert(answerFrame.end(), f.begin(), f.end());
      d.push(answerFrame);
    }
  };
  EXPECT_TRUE(protocol.DetectPulse(link));
}

TEST(PulseNames, TablesAndUnknownKeys) {
  EXPECT_EQ(PulseProtocol::ErrorName(-1), "Timeout");
  EXPECT_EQ(PulseProtocol::ErrorName(-104), "Unknown respone type");
  EXPECT_EQ(PulseProtocol::ErrorName(2), "");
  EXPECT_EQ(PulseProtocol::CommandName(0), "Command Zero");
  EXPECT_EQ(PulseProtocol::CommandName(0x993), "Envelop");
  EXPECT_EQ(PulseProtocol::CommandName(0x110), "");
}

}  // namespace
}  // namespace ostrel
