#pragma once
// The cipher of enciphered model files (".fmf"): 64-byte blocks of sixteen
// little-endian words, 32 rounds, a 128-bit key. Files are deciphered in
// memory; enciphering exists so the tool can make its own files.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

struct FmfKey {
  std::uint32_t k0 = 0;
  std::uint32_t k1 = 0;
  std::uint32_t k2 = 0;
  std::uint32_t k3 = 0;

  friend bool operator==(const FmfKey&, const FmfKey&) = default;
};

class FmfCipher {
 public:
  static constexpr std::size_t kBlockSize = 64;
  static constexpr int kWords = 16;
  static constexpr int kRounds = 32;
  static constexpr std::uint32_t kDelta = 0x9E3779B9u;

  using Block = std::array<std::uint32_t, kWords>;

  explicit FmfCipher(FmfKey key = projectKey()) : key_(key) {}

  // The key of the files this project makes.
  static FmfKey projectKey();

  // 32 hex digits, k0 first, eight per word, most significant digit first.
  // Anything else (other lengths, signs, blanks, "0x") is refused.
  static std::optional<FmfKey> parseKey(std::string_view hex);
  static std::string keyToHex(const FmfKey& key);

  void decipherBlock(Block& w) const;
  void encipherBlock(Block& w) const;

  // Whole blocks: a short last block is padded with zero bytes first, so the
  // result is a multiple of 64 bytes long.
  std::string decipher(std::string_view bytes) const;
  std::string encipher(std::string_view bytes) const;

  // Deciphers a file's bytes into text for the text reader: the block
  // padding is stripped (see stripZeroPadding).
  std::string decipherText(std::string_view bytes) const;

  // Drops trailing zero padding: zero bytes of 8-bit text, zero code units
  // (pairs at even offsets) of UTF-16 text with its mark.
  static void stripZeroPadding(std::string& text);

  // Whether deciphered bytes read as text: no control characters besides
  // tab, line ends and end-of-file. What another key makes of a file is
  // noise and fails this at once.
  static bool looksLikeText(std::string_view text);

  const FmfKey& key() const { return key_; }

 private:
  template <bool Encipher>
  std::string transform(std::string_view bytes) const;

  FmfKey key_;
};

}  // namespace ostrel
