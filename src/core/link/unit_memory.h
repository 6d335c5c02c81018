#pragma once
// The unit's memories as the tool holds them: four 512-byte pages
// (customer, factory, history, OCM), the model page, the 128-byte
// information memory and the two 2048-byte echo records, with the
// operations that read, write and verify them over the link.

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "core/support/notice.h"

namespace ostrel {

class UnitLink;
class ProgressSink;

class UnitMemory {
 public:
  static constexpr int kPageSize = 512;
  static constexpr int kBlockSize = 64;
  static constexpr int kInfoSize = 128;
  static constexpr int kRecordSize = 2048;
  static constexpr int kTextLimit = 15;  // characters of a unit text, with its terminator

  // Page indexes; the selector on the wire is index + 1.
  enum PageIndex : int { kCustomer = 0, kFactory = 1, kHistory = 2, kOcm = 3, kModelPage = 6 };
  // Selectors of the two 2048-byte records.
  static constexpr int kScanSelector = 4;
  static constexpr int kScanFirstBlock = 64;
  static constexpr int kEchoSelector = 5;

  using Page = std::array<std::uint8_t, kPageSize>;

  explicit UnitMemory(UnitLink& link) : link_(link) {}

  int ReadPage(int index, std::uint8_t* buffer);
  // index -1 reads the four pages into the four buffers; an index reads that
  // page into customer. Progress goes to the busy sink and the startup sink
  // (either may be null): first after page 0, second after page 1, third
  // after pages 2 and 3.
  // A single page that cannot be read in five tries gives 6 and leaves the
  // error dialog's notice (ERROR_MESSAGE64 with the last result).
  int ReadAllPages(int index, std::uint8_t* customer, std::uint8_t* factory, std::uint8_t* history,
                   std::uint8_t* ocm, ProgressSink* busy, int first, int second, int third,
                   ProgressSink* startup);
  // Reads the four pages into the page store.
  int ReadAllPages(ProgressSink* busy, int first, int second, int third, ProgressSink* startup);
  int WritePage(int selector);
  // 1 when the page read back equals the write buffer. A page that cannot be
  // read back gives 0 and leaves the notice ERROR_MESSAGE66.
  int VerifyPage(int index);
  int ReadBlocks(int selector, int firstBlock, std::uint8_t* buffer);
  int ReadInfoMemory(std::uint8_t* buffer);
  int WriteInfoMemory(const std::uint8_t* buffer);
  int ReadModelPage(std::string& text, std::int32_t& revision);

  static int ParseFactoryIdentity(const std::uint8_t* page, std::int32_t& serial, std::string& text,
                                  std::int32_t& revision, bool guidedOrU);
  static int ParseHardwareIdentity(const std::uint8_t* info, std::int32_t& serial,
                                   std::string& model);

  // Value helpers for the memories' byte order: little-endian, 32-bit values
  // as two words with the high word first.
  static std::uint16_t Read16(const std::uint8_t* bytes);
  static void Write16(std::uint8_t* bytes, std::uint16_t value);
  static std::uint32_t Read32HighWordFirst(const std::uint8_t* bytes);
  static void Write32HighWordFirst(std::uint8_t* bytes, std::uint32_t value);
  // A text of at most 14 characters ending in a zero within 15 bytes,
  // converted from Windows-1252; false when no zero comes in time.
  static bool ReadText(const std::uint8_t* bytes, std::string& text);

  UnitLink& Link() { return link_; }

  // Where the last read or write that failed stopped, for a caller that
  // explains it in words (the result codes alone name only the step).
  struct Failure {
    enum class Step {
      None,
      Connect,      // result: the link's connect result
      BeginWrite,   // command 0x33; result: the command's result
      WriteBlock,   // command 0x32 for block; result: the command's result
      ReadyFrame,   // the ready frame after block; result: the frame length read
      Commit,       // command 0x34; result: the command's result
      ReadCommand,  // command 0x31 for block; result: the command's result
      DataFrame,    // the data frame of block; result: the frame length read
    };
    Step step = Step::None;
    int block = -1;
    int result = 0;
  };
  const Failure& LastFailure() const { return failure_; }

  // What the operations since the last call want the user to be told; the
  // procedure that ran them shows it.
  Notices takeNotices() { return std::exchange(notices_, {}); }

  // The images.
  Page WriteBuffer{};
  std::array<Page, 4> Pages{};
  std::array<std::uint8_t, kInfoSize> Info{};
  Page ModelPage{};
  std::array<std::uint8_t, kRecordSize> Scan{};
  std::array<std::uint8_t, kRecordSize> Echo{};

 private:
  enum class BlockWrite { Stored, Refused, NoReadyFrame, WrongReadyFrame };

  int readBlocks(int selector, int firstBlock, int blocks, std::uint8_t* buffer);
  // One block into the unit's scratch area, waiting for its ready frame.
  BlockWrite writeBlock(int block, const std::uint8_t* bytes);

  int failWith(Failure::Step step, int block, int result, int code);

  UnitLink& link_;
  Notices notices_;
  Failure failure_;
};

}  // namespace ostrel
