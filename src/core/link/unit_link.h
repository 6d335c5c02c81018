#pragma once
// The one open interface cable and the unit's frame exchange: finding
// cables, opening one, identifying the unit behind it (page-based unit or
// pulse radar), settling the baud rate, and the framed commands every other
// device operation is built from. Every exchange is synchronous for its
// caller; identification runs on the link's service thread while Connect
// waits for it.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/link/cable_driver.h"

namespace ostrel {

class UnitLink {
 public:
  // EnumerateCables: the cable is present but no driver serves it.
  static constexpr int kDriverNotServing = -856214;
  static constexpr std::uint16_t kVendorId = 0x10C4;
  static constexpr std::uint16_t kProductId = 0x807F;

  // Results of SendCommand beyond the unit's own status byte.
  static constexpr int kWriteFailed = -1;
  static constexpr int kNoAcknowledgement = 10;
  static constexpr int kNotAnAcknowledgement = 11;
  static constexpr int kOtherCommandAcknowledged = 12;
  // Connect: the unit answered at 1200 baud but refused the baud change.
  static constexpr int kBaudChangeRefused = 82;
  // WriteBytes: fewer bytes written than asked.
  static constexpr int kShortWrite = 21;

  // The link's timings. Every value is the designed one; tests may shorten
  // the long listening period to exercise the slow paths quickly.
  struct Timing {
    int listenMs = 8000;       // one identification's listening
    int requestSlackMs = 250;  // RequestIdentify waits timeout + this
    int pingIntervalMs = 80;
    int afterListenMs = 100;
    int settleMs = 100;         // after Open and after Close
    int framePhaseMs = 1000;    // each phase of ReadFrame
    int eraseProgramMs = 1000;  // after writing command 0x17
    int wakeReplyMs = 1000;
    int streamQueueMs = 300;
    int streamFramePauseMs = 35;
  };

  // A copy of one six-byte stream frame, with 6 for a good and -6 for a bad sum.
  using StreamSink = std::function<void(int code, const std::array<std::uint8_t, 6>& frame)>;

  explicit UnitLink(CableDriver& driver);
  UnitLink(CableDriver& driver, Timing timing);
  ~UnitLink();
  UnitLink(const UnitLink&) = delete;
  UnitLink& operator=(const UnitLink&) = delete;

  int EnumerateCables(std::vector<std::string>& list, std::uint16_t vendorId,
                      std::uint16_t productId);
  void SetTargetProduct(std::string description);
  std::string TargetProduct() const;

  int Open();
  void Close();
  bool IsOpen() const { return handle_.load() != kInvalidCable; }
  int Connect();

  // Asks the service thread for one identification and waits for it at most
  // timeoutMs plus the slack; returns the result held when the wait ends.
  int RequestIdentify(int timeoutMs);
  void StartServiceThread();
  // Ends the service thread (aborting a listening under way) and joins it.
  // False when it did not report its end within the wait.
  bool StopServiceThread(std::chrono::milliseconds wait = std::chrono::milliseconds(1000));

  // Frames and sends a command; frame holds at least length + 4 bytes with
  // the data at offsets 3 .. length + 1. Returns 0 when acknowledged with
  // status 0, else -1, 10, 11, 12 or the unit's status byte.
  int SendCommand(std::uint8_t length, std::uint8_t cmd, std::uint8_t* frame);
  // The same with the data given directly (at most 254 bytes).
  int Command(std::uint8_t cmd, std::initializer_list<std::uint8_t> data);
  int Command(std::uint8_t cmd, const std::uint8_t* data, std::size_t count);

  // Reads one frame into buffer (room for maximum bytes; 0 selects 100).
  int ReadFrame(std::uint8_t* buffer, int maximum);
  int WriteBytes(const std::uint8_t* bytes, int count);
  void DiscardInput();
  // Wakes a pulse radar out of its own framing; true when it answered.
  bool WakeRadar();
  // Sets the cable's baud rate (the library's result).
  int SetBaudRate(std::uint32_t baud);

  // Raw access for exchanges that are not unit frames (the radar's HART
  // replies): the receive-queue check, a read of what is queued, and a wait
  // that wakes when bytes arrive. Library results.
  int CheckQueue(std::uint32_t& queued, std::uint32_t& status);
  int ReadBytes(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got);
  bool WaitForData(std::chrono::milliseconds timeout);

  // Reads stream frames until StopStream; runs on the stream worker.
  int MonitorStream(const StreamSink& sink);
  void StopStream() { streamStop_ = true; }
  bool StreamRunning() const { return streamRunning_.load(); }

  const std::array<std::uint8_t, 7>& Acknowledgement() const { return ack_; }
  int IdentificationResult() const { return identResult_.load(); }
  CableDriver& Driver() { return driver_; }
  const Timing& Timings() const { return timing_; }

 private:
  void serviceLoop();
  void pingerLoop();
  void listenForAnswer();
  bool waitForReply(std::uint8_t third);
  // Stops a listening run that is still going and waits until it has ended,
  // so the handle is never closed or reconfigured under it.
  void abortListening();
  int fail(int result);
  void pause(int ms) const;

  CableDriver& driver_;
  Timing timing_;
  std::atomic<CableHandle> handle_{kInvalidCable};
  mutable std::mutex targetMutex_;
  std::string target_;
  std::array<std::uint8_t, 7> ack_{};

  // The service thread's four manual-reset events.
  std::mutex eventMutex_;
  std::condition_variable eventCv_;
  bool stopEvent_ = false;
  bool stoppedEvent_ = false;
  bool requestEvent_ = false;
  bool doneEvent_ = false;
  std::thread service_;

  std::atomic<int> identResult_{0};
  std::atomic<bool> pingerStop_{false};
  std::atomic<bool> abortListen_{false};
  std::atomic<bool> streamRunning_{false};
  std::atomic<bool> streamStop_{false};
};

}  // namespace ostrel
