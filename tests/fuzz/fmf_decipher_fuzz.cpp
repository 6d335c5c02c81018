// Deciphers any bytes as an enciphered model file, checks that enciphering
// gives the (padded) input back, and parses the deciphered text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/model/fmf_cipher.h"
#include "core/model/model_database.h"
#include "core/model/model_file_parser.h"
#include "core/model/model_images.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ostrel::FmfCipher cipher;
  const std::string deciphered = cipher.decipher(bytes);
  if (deciphered.size() % ostrel::FmfCipher::kBlockSize != 0 || deciphered.size() < size) {
    __builtin_trap();
  }
  std::string padded = bytes;
  padded.resize(deciphered.size(), '\0');
  if (cipher.encipher(deciphered) != padded) __builtin_trap();

  std::string text = deciphered;
  ostrel::FmfCipher::stripZeroPadding(text);
  if (text.size() > deciphered.size() || deciphered.compare(0, text.size(), text) != 0) {
    __builtin_trap();
  }

  static auto* database = new ostrel::ModelDatabase;
  static auto* images = new ostrel::ModelImages;
  ostrel::ResetModelDatabase(*database, *images, nullptr);
  ostrel::ModelTargets targets;
  targets.database = database;
  targets.images = images;
  ostrel::ModelFileParser parser(targets);
  parser.ParseBytes(text, "KM.fmf");
  return 0;
}
