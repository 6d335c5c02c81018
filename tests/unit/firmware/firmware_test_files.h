#pragma once
// Program files built byte by byte for the firmware tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/firmware/crc32.h"
#include "core/firmware/program_file.h"

namespace ostrel::test {

inline std::string le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

inline std::string chunk(std::uint32_t tag, std::string_view data) {
  return le32(tag) + le32(static_cast<std::uint32_t>(data.size())) + std::string(data);
}

inline std::string withCrc(const std::string& body) {
  return body + chunk(program_file::kTagCrc, le32(CCRC_32().of(body)));
}

// PID, FEP and PKT chunks, then the CRC of them all.
inline std::string combinedFile(std::string_view pid, std::string_view fep, std::string_view pkt) {
  return withCrc(chunk(program_file::kTagPid, pid) + chunk(program_file::kTagFep, fep) +
                 chunk(program_file::kTagPkt, pkt));
}

// A unit frame A5 L cmd data check as a packet program holds it.
inline std::string packetFrame(std::uint8_t cmd, const std::vector<std::uint8_t>& data) {
  std::string f{'\xA5', static_cast<char>(data.size() + 1), static_cast<char>(cmd)};
  for (std::uint8_t b : data) f.push_back(static_cast<char>(b));
  unsigned sum = 0;
  for (char c : f) sum += static_cast<std::uint8_t>(c);
  f.push_back(static_cast<char>(sum));
  return f;
}

}  // namespace ostrel::test
