#pragma once
// Serves a simulated line on a pseudo-terminal, so the tool can reach the
// unit through its serial driver. The tool opens the slave side; the line's
// baud rate is whatever the tool set on the slave (the master's termios
// shows it).
//
// The server keeps a slave descriptor of its own so the pty survives the
// tool closing and reopening it, and it clears exclusive mode (which the
// tool sets on open and which a pty keeps after the last close) so the next
// open is not refused.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "sim/unit_engine.h"

namespace ostrel::sim {

class PtyServer {
 public:
  explicit PtyServer(UnitEngine& engine);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal. Returns an error text, empty on success.
  std::string open();
  const std::string& slavePath() const { return slavePath_; }

  // Runs until `stop` is set (a signal handler may set it).
  void serve(const std::atomic<bool>& stop);

  // One round: takes what the tool wrote, hands out what is due. Waits at
  // most maxWait for the tool to write.
  void step(std::chrono::milliseconds maxWait);

  // The baud rate the master's termios reports, 0 when unknown.
  std::uint32_t lineBaud() const;

 private:
  void deliver();

  UnitEngine& engine_;
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace ostrel::sim
