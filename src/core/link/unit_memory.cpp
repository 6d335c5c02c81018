#include "core/link/unit_memory.h"

#include <cstring>

#include "core/link/unit_link.h"
#include "core/support/presenter.h"
#include "core/support/text_codec.h"
#include "core/support/text_format.h"

namespace ostrel {
namespace {

constexpr std::uint8_t kReadBlock = 0x31;
constexpr std::uint8_t kWriteBlock = 0x32;
constexpr std::uint8_t kBeginWrite = 0x33;
constexpr std::uint8_t kCommitPage = 0x34;
constexpr std::uint8_t kReadInfo = 0x37;
constexpr std::uint8_t kCommitInfo = 0x38;
constexpr std::uint8_t kReady[4] = {0xA5, 0x01, 0x10, 0xB6};
constexpr int kDataFrameLength = 69;  // A5, L = 0x42, two header bytes, 64 data bytes, check
constexpr int kAttempts = 5;

// The 64 data bytes of a block frame, after its check: false when the frame
// is not the full data frame or its sum is wrong (the caller ends with the
// frame length, as the sum rule gives).
bool dataFrameValid(const std::uint8_t* frame, int length) {
  if (length != kDataFrameLength || frame[1] != 0x42) return false;
  unsigned sum = 0;
  for (int i = 0; i < 4 + UnitMemory::kBlockSize; ++i) sum += frame[i];
  return static_cast<std::uint8_t>(sum) == frame[4 + UnitMemory::kBlockSize];
}

}  // namespace

std::uint16_t UnitMemory::Read16(const std::uint8_t* b) {
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

void UnitMemory::Write16(std::uint8_t* b, std::uint16_t v) {
  b[0] = static_cast<std::uint8_t>(v & 0xFF);
  b[1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint32_t UnitMemory::Read32HighWordFirst(const std::uint8_t* b) {
  return static_cast<std::uint32_t>(b[2]) | (static_cast<std::uint32_t>(b[3]) << 8) |
         (static_cast<std::uint32_t>(b[0]) << 16) | (static_cast<std::uint32_t>(b[1]) << 24);
}

void UnitMemory::Write32HighWordFirst(std::uint8_t* b, std::uint32_t v) {
  Write16(b, static_cast<std::uint16_t>(v >> 16));
  Write16(b + 2, static_cast<std::uint16_t>(v & 0xFFFF));
}

bool UnitMemory::ReadText(const std::uint8_t* bytes, std::string& text) {
  // Erased memory is all 0xFF: look no further than the characters allowed.
  for (int i = 0; i < kTextLimit; ++i) {
    if (bytes[i] == 0) {
      text = cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes), i));
      return true;
    }
  }
  return false;
}

int UnitMemory::failWith(Failure::Step step, int block, int result, int code) {
  failure_ = Failure{step, block, result};
  link_.Close();
  return code;
}

int UnitMemory::readBlocks(int selector, int firstBlock, int blocks, std::uint8_t* buffer) {
  failure_ = Failure{};
  const int r = link_.Connect();
  if (r != 0) {
    failure_ = Failure{Failure::Step::Connect, -1, r};
    return r;
  }
  std::uint8_t frame[100];
  for (int i = 0; i < blocks; ++i) {
    const int block = firstBlock + i;
    const int sent = link_.Command(kReadBlock, {static_cast<std::uint8_t>(selector),
                                                static_cast<std::uint8_t>(block)});
    if (sent != 0) return failWith(Failure::Step::ReadCommand, block, sent, sent);
    const int n = link_.ReadFrame(frame, 100);
    if (n < 2 || !dataFrameValid(frame, n)) return failWith(Failure::Step::DataFrame, block, n, n);
    std::memcpy(buffer + kBlockSize * i, frame + 4, kBlockSize);
  }
  return 0;
}

int UnitMemory::ReadPage(int index, std::uint8_t* buffer) {
  return readBlocks(index + 1, 0, kPageSize / kBlockSize, buffer);
}

int UnitMemory::ReadBlocks(int selector, int firstBlock, std::uint8_t* buffer) {
  return readBlocks(selector, firstBlock, kRecordSize / kBlockSize, buffer);
}

int UnitMemory::ReadAllPages(int index, std::uint8_t* customer, std::uint8_t* factory,
                             std::uint8_t* history, std::uint8_t* ocm, ProgressSink* busy,
                             int first, int second, int third, ProgressSink* startup) {
  if (link_.Connect() != 0) {
    link_.Close();
    return 1;
  }
  if (index == -1) {
    std::uint8_t* buffers[4] = {customer, factory, history, ocm};
    const int progress[4] = {first, second, third, third};
    for (int page = 0; page < 4; ++page) {
      bool read = false;
      for (int attempt = 0; attempt < kAttempts && !read; ++attempt) {
        read = ReadPage(page, buffers[page]) == 0;
      }
      if (!read) return 2 + page;
      if (busy) busy->setProgress(progress[page]);
      if (startup) startup->setProgress(progress[page]);
    }
    return 0;
  }
  int last = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    last = ReadPage(index, customer);
    if (last == 0) return 0;
  }
  notices_.push_back(Notice::errorDetail("ERROR_MESSAGE64", {last}, "ERROR_MESSAGE65"));
  return 6;
}

int UnitMemory::ReadAllPages(ProgressSink* busy, int first, int second, int third,
                             ProgressSink* startup) {
  return ReadAllPages(-1, Pages[0].data(), Pages[1].data(), Pages[2].data(), Pages[3].data(), busy,
                      first, second, third, startup);
}

