#pragma once
// The line format shared by the model files, the structure files and the
// settings file: "KEY[i][j] = value" lines, comments from the first
// apostrophe, '|' separated fields. Reading a key's value and rewriting one
// key in place live here too, since the settings store needs them without
// the model database.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ostrel {

class CStdioFileEx;

// One line as the line reader splits it.
struct KeyValueLine {
  std::string Key;    // text before the first '[' or '=', blanks trimmed
  std::string Value;  // text after the first '=' (whole line without one), blanks trimmed
  bool HasEquals = false;
  std::int32_t Written1 = 0;  // first index as the file writes it (from 1; 0 when absent)
  std::int32_t Index1 = -1;   // Written1 - 1
  std::int32_t Index2 = 0;    // second index as written (from 0)
  bool Append1 = true;        // "[+" or no usable first index: next free slot
  bool Append2 = false;       // second bracket pair starts with '+'
};

// One converted field of a '|' list.
using FieldValue = std::variant<std::int32_t, double, std::string>;

enum class RewriteResult {
  Rewritten,   // every line with the key carries the new value
  KeyMissing,  // the file was rewritten, but no line carried the key
  Failed,      // the file could not be read or written; it is unchanged
};

namespace keyvalue {

// Splits one line (comment already cut) into key, value and indices.
KeyValueLine SplitLine(std::string_view text);

// Reads the next line that is not empty once its comment (from the first
// apostrophe) is cut. False at the end of the file.
bool ReadLine(CStdioFileEx& file, KeyValueLine& line);

// Reads a '|' separated value by a format of "%d|", "%f|" and "%s|" items
// (any other item reads text). out receives one value per item; items past
// the end of the value store 0 or empty text. Returns the number of items
// the value had a field for.
int SplitFields(std::string_view value, std::string_view format, std::vector<FieldValue>& out);

// First line of the key: copies its value to dest (if given) and yields
// whether it equals compare ignoring case. With scanAll, any line of the key
// carrying the text gives true.
bool ReadKeyValue(const std::filesystem::path& path, std::string_view key,
                  std::string_view compare, std::string* dest, bool scanAll);
bool ReadKeyValueBytes(std::string bytes, std::string_view key, std::string_view compare,
                       std::string* dest, bool scanAll);

// Rewrites the file as "key = value" lines, every line of the key with the
// new value. Written completely to a temporary file, then renamed into place;
// a read error part-way leaves the file as it was.
RewriteResult RewriteKeyValue(const std::filesystem::path& path, std::string_view key,
                              std::string_view newValue);

// Number and text rules of the format, independent of the process locale.
bool isScanSpace(char c);
std::string_view trimBlanks(std::string_view s);
std::string_view trimSpace(std::string_view s);
std::int32_t saturate(long long v);
// "%d" at pos: blanks skipped, optional sign, at least one digit. Values
// beyond 32 bits saturate. pos ends after the last digit.
bool scanInt(std::string_view s, std::size_t& pos, long long& out);
std::int32_t readInt(std::string_view s);
double readDouble(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::int32_t fieldInt(const std::vector<FieldValue>& f, std::size_t i);
double fieldDouble(const std::vector<FieldValue>& f, std::size_t i);
std::string fieldText(const std::vector<FieldValue>& f, std::size_t i);

}  // namespace keyvalue
}  // namespace ostrel
