#pragma once
// The program files the unit's firmware comes in: an encrypted program
// (".fep", opaque bytes the unit deciphers), a packet program (".pkt", whole
// unit frames) and the combined file (".fp2": chunks FEP, PKT, PID and CRC,
// each an 8-byte header of tag and length followed by its data). Nothing
// here interprets program data; it only cuts it into frames.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

enum class ProgramKind { Fp2, Fep, Pkt };

namespace program_file {

// The largest .fep or .pkt program (and chunk) the unit takes.
constexpr std::size_t kMaxProgramBytes = 0x1FFFF;
constexpr std::size_t kMaxPidBytes = 100;
// Non-start bytes in a row a packet program may hold before a frame.
constexpr int kMaxSkippedBytes = 99;
// A combined file larger than this is not a program file (four full chunks and more).
constexpr std::size_t kMaxCombinedBytes = 4 * (kMaxProgramBytes + 1);

constexpr std::uint32_t kTagFep = 0x00504546;
constexpr std::uint32_t kTagPkt = 0x00544B50;
constexpr std::uint32_t kTagPid = 0x00444950;
constexpr std::uint32_t kTagCrc = 0x00435243;

// The kind an accepted name ends in: ".fp2", ".pkt" or ".fep", written
// exactly so, whose first occurrence is the name's last four characters.
std::optional<ProgramKind> kindOfName(std::string_view name);
const char* kindName(ProgramKind kind);
// "FEP", "PKT", "PID", "CRC", or the tag in hex for any other.
std::string tagName(std::uint32_t tag);

// Reads a whole file of at most limit bytes. Nothing when it cannot be read;
// tooLarge is set when it holds more than limit.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit,
                                    bool& tooLarge);

// --- packet programs ----------------------------------------------------------

// Takes the next frame from a packet program at pos into frame (room for 258
// bytes) and moves pos past it. Returns the frame's length L + 3; 0 when
// only fewer than 100 non-start bytes (or nothing) remain; -1 after 100
// non-start bytes in a row; -2 when the data ends after a start byte; -3
// when it ends inside a frame.
int nextPacketFrame(std::string_view program, std::size_t& pos, std::uint8_t* frame);

// Whether every frame of a packet program is complete. On failure
// failedAt is the offset where the unreadable part begins.
bool packetProgramReadable(std::string_view program, std::size_t& failedAt);

// --- encrypted programs ---------------------------------------------------------

// Builds the next program-data frame (command 0x24) of packetSize (64 or
// 72) bytes from pos into frame (room for packetSize + 4 bytes) and moves pos
// on by the bytes taken. Returns the count taken, 0 at the end. Behind the
// last program byte of a short last frame comes the running sum and then
// zeros, never what an earlier frame left in the buffer.
int nextProgramDataFrame(std::string_view program, std::size_t& pos, int packetSize,
                         std::uint8_t* frame);
// The L byte of a program-data frame: 0x41 for 64-byte packets, 0x48 for 72.
std::uint8_t programDataLength(int packetSize);

// --- combined files -------------------------------------------------------------

struct Chunk {
  std::uint32_t tag = 0;
  std::size_t offset = 0;  // of the 8-byte header in the file
  std::uint32_t length = 0;
  bool complete = false;   // all of its data is in the file
  std::string_view data(std::string_view file) const {
    return file.substr(offset + 8, complete ? length : file.size() - (offset + 8));
  }
};

// Results of the check before programming (the combined procedure's results).
constexpr int kCheckOk = 0;
constexpr int kCheckInvalid = -3;      // unknown tag, or data behind the CRC chunk
constexpr int kCheckCrcMismatch = -4;
constexpr int kCheckMalformed = -5;    // header or chunk cut short, PID over 100 bytes,
                                       // no CRC chunk, a CRC chunk not of 4 bytes
constexpr int kCheckUnfitChunk = -6;   // a program chunk too large or a packet chunk unreadable

struct CombinedFile {
  std::vector<Chunk> chunks;  // as far as the headers could be read
  std::optional<std::string> pid;  // the first PID chunk's text, up to its first zero byte
  std::optional<std::uint32_t> crcStored;
  std::optional<std::uint32_t> crcComputed;  // of the bytes before the CRC chunk
  int result = kCheckOk;
  std::string problem;  // in words, for result != kCheckOk
  std::size_t problemOffset = 0;
};

// Reads the chunks and checks the file as a whole before anything goes to
// the unit: the CRC over every byte before the CRC chunk, every chunk
// complete, each program chunk within kMaxProgramBytes, every packet chunk
// readable to its end, and nothing behind the CRC chunk.
CombinedFile readCombined(std::string_view file);

// The program name a PID text names: the text (at most 20 characters) up
// to its first '-'.
std::string programName(std::string_view pid);

}  // namespace program_file
}  // namespace ostrel
