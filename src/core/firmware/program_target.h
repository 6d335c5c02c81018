#pragma once
// Writes a program file into the unit over the link: an encrypted program
// (".fep") cut into program-data frames, a packet program (".pkt") frame by
// frame, or a combined file (".fp2") chunk by chunk. Progress runs from 0 to
// 1000; every step goes to the log under the procedure's name; a failure is
// shown once through the presenter (the GUI's presenter passes it to the GUI
// thread) and ends the procedure with its result.
//
// Before the first command reaches the unit (beyond the identification of
// Connect) the whole file is known good: a combined file's CRC, every chunk
// complete and within size, every packet frame complete, the program name
// one the unit's model lists (unless forced), and there is program data at
// all. An erased unit that gets nothing is what bricks it.
//
// The procedures run on one thread and own the link while they run.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/support/text_format.h"

namespace ostrel {

class UnitLink;
class Presenter;
class LanguageTable;
class LogFile;

class CProgramTarget {
 public:
  // Results of the entries beyond those of the inner procedures.
  static constexpr int kConnectFailed = -1;
  static constexpr int kFileInvalid = -3;       // not opened, unknown tag, data behind the CRC
  static constexpr int kCrcMismatch = -4;
  static constexpr int kFileMalformed = -5;     // cut short, no CRC chunk, PID over 100 bytes
  static constexpr int kChunkUnfit = -6;        // a program chunk too large or unreadable
  static constexpr int kProgramNameUnfit = -7;  // not a program of the unit's model, not forced
  // An inner failure with no link result of its own (a file step, a reply of 0 bytes).
  static constexpr int kNoLinkResult = -9;

  // The data byte sent with 0x40: the packet size asked for.
  static constexpr std::uint8_t kLargePacketRequest = 72;

  static constexpr const char* kEncryptedKey = "WRITEENCRYPTEDPROGRAM";
  static constexpr const char* kPacketKey = "WRITEPROGRAM";
  static constexpr const char* kCombinedKey = "WRITECOMBINEDPROGRAMTARGET";

  // value 0..1000; bytesDone of bytesTotal of the program being sent (0 of 0
  // outside a download).
  using ProgressFn = std::function<void(int value, std::size_t bytesDone, std::size_t bytesTotal)>;

  struct Failure {
    std::string key;   // the language key shown ("" for the literal texts)
    std::string text;  // as shown
    int result = 0;    // the procedure's result
  };

  CProgramTarget(UnitLink& link, Presenter& presenter, const LanguageTable& language,
                 int languageColumn, LogFile& log);

  // Set before a run.
  std::filesystem::path path;
  // The PROGRAMNAME lines of the unit's model; a combined file whose PID
  // names none of them is refused unless forceUnfit. Empty: no check.
  std::vector<std::string> programNames;
  bool forceUnfit = false;
  ProgressFn progress;

  // The three entries; 0 on success.
  int ProgramEncryptedFile();
  int ProgramPacketFile();
  int ProgramCombinedFile();
  // The entry the path's extension names; kFileInvalid for any other name.
  int Run();

  const Failure& lastFailure() const { return failure_; }
  int packetSize() const { return packetSize_; }

 private:
  // The inner procedures over program bytes; 0 or the failure result.
  int writeEncrypted(int from, int to, std::string_view program, bool fromFile);
  int writePacket(int from, int to, bool erase, std::string_view program, bool fromFile);
  int readProgramFile(const char* logKey, const char* openKey, const char* largeKey,
                      std::string& bytes);
  // Up to five erase attempts; 0, or the last attempt's result.
  int erase(int& lastResult);
  // Shows the key's text, logs it, keeps it; returns the failure result.
  int failWith(const char* logKey, const char* key, int linkResult,
               std::initializer_list<FormatArg> args = {});
  int failEntry(int value);
  std::string text(const char* key) const;
  void report(int value, bool always);
  void log(const char* key, std::string_view message);

  UnitLink& link_;
  Presenter& presenter_;
  const LanguageTable& language_;
  int column_;
  LogFile& log_;
  Failure failure_;
  int packetSize_ = 64;
  int lastProgress_ = 0;
  std::size_t bytesDone_ = 0;
  std::size_t bytesTotal_ = 0;
};

}  // namespace ostrel
