#include "core/firmware/program_target.h"

#include <thread>

#include "core/firmware/program_file.h"
#include "core/firmware/program_names.h"
#include "core/link/unit_link.h"
#include "core/support/language_table.h"
#include "core/support/log_file.h"
#include "core/support/presenter.h"

namespace ostrel {
namespace {

constexpr std::uint8_t kEnter = 0x10;
constexpr std::uint8_t kErase = 0x17;
constexpr std::uint8_t kLargePackets = 0x40;
constexpr std::uint8_t kLeave = 0x49;
constexpr int kEraseAttempts = 5;
constexpr int kReadyTries = 3;
constexpr auto kReadyPause = std::chrono::milliseconds(100);

bool isReadyFrame(const std::uint8_t* b) {
  return b[0] == 0xA5 && b[1] == 0x01 && b[2] == 0x10 && b[3] == 0xB6;
}

}  // namespace

CProgramTarget::CProgramTarget(UnitLink& link, Presenter& presenter,
                               const LanguageTable& language, int languageColumn, LogFile& log)
    : link_(link), presenter_(presenter), language_(language), column_(languageColumn), log_(log) {}

std::string CProgramTarget::text(const char* key) const {
  return language_.Text(key, column_, key);
}

void CProgramTarget::log(const char* key, std::string_view message) { log_.LogEvent(key, message); }

void CProgramTarget::report(int value, bool always) {
  if (!always && value <= lastProgress_) return;
  lastProgress_ = value;
  if (progress) progress(value, bytesDone_, bytesTotal_);
}

int CProgramTarget::failWith(const char* logKey, const char* key, int linkResult,
                             std::initializer_list<FormatArg> args) {
  failure_.key = key;
  failure_.text = formatText(text(key), args);
  failure_.result = linkResult != 0 ? linkResult : kNoLinkResult;
  presenter_.messageBox(failure_.text, kStyleError);
  log(logKey, failure_.text);
  return failure_.result;
}

int CProgramTarget::failEntry(int value) {
  link_.Close();
  bytesDone_ = bytesTotal_ = 0;
  report(0, true);
  failure_.result = value;
  return value;
}

int CProgramTarget::Run() {
  const auto kind = program_file::kindOfName(path.filename().string());
  if (!kind) {
    failure_ = Failure{"ERROR_MESSAGE103", text("ERROR_MESSAGE103"), kFileInvalid};
    return kFileInvalid;
  }
  switch (*kind) {
    case ProgramKind::Fep: return ProgramEncryptedFile();
    case ProgramKind::Pkt: return ProgramPacketFile();
    case ProgramKind::Fp2: break;
  }
  return ProgramCombinedFile();
}

int CProgramTarget::readProgramFile(const char* logKey, const char* openKey, const char* largeKey,
                                    std::string& bytes) {
  bool tooLarge = false;
  std::optional<std::string> read = program_file::readFile(path, program_file::kMaxProgramBytes,
                                                           tooLarge);
  if (tooLarge) return failWith(logKey, largeKey, 0);
  if (!read) return failWith(logKey, openKey, 0);
  log_.LogEvent(logKey, "File %s Open", {path.string()});
  bytes = std::move(*read);
  return 0;
}

// --- encrypted programs ------------------------------------------------------

int CProgramTarget::ProgramEncryptedFile() {
  failure_ = {};
  report(0, true);
  if (link_.Connect() != 0) return failEntry(kConnectFailed);
  report(10, true);
  log(kEncryptedKey, "Programming started");
  report(30, true);
  std::string program;
  int r = readProgramFile(kEncryptedKey, "ERROR_MESSAGE79", "ERROR_MESSAGE80", program);
  if (r == 0) r = writeEncrypted(30, 990, program, true);
  if (r != 0) return failEntry(r);
  report(1000, true);
  return 0;
}

int CProgramTarget::writeEncrypted(int from, int to, std::string_view program, bool fromFile) {
  if (!fromFile) {
    log(kEncryptedKey, "Programming started");
    report(from, true);
  }
  // An erased unit with nothing to take would be left without a program.
  if (program.empty()) return failWith(kEncryptedKey, "ERROR_MESSAGE161", 0);
  const auto leaveAndFail = [&](const char* key, int result) {
    link_.Command(kLeave, {});
    return failWith(kEncryptedKey, key, result);
  };

  std::uint8_t frame[80] = {};
  int r = link_.SendCommand(1, kEnter, frame);
  if (r != 0) return leaveAndFail("ERROR_MESSAGE81", r);
  packetSize_ = 64;
  frame[3] = kLargePacketRequest;
  if (link_.SendCommand(2, kLargePackets, frame) == 0) packetSize_ = 72;
  int lastResult = 0;
  if (erase(lastResult) != 0) {
    return leaveAndFail("ERROR_MESSAGE65", lastResult);
  }

  log(kEncryptedKey, "Downloading Program");
  const std::size_t total = program.size();
  bytesTotal_ = total;
  bytesDone_ = 0;
  std::size_t pos = 0;
  while (pos < total) {
    const int taken = program_file::nextProgramDataFrame(program, pos, packetSize_, frame);
    link_.SendCommand(frame[1], frame[2], frame);
    int got = 0;
    bool ready = false;
    for (int attempt = 0; attempt < kReadyTries && !ready; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(kReadyPause);
      std::uint8_t answer[4] = {};
      got = link_.ReadFrame(answer, 4);
      ready = got == 4 && isReadyFrame(answer);
    }
    if (!ready) return leaveAndFail("ERROR_MESSAGE83", got);
    bytesDone_ += static_cast<std::size_t>(taken);
    report(from + static_cast<int>(static_cast<long long>(to - from) *
                                   static_cast<long long>(bytesDone_) /
                                   static_cast<long long>(total)),
           false);
  }
  log(kEncryptedKey, "Programming Completed");
  return 0;
}

int CProgramTarget::erase(int& lastResult) {
  std::uint8_t frame[8] = {};
  for (int attempt = 1; attempt <= kEraseAttempts; ++attempt) {
    lastResult = link_.SendCommand(1, kErase, frame);
    if (lastResult == 0) return 0;
    if (attempt == kEraseAttempts - 1) {
      presenter_.platformMessageBox("Erase flash retry", kStylePlain);
      link_.Command(kLeave, {});
    }
  }
  return lastResult;
}

// --- packet programs ---------------------------------------------------------

int CProgramTarget::ProgramPacketFile() {
  failure_ = {};
  report(0, true);
  if (link_.Connect() != 0) return failEntry(kConnectFailed);
  report(10, true);
  log(kPacketKey, "Programming started");
  report(30, true);
  std::string program;
  int r = readProgramFile(kPacketKey, "ERROR_MESSAGE88", "ERROR_MESSAGE85", program);
  if (r == 0) r = writePacket(30, 990, true, program, true);
  if (r != 0) return failEntry(-r);
  report(1000, true);
  return 0;
}

int CProgramTarget::writePacket(int from, int to, bool eraseFirst, std::string_view program,
                                bool fromFile) {
  if (!fromFile) {
    log(kPacketKey, "Programming started");
    report(from, true);
  }
  std::size_t badAt = 0;
  if (!program_file::packetProgramReadable(program, badAt)) {
    return failWith(kPacketKey, "ERROR_MESSAGE160", 0, {static_cast<int>(badAt)});
  }
  std::uint8_t frame[264] = {};
  {
    std::size_t probe = 0;
    if (program_file::nextPacketFrame(program, probe, frame) == 0) {
      return failWith(kPacketKey, "ERROR_MESSAGE161", 0);
    }
  }

  int r = link_.SendCommand(1, kEnter, frame);
  if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE81", r);
  log(kPacketKey, "Erasing Program Flash");
  if (eraseFirst) {
    int lastResult = 0;
    if (erase(lastResult) != 0) {
      return failWith(kPacketKey, "ERROR_MESSAGE86", lastResult);
    }
  }

  log(kPacketKey, "Downloading Program");
  const std::size_t total = program.size();
  bytesTotal_ = total;
  bytesDone_ = 0;
  std::size_t pos = 0;
  while (pos < total) {
    const std::size_t at = pos;
    const int n = program_file::nextPacketFrame(program, pos, frame);
    if (n == 0) break;
    // Checked whole before; a frame that still turns out incomplete is a
    // failure, never the end of a program that then counts as written.
    if (n < 0) return failWith(kPacketKey, "ERROR_MESSAGE160", 0, {static_cast<int>(at)});
    const std::uint8_t length = frame[1];
    const std::uint8_t cmd = frame[2];
    r = link_.SendCommand(length, cmd, frame);
    switch (cmd) {
      case 0x28:
        if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE87", r);
        log(kPacketKey, "CRC verified");
        break;
      case 0x33:
        if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE88", r);
        log(kPacketKey, "Scratch Erased");
        break;
      case 0x32: {
        if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE90", r);
        log(kPacketKey, "Write Data Packet OK");
        std::uint8_t answer[5] = {};
        const int got = link_.ReadFrame(answer, 5);
        if (got < 4) return failWith(kPacketKey, "ERROR_MESSAGE91", got);
        if (answer[2] != 0x10) return failWith(kPacketKey, "ERROR_MESSAGE92", got);
        break;
      }
      case 0x34:
        if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE93", r);
        if (length >= 2 && frame[3] == 1) log(kPacketKey, "Write Customer Data Target OK");
        if (length >= 2 && frame[3] == 2) log(kPacketKey, "Write Factory Data Target OK");
        break;
      case 0x36:
        if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE94", r);
        log(kPacketKey, "History Erased");
        break;
      default:
        if (r != 0) return failWith(kPacketKey, "ERROR_MESSAGE95", r);
        break;
    }
    bytesDone_ = pos;
    report(from + static_cast<int>(static_cast<long long>(to - from) *
                                   static_cast<long long>(pos) / static_cast<long long>(total)),
           false);
  }
  log(kPacketKey, "Programming Completed");
  return 0;
}

// --- combined files ------------------------------------------------------------

int CProgramTarget::ProgramCombinedFile() {
  failure_ = {};
  report(0, true);
  if (link_.Connect() != 0) return failEntry(kConnectFailed);
  log(kCombinedKey, "Port Open");
  report(10, true);
  log(kCombinedKey, "Pilot Received");

  bool tooLarge = false;
  const std::optional<std::string> file =
      program_file::readFile(path, program_file::kMaxCombinedBytes, tooLarge);
  if (!file) {
    failWith(kCombinedKey, "ERROR_MESSAGE163", kFileInvalid);
    return failEntry(kFileInvalid);
  }
  log_.LogEvent(kCombinedKey, "File %s open", {path.string()});

  const program_file::CombinedFile combined = program_file::readCombined(*file);
  switch (combined.result) {
    case program_file::kCheckOk: break;
    case program_file::kCheckCrcMismatch:
      failure_ = Failure{"", "File is invalid!", kCrcMismatch};
      presenter_.messageBox(failure_.text, kStyleError);
      log(kCombinedKey, "CRC mismatch!");
      return failEntry(kCrcMismatch);
    case program_file::kCheckInvalid:
      failWith(kCombinedKey, "ERROR_MESSAGE163", kFileInvalid);
      return failEntry(kFileInvalid);
    case program_file::kCheckUnfitChunk:
      failWith(kCombinedKey, "ERROR_MESSAGE165", kChunkUnfit);
      return failEntry(kChunkUnfit);
    default:
      failWith(kCombinedKey, "ERROR_MESSAGE164", kFileMalformed);
      return failEntry(kFileMalformed);
  }
  log(kCombinedKey, "CRC match!");

  const std::string name = program_file::programName(combined.pid.value_or(""));
  if (!programNames.empty() && !programNameFits(name, programNames)) {
    if (!forceUnfit) {
      failWith(kCombinedKey, "ERROR_MESSAGE162", kProgramNameUnfit, {name});
      return failEntry(kProgramNameUnfit);
    }
    log_.LogEvent(kCombinedKey, "Forced update with program %s", {name});
  }

  for (const program_file::Chunk& c : combined.chunks) {
    const std::string_view data = c.data(*file);
    if (c.tag == program_file::kTagPkt) {
      const int w = writePacket(980, 990, false, data, false);
      if (w != 0) {
        log(kCombinedKey, "Packet write error!");
        return failEntry(-w);
      }
      log(kCombinedKey, "Packet write successful");
    } else if (c.tag == program_file::kTagFep) {
      const int w = writeEncrypted(30, 970, data, false);
      if (w != 0) {
        log(kCombinedKey, "Program write error!");
        return failEntry(-w);
      }
      log(kCombinedKey, "Program write successful");
    }
  }
  bytesDone_ = bytesTotal_ = 0;
  report(1000, true);
  log(kCombinedKey, "Write completed");
  return 0;
}

}  // namespace ostrel
