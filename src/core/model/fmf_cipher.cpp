#include "core/model/fmf_cipher.h"

namespace ostrel {
namespace {

// The project's key, kept as four separate constants and joined at run time.
constexpr std::uint32_t kKeyWord0 = 0x945AA208u;
constexpr std::uint32_t kKeyWord1 = 0x994FB425u;
constexpr std::uint32_t kKeyWord2 = 0x4C0FB69Fu;
constexpr std::uint32_t kKeyWord3 = 0x7B73372Eu;

std::uint32_t mix(std::uint32_t x, std::uint32_t sum, std::uint32_t a, std::uint32_t b) {
  return ((x << 4) + a) ^ (x + sum) ^ ((x >> 5) + b);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

FmfCipher::Block loadBlock(std::string_view bytes, std::size_t offset) {
  std::array<unsigned char, FmfCipher::kBlockSize> raw{};
  for (std::size_t i = 0; i < raw.size() && offset + i < bytes.size(); ++i) {
    raw[i] = static_cast<unsigned char>(bytes[offset + i]);
  }
  FmfCipher::Block w{};
  for (std::size_t n = 0; n < w.size(); ++n) {
    w[n] = static_cast<std::uint32_t>(raw[4 * n]) |
           (static_cast<std::uint32_t>(raw[4 * n + 1]) << 8) |
           (static_cast<std::uint32_t>(raw[4 * n + 2]) << 16) |
           (static_cast<std::uint32_t>(raw[4 * n + 3]) << 24);
  }
  return w;
}

void storeBlock(const FmfCipher::Block& w, std::string& out) {
  for (std::uint32_t word : w) {
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<char>((word >> (8 * b)) & 0xFFu));
  }
}

}  // namespace

FmfKey FmfCipher::projectKey() { return FmfKey{kKeyWord0, kKeyWord1, kKeyWord2, kKeyWord3}; }

std::optional<FmfKey> FmfCipher::parseKey(std::string_view hex) {
  if (hex.size() != 32) return std::nullopt;
  std::array<std::uint32_t, 4> words{};
  for (std::size_t i = 0; i < hex.size(); ++i) {
    const int d = hexDigit(hex[i]);
    if (d < 0) return std::nullopt;
    words[i / 8] = (words[i / 8] << 4) | static_cast<std::uint32_t>(d);
  }
  return FmfKey{words[0], words[1], words[2], words[3]};
}

std::string FmfCipher::keyToHex(const FmfKey& key) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint32_t word : {key.k0, key.k1, key.k2, key.k3}) {
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kDigits[(word >> shift) & 0xFu]);
  }
  return out;
}

void FmfCipher::decipherBlock(Block& w) const {
  const auto [k0, k1, k2, k3] = key_;
  std::uint32_t sum = kDelta * static_cast<std::uint32_t>(kRounds);  // 0xC6EF3720
  for (int round = 0; round < kRounds; ++round) {
    w[15] -= mix(w[14], sum, k2, k3);
    w[15] -= mix(w[0], sum, k0, k1);
    for (int n = 14; n >= 1; --n) {
      const auto i = static_cast<std::size_t>(n);
      w[i] -= mix(w[i - 1], sum, k2, k3);
      w[i] -= mix(w[i + 1], sum, k0, k1);
    }
    w[0] -= mix(w[15], sum, k2, k3);
    w[0] -= mix(w[1], sum, k0, k1);
    sum -= kDelta;
  }
}

// Undoes decipherBlock step by step: the rounds in reverse order, and in
// each round the words in reverse order, each given back what it lost.
void FmfCipher::encipherBlock(Block& w) const {
  const auto [k0, k1, k2, k3] = key_;
  std::uint32_t sum = kDelta;
  for (int round = 0; round < kRounds; ++round) {
    w[0] += mix(w[1], sum, k0, k1);
    w[0] += mix(w[15], sum, k2, k3);
    for (std::size_t i = 1; i <= 14; ++i) {
      w[i] += mix(w[i + 1], sum, k0, k1);
      w[i] += mix(w[i - 1], sum, k2, k3);
    }
    w[15] += mix(w[0], sum, k0, k1);
    w[15] += mix(w[14], sum, k2, k3);
    sum += kDelta;
  }
}

template <bool Encipher>
std::string FmfCipher::transform(std::string_view bytes) const {
  std::string out;
  out.reserve((bytes.size() + kBlockSize - 1) / kBlockSize * kBlockSize);
  for (std::size_t offset = 0; offset < bytes.size(); offset += kBlockSize) {
    Block w = loadBlock(bytes, offset);
    if constexpr (Encipher) {
      encipherBlock(w);
    } else {
      decipherBlock(w);
    }
    storeBlock(w, out);
  }
  return out;
}

std::string FmfCipher::decipher(std::string_view bytes) const { return transform<false>(bytes); }

std::string FmfCipher::encipher(std::string_view bytes) const { return transform<true>(bytes); }

std::string FmfCipher::decipherText(std::string_view bytes) const {
  std::string text = decipher(bytes);
  stripZeroPadding(text);
  return text;
}

void FmfCipher::stripZeroPadding(std::string& text) {
  const bool utf16 = text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
                     static_cast<unsigned char>(text[1]) == 0xFE;
  if (utf16) {
    // Whole code units only, so the text keeps its alignment; an odd tail
    // byte that is zero goes first.
    if (text.size() % 2 != 0 && text.back() == '\0') text.pop_back();
    while (text.size() >= 4 && text.size() % 2 == 0 && text[text.size() - 1] == '\0' &&
           text[text.size() - 2] == '\0') {
      text.resize(text.size() - 2);
    }
    return;
  }
  while (!text.empty() && text.back() == '\0') text.pop_back();
}

bool FmfCipher::looksLikeText(std::string_view text) {
  const auto control = [](unsigned unit) {
    return unit < 0x20 && unit != '\t' && unit != '\n' && unit != '\r' && unit != 0x1A;
  };
  const bool utf16 = text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
                     static_cast<unsigned char>(text[1]) == 0xFE;
  if (utf16) {
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
      const unsigned unit = static_cast<unsigned char>(text[i]) |
                            (static_cast<unsigned>(static_cast<unsigned char>(text[i + 1])) << 8);
      if (control(unit)) return false;
    }
    return true;
  }
  for (const char c : text) {
    if (control(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace ostrel
