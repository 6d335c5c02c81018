#pragma once
// "Write to Unit" once the page's own checks have passed: the identity check
// of the attached unit, the customer page and the table page written and
// read back, the log entry, then the same configuration to further units of
// the same model, one after the other. A pulse radar gets its changed
// parameters over HART instead.
//
// Nothing here talks to the user directly: questions and messages go through
// the presenter, busy texts and progress through its busy() sink, every text
// from the language table. The procedure keeps no state between calls and
// uses no globals, so it may run on the GUI's worker thread (the presenter
// forwards to the GUI thread) or as a plain call in the CLI.
//
// How a page model uses it, after preparing the volume table, running its
// value checks, emptying its file-name box and file date line and showing the
// button pressed:
//
//   WriteRequest request{memory, link, pulse, presenter, ..., writing_, radarActive};
//   const WriteOutcome out = WriteProcedure(request).run();
//   if (out.serialChanged) redraw the unit and hardware lines from config.serial;
//   release the button; out.buttonEnabled or the buttons rule decides its state.
//
// The caller opens the busy window before the call and closes it after. In
// sample mode there is no unit: the page shows STATUS_MESSAGE9 and does not
// call.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/config/radar_command_list.h"
#include "core/link/unit_memory.h"

namespace ostrel {

class UnitLink;
class PulseProtocol;
class Presenter;
class LanguageTable;
class LogFile;
class VolumeTable;
struct UnitConfiguration;
struct ModelDatabase;
struct StrappingRows;
struct ConfigFileContent;

// Whether the attached unit is the one the configuration belongs to.
struct IdentityCheck {
  static constexpr int kSameUnit = 0;
  static constexpr int kOtherSerial = 1;      // same model
  static constexpr int kOtherModel = 2;
  static constexpr int kOtherGeneration = 3;  // software revisions on either side of 500
  static constexpr int kPulseRadar = 4;       // nothing read: radars are written by parameter
  static constexpr int kNoHardwareIdentity = -1;
  static constexpr int kNoInfoMemory = -2;
  static constexpr int kNoFactoryPage = -3;

  int result = kSameUnit;
  std::int32_t hardwareSerial = 0;  // the information memory's serial (results 0..2)
  std::int32_t generation = 0;      // the unit's software revision (results 0..3)
};

// Everything one write run uses, lent by the caller for the length of run().
struct WriteRequest {
  UnitMemory& memory;  // page images and write buffer; the page store takes what is verified
  // The link memory talks over. It is closed between units, a radar's too:
  // the next exchange connects anew (a radar switched on is woken and
  // addressed by its own long address).
  UnitLink& link;
  PulseProtocol& pulse;
  Presenter& presenter;
  const LanguageTable& language;
  int languageColumn;
  LogFile& log;
  // The configuration as the page holds it (boxes taken in). SERIAL follows
  // each unit whose serial differs; everything else is written unchanged to
  // every unit of the run.
  UnitConfiguration& config;
  const ModelDatabase& model;
  // Prepared by the caller for the checks; takes the table page as the
  // unit stored it.
  VolumeTable& volume;
  const StrappingRows& rows;
  // Pulse radar: the page's advanced state. After a successful write the
  // changed flags are cleared and values becomes the radar's block as written.
  RadarAdvancedState& radar;
  // The first unit's log entry: the configuration in the file format. Its
  // record is taken from config above, so the log shows the serial written.
  const ConfigFileContent& logContent;
  // Decodes the customer page read back from the first unit into the page
  // (boxes, lists, levels); non-zero means it could not, and the run fails.
  std::function<int(const UnitMemory::Page& verified)> decodeVerified;
  // The writer's own flag (the page model's): set while a run goes on, so a
  // second one cannot start.
  std::atomic<bool>& writeInProgress;
  // The unit is a pulse radar (PulseProtocol::IsPulse() of the connect).
  bool radarActive = false;
  // The pause after a radar write before the next question.
  std::chrono::milliseconds radarSettle{500};
  // Told of every unit the run wrote and verified (true), and of the unit a
  // failed or stopped run ended on (false, with the message shown); on the
  // procedure's thread. May be empty.
  std::function<void(bool verified, const std::string& reason)> unitDone{};
};

struct WriteOutcome {
  enum class Status {
    Written,  // the user ended the run (no further unit, or cancel) after writing
    Failed,   // a step failed: the error dialog was shown and the log has the message
    Stopped,  // ended with its own message: other generation, the radar's report,
              // a radar of another model or one that cannot be reached
    Busy,     // another write was running; nothing was done
  };

  Status status = Status::Written;
  int unitsWritten = 0;
  // Failed and Stopped: the key of the message shown (ERROR_MESSAGE30..42
  // for Failed; ERROR_MESSAGE128, 31, 33 or 132 for Stopped) and the texts as
  // shown; details only for Failed.
  std::string messageKey;
  std::string message;
  std::string details;
  int stepResult = 0;  // the failing step's own result (identity, WritePage, decode, HART)
  // config.serial now holds a unit's hardware serial: redraw the unit line.
  bool serialChanged = false;
  // A radar write enabled the button on its way (the page shows it enabled).
  bool buttonEnabled = false;
};

class WriteProcedure {
 public:
  static constexpr const char* kLogKey = "WRITETARGET";

  explicit WriteProcedure(WriteRequest& request) : r_(request) {}

  // Runs the write from the first unit's identity check to the end of the run.
  WriteOutcome run();

  // Reads the factory page and the information memory again (not for a
  // radar) and compares them with the configuration's MODEL, SERIAL and SW
  // REV. What the reads leave to be shown stays in memory.takeNotices().
  static IdentityCheck checkIdentity(UnitMemory& memory, const UnitConfiguration& config,
                                     const ModelDatabase& model, bool radarActive);

 private:
  // One page-based unit after its identity was accepted. Fills failure_
  // and returns false when a step fails.
  bool writePages(bool firstUnit);
  // 0, or non-zero after the radar's report or the model message.
  int pulseWrite(bool firstUnit);
  void logSuccess(bool firstUnit);
  // The failure road: busy line, error dialog, log entry.
  WriteOutcome failed(const std::string& key, int stepResult);
  WriteOutcome stopped(int stepResult);
  // Shows a message box and keeps it as the run's stopping message.
  void stopWith(const std::string& key, const std::string& message, unsigned style);
  void radarReport(int result);
  void adoptSerial(std::int32_t serial);
  int ask(const char* key, unsigned style);

  std::string text(const char* key) const;
  void busy(const char* key, int percent);
  void progress(int percent);
  void showMemoryNotices();

  WriteRequest& r_;
  WriteOutcome out_;
  std::string details_;
  std::string failKey_;
  int failResult_ = 0;
};

}  // namespace ostrel