UnitMemory::BlockWrite UnitMemory::writeBlock(int block, const std::uint8_t* bytes) {
  std::uint8_t data[1 + kBlockSize];
  data[0] = static_cast<std::uint8_t>(block);
  std::memcpy(data + 1, bytes, kBlockSize);
  const int sent = link_.Command(kWriteBlock, data, sizeof data);
  if (sent != 0) {
    failure_ = Failure{Failure::Step::WriteBlock, block, sent};
    return BlockWrite::Refused;
  }
  std::uint8_t frame[100];
  const int n = link_.ReadFrame(frame, 100);
  if (n == 4 && std::memcmp(frame, kReady, 4) == 0) return BlockWrite::Stored;
  failure_ = Failure{Failure::Step::ReadyFrame, block, n};
  return n < 4 ? BlockWrite::NoReadyFrame : BlockWrite::WrongReadyFrame;
}

int UnitMemory::WritePage(int selector) {
  failure_ = Failure{};
  const int connected = link_.Connect();
  if (connected != 0) return failWith(Failure::Step::Connect, -1, connected, 1);
  const int begun = link_.Command(kBeginWrite, {});
  if (begun != 0) return failWith(Failure::Step::BeginWrite, -1, begun, 2);
  for (int block = 0; block < kPageSize / kBlockSize; ++block) {
    const BlockWrite w = writeBlock(block, WriteBuffer.data() + kBlockSize * block);
    if (w == BlockWrite::Stored) continue;
    link_.Close();
    switch (w) {
      case BlockWrite::Refused: return 3;
      case BlockWrite::NoReadyFrame: return 4;
      case BlockWrite::WrongReadyFrame: return 5;
      case BlockWrite::Stored: break;
    }
  }
  const int committed = link_.Command(kCommitPage, {static_cast<std::uint8_t>(selector)});
  if (committed != 0) return failWith(Failure::Step::Commit, -1, committed, 6);
  return 0;
}

int UnitMemory::VerifyPage(int index) {
  Page image{};
  if (ReadAllPages(index, image.data(), nullptr, nullptr, nullptr, nullptr, 0, 0, 0, nullptr) !=
      0) {
    notices_.push_back(Notice::message("ERROR_MESSAGE66", {}, kStyleError));
    return 0;
  }
  if (image != WriteBuffer) return 0;
  if (index >= 0 && index < static_cast<int>(Pages.size())) {
    Pages[static_cast<std::size_t>(index)] = image;
  }
  return 1;
}

int UnitMemory::ReadInfoMemory(std::uint8_t* buffer) {
  failure_ = Failure{};
  const int connected = link_.Connect();
  if (connected != 0) return failWith(Failure::Step::Connect, -1, connected, 1);
  std::uint8_t frame[100];
  for (int block = 0; block < 2; ++block) {
    const int sent = link_.Command(kReadInfo, {static_cast<std::uint8_t>(block)});
    if (sent != 0) return failWith(Failure::Step::ReadCommand, block, sent, 2);
    const int n = link_.ReadFrame(frame, 100);
    if (n < 2) return failWith(Failure::Step::DataFrame, block, n, 3);
    if (!dataFrameValid(frame, n)) return failWith(Failure::Step::DataFrame, block, n, 4);
    std::memcpy(buffer + kBlockSize * block, frame + 4, kBlockSize);
  }
  return 0;
}

int UnitMemory::WriteInfoMemory(const std::uint8_t* buffer) {
  failure_ = Failure{};
  const int connected = link_.Connect();
  if (connected != 0) return failWith(Failure::Step::Connect, -1, connected, 1);
  const int begun = link_.Command(kBeginWrite, {});
  if (begun != 0) return failWith(Failure::Step::BeginWrite, -1, begun, 2);
  for (int block = 0; block < 2; ++block) {
    const BlockWrite w = writeBlock(block, buffer + kBlockSize * block);
    if (w == BlockWrite::Stored) continue;
    link_.Close();
    switch (w) {
      case BlockWrite::Refused: return 3 + block;
      case BlockWrite::NoReadyFrame: return 5 + block;
      case BlockWrite::WrongReadyFrame: return 7 + block;
      case BlockWrite::Stored: break;
    }
  }
  const int committed = link_.Command(kCommitInfo, {0x5A});
  if (committed != 0) return failWith(Failure::Step::Commit, -1, committed, 9);
  return 0;
}

int UnitMemory::ParseFactoryIdentity(const std::uint8_t* page, std::int32_t& serial,
                                     std::string& text, std::int32_t& revision, bool guidedOrU) {
  if (guidedOrU) {
    serial = static_cast<std::int32_t>(Read32HighWordFirst(page + 10));
    return 0;
  }
  serial = static_cast<std::int32_t>(Read32HighWordFirst(page + 96));
  if (!ReadText(page + 138, text)) return -1;
  revision = Read16(page + 26);
  return 0;
}

int UnitMemory::ReadModelPage(std::string& text, std::int32_t& revision) {
  const int r = ReadPage(kModelPage, ModelPage.data());
  if (r != 0) return r;
  if (!ReadText(ModelPage.data(), text)) text.clear();
  revision = Read16(ModelPage.data() + 16);
  return 0;
}

int UnitMemory::ParseHardwareIdentity(const std::uint8_t* info, std::int32_t& serial,
                                      std::string& model) {
  serial = static_cast<std::int32_t>(Read32HighWordFirst(info + 10));
  if (!ReadText(info + 14, model)) return -1;
  return 0;
}

}  // namespace ostrel
