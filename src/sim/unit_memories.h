#pragma once
// Everything a page-based unit stores: five 512-byte pages, the 128-byte
// information memory, the echo record and the disturbance scan. The files
// of an image folder are the raw bytes of each memory.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ostrel::sim {

struct UnitMemories {
  static constexpr std::size_t kPageSize = 512;
  static constexpr std::size_t kInfoSize = 128;
  static constexpr std::size_t kRecordSize = 2048;
  using Page = std::array<std::uint8_t, kPageSize>;
  using Info = std::array<std::uint8_t, kInfoSize>;
  using Record = std::array<std::uint8_t, kRecordSize>;

  Page customer{};  // selector 1
  Page factory{};   // selector 2
  Page history{};   // selector 3
  Page ocm{};       // selector 4, blocks 0..7
  Page model{};     // selector 7
  Info info{};
  Record echo{};  // selector 5, blocks 0..31
  Record scan{};  // selector 4, blocks 64..95

  // The page a selector names (1..4 and 7), or nullptr.
  Page* pageFor(std::uint8_t selector);
  const Page* pageFor(std::uint8_t selector) const;

  // customer.bin factory.bin history.bin ocm.bin model.bin info.bin echo.bin scan.bin
  static const std::vector<std::string>& fileNames();

  struct LoadResult {
    std::vector<std::string> loaded;  // file names taken from the folder
    std::string error;                // empty on success
  };
  // Takes the files present in `dir`; missing ones leave their memory as it
  // is. A file of the wrong size or an unreadable one fails the whole load
  // and changes nothing.
  LoadResult load(const std::filesystem::path& dir);

  // Writes every file (through a temporary file renamed into place, so a
  // crash never leaves half a file). Returns an error text, empty on success.
  std::string dump(const std::filesystem::path& dir) const;

  bool operator==(const UnitMemories&) const = default;
};

}  // namespace ostrel::sim
