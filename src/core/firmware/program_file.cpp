#include "core/firmware/program_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "core/firmware/crc32.h"

namespace ostrel::program_file {
namespace {

constexpr std::uint8_t kStart = 0xA5;
constexpr std::uint8_t kProgramData = 0x24;

std::uint32_t read32(std::string_view s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24;
}

}  // namespace

std::optional<ProgramKind> kindOfName(std::string_view name) {
  struct Ext {
    std::string_view text;
    ProgramKind kind;
  };
  constexpr Ext kExts[] = {{".fp2", ProgramKind::Fp2}, {".pkt", ProgramKind::Pkt},
                           {".fep", ProgramKind::Fep}};
  for (const Ext& e : kExts) {
    const std::size_t at = name.find(e.text);
    if (at != std::string_view::npos && at + 4 == name.size()) return e.kind;
  }
  return std::nullopt;
}

const char* kindName(ProgramKind kind) {
  switch (kind) {
    case ProgramKind::Fep: return "fep";
    case ProgramKind::Pkt: return "pkt";
    case ProgramKind::Fp2: break;
  }
  return "fp2";
}

std::string tagName(std::uint32_t tag) {
  switch (tag) {
    case kTagFep: return "FEP";
    case kTagPkt: return "PKT";
    case kTagPid: return "PID";
    case kTagCrc: return "CRC";
    default: break;
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", tag);
  return text;
}

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit,
                                    bool& tooLarge) {
  tooLarge = false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(limit + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got > limit) {
    tooLarge = true;
    return std::nullopt;
  }
  bytes.resize(got);
  return bytes;
}

int nextPacketFrame(std::string_view program, std::size_t& pos, std::uint8_t* frame) {
  int skipped = 0;
  while (pos < program.size() && static_cast<std::uint8_t>(program[pos]) != kStart) {
    if (++skipped > kMaxSkippedBytes) return -1;
    ++pos;
  }
  if (pos >= program.size()) return 0;
  if (pos + 1 >= program.size()) return -2;
  const std::size_t length = static_cast<std::uint8_t>(program[pos + 1]);
  const std::size_t total = length + 3;  // start, L, L bytes from cmd on, check
  if (pos + total > program.size()) return -3;
  std::copy_n(reinterpret_cast<const std::uint8_t*>(program.data()) + pos, total, frame);
  pos += total;
  return static_cast<int>(total);
}

bool packetProgramReadable(std::string_view program, std::size_t& failedAt) {
  std::uint8_t frame[260];
  std::size_t pos = 0;
  for (;;) {
    const std::size_t before = pos;
    const int r = nextPacketFrame(program, pos, frame);
    if (r == 0) return true;
    if (r < 0) {
      failedAt = before;
      return false;
    }
    // A frame needs its command byte; L = 0 would be a frame of nothing.
    if (frame[1] == 0) {
      failedAt = before;
      return false;
    }
  }
}

std::uint8_t programDataLength(int packetSize) { return packetSize == 72 ? 0x48 : 0x41; }

int nextProgramDataFrame(std::string_view program, std::size_t& pos, int packetSize,
                         std::uint8_t* frame) {
  const std::uint8_t length = programDataLength(packetSize);
  std::fill_n(frame, packetSize + 4, std::uint8_t{0});
  frame[0] = kStart;
  frame[1] = length;
  frame[2] = kProgramData;
  std::uint8_t sum = static_cast<std::uint8_t>(kStart + length + kProgramData);
  for (int i = 0; i < packetSize; ++i) {
    if (pos >= program.size()) {
      frame[3 + i] = sum;
      return i;
    }
    const auto b = static_cast<std::uint8_t>(program[pos++]);
    frame[3 + i] = b;
    sum = static_cast<std::uint8_t>(sum + b);
  }
  frame[3 + packetSize] = sum;
  return packetSize;
}

CombinedFile readCombined(std::string_view file) {
  CombinedFile out;
  const auto fail = [&out](int result, std::string problem, std::size_t at) {
    out.result = result;
    out.problem = std::move(problem);
    out.problemOffset = at;
    return out;
  };
  const CCRC_32 crc32;
  std::uint32_t crc = CCRC_32::kStart;
  std::size_t pos = 0;
  bool crcFound = false;
  while (!crcFound) {
    if (pos + 8 > file.size()) {
      return fail(kCheckMalformed,
                  pos == file.size() ? "the file ends without a CRC chunk"
                                     : "a chunk header is cut short",
                  pos);
    }
    Chunk c;
    c.tag = read32(file, pos);
    c.offset = pos;
    c.length = read32(file, pos + 4);
    c.complete = file.size() - (pos + 8) >= c.length;
    out.chunks.push_back(c);
    if (c.tag != kTagFep && c.tag != kTagPkt && c.tag != kTagPid && c.tag != kTagCrc) {
      return fail(kCheckInvalid, "unknown chunk tag " + tagName(c.tag), pos);
    }
    if (!c.complete) return fail(kCheckMalformed, tagName(c.tag) + " chunk is cut short", pos);
    const std::string_view data = c.data(file);
    if (c.tag == kTagPid && !out.pid) out.pid = std::string(data.substr(0, data.find('\0')));
    if (c.tag == kTagCrc) {
      out.crcComputed = ~crc;
      if (c.length != 4) return fail(kCheckMalformed, "the CRC chunk does not hold 4 bytes", pos);
      out.crcStored = read32(file, pos + 8);
      crcFound = true;
    } else {
      crc32.update(reinterpret_cast<const std::uint8_t*>(file.data()) + pos, 8 + c.length, crc);
    }
    pos += 8 + c.length;
  }
  if (*out.crcStored != *out.crcComputed) return fail(kCheckCrcMismatch, "CRC mismatch", 0);
  if (pos != file.size()) {
    return fail(kCheckInvalid, "bytes follow the CRC chunk, outside its check", pos);
  }
  for (const Chunk& c : out.chunks) {
    const std::string_view data = c.data(file);
    if (c.tag == kTagPid && c.length > kMaxPidBytes) {
      return fail(kCheckMalformed, "the PID chunk is longer than 100 bytes", c.offset);
    }
    if ((c.tag == kTagFep || c.tag == kTagPkt) && c.length > kMaxProgramBytes) {
      return fail(kCheckUnfitChunk, tagName(c.tag) + " chunk is larger than 131071 bytes",
                  c.offset);
    }
    std::size_t at = 0;
    if (c.tag == kTagPkt && !packetProgramReadable(data, at)) {
      return fail(kCheckUnfitChunk, "PKT chunk holds an incomplete frame", c.offset + 8 + at);
    }
  }
  return out;
}

std::string programName(std::string_view pid) {
  std::string text(pid.substr(0, std::min<std::size_t>(pid.find('\0'), 20)));
  return text.substr(0, text.find('-'));
}

}  // namespace ostrel::program_file
