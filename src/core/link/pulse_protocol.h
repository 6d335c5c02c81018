#pragma once
// The pulse-radar unit over HART: detection, the unique identifier (the
// unit's long address), and reads and writes of single parameters carried
// in a parameter message of HART command 128, tunnelled through unit frames
// of command 0x60.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/link/pulse_parameters.h"

namespace ostrel {

class UnitLink;
class ProgressSink;

class PulseProtocol {
 public:
  // Error keys.
  static constexpr int kTimeout = -1;
  static constexpr int kReadFailed = 2;
  static constexpr int kUnknownCommand = -100;
  static constexpr int kInvalidValue = -101;
  static constexpr int kChecksum = -102;
  static constexpr int kBadFormat = -103;
  static constexpr int kUnknownResponse = -104;
  static constexpr int kZeroSumCheck = -105;

  static constexpr std::size_t kBufferSize = 4096;
  static constexpr int kReplyWaitMs = 6000;

  PulseProtocol();

  bool DetectPulse(UnitLink& link);
  bool IsPulse() const { return isPulse_; }

  int ReadUniqueIdentifier(UnitLink& link);
  int Exchange(UnitLink& link, std::uint16_t parameter, const std::uint8_t* value,
               std::uint8_t count);
  // Exchanges every item (ascending parameter number), two attempts each;
  // stops at the first item that fails twice. busy and bar (either may be
  // null) advance from their current position by an equal share per item.
  int ExchangeSet(UnitLink& link, PulseCfgSet set, ProgressSink* busy, ProgressSink* bar);
  int ReadIdentitySet(UnitLink& link, ProgressSink* bar);
  int ReadAdvancedSet(UnitLink& link, ProgressSink* busy);
  int ReadSensorType(UnitLink& link);
  int ReadCurve(UnitLink& link, std::uint16_t curve);

  static std::string ErrorName(int key);
  static std::string CommandName(int parameter);
  int LastFailingParameter() const { return lastFailing_; }

  const PulseParameters& Parameters() const { return parameters_; }
  PulseParameters& Parameters() { return parameters_; }
  const std::array<std::uint8_t, 5>& LongAddress() const { return longAddress_[0]; }

  // The messages as they go out (exposed for the tests of their bytes).
  static std::vector<std::uint8_t> ParameterMessage(std::uint16_t parameter,
                                                    const std::uint8_t* value, std::uint8_t count);
  static std::vector<std::uint8_t> TunnelFrame(const std::vector<std::uint8_t>& hart);
  std::vector<std::uint8_t> CommandZeroRequest() const;
  std::vector<std::uint8_t> CommandRequest(const std::vector<std::uint8_t>& message) const;

  // Reply parsing on a byte buffer: the expected reply length (0 while it is
  // not known yet) and the parse, which stores into the parameters. asked is
  // the parameter the request was for; a read or write reply for another
  // parameter (a late answer to an earlier request) gives kStaleReply.
  static constexpr int kStaleReply = 1000;
  static std::size_t ExpectedLength(const std::uint8_t* bytes, std::size_t held);
  int ParseReply(const std::uint8_t* bytes, std::size_t held, std::uint16_t asked);

 private:
  int transaction(UnitLink& link, std::uint16_t parameter, const std::vector<std::uint8_t>& hart);

  std::array<std::array<std::uint8_t, 5>, 16> longAddress_{};
  int pollingAddress_ = 0;
  PulseParameters parameters_;
  bool isPulse_ = false;
  int lastFailing_ = 0;
  std::vector<std::uint8_t> receive_;
};

}  // namespace ostrel
