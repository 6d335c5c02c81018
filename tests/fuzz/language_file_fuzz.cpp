// Any bytes as a language file: the table must load them without reading or
// writing outside its buffers, stay within its capacity, and answer lookups.
#include <cstdint>
#include <string>

#include "core/support/language_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ostrel::LanguageTable table;
  table.LoadBytes(std::string(reinterpret_cast<const char*>(data), size));
  if (table.Count() > ostrel::LanguageTable::kCapacity) __builtin_trap();
  std::string text;
  for (int i = 0; i < table.Count() && i < 8; ++i) {
    table.Lookup(table.Entry(i).Key, i % 2, text);
  }
  table.Lookup("IDC_RESTART", 1, text);
  return 0;
}
