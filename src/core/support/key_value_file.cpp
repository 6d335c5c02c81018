#include "core/support/key_value_file.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "core/support/cstdio_file_ex.h"
#include "core/support/text_format.h"

namespace ostrel::keyvalue {

bool isScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view trimSpace(std::string_view s) {
  while (!s.empty() && isScanSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isScanSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::int32_t saturate(long long v) {
  return static_cast<std::int32_t>(std::clamp<long long>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// "%d" at pos: blanks skipped, optional sign, at least one digit. Values
// beyond 32 bits saturate. pos ends after the last digit.
bool scanInt(std::string_view s, std::size_t& pos, long long& out) {
  std::size_t p = pos;
  while (p < s.size() && isScanSpace(s[p])) ++p;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
    negative = s[p] == '-';
    ++p;
  }
  if (p >= s.size() || s[p] < '0' || s[p] > '9') return false;
  long long v = 0;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
    if (v < (1LL << 40)) v = v * 10 + (s[p] - '0');
    ++p;
  }
  out = negative ? -v : v;
  pos = p;
  return true;
}

std::int32_t readInt(std::string_view s) {
  std::size_t pos = 0;
  long long v = 0;
  return scanInt(s, pos, v) ? saturate(v) : 0;
}

// The floating value of a text as the C library's reader takes it, but
// independent of the process locale (a GUI may have set one).
double readDouble(std::string_view s) {
  while (!s.empty() && isScanSpace(s.front())) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) return 0.0;
  }
  double v = 0.0;
  const auto result = std::from_chars(s.data(), s.data() + s.size(), v);
  if (result.ec == std::errc::result_out_of_range) {
    // What strtod gives: zero for a negative exponent, infinity otherwise.
    const std::size_t e = s.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
    v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (result.ec != std::errc()) {
    v = 0.0;
  }
  return negative ? -v : v;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::int32_t fieldInt(const std::vector<FieldValue>& f, std::size_t i) {
  if (i >= f.size()) return 0;
  if (const auto* v = std::get_if<std::int32_t>(&f[i])) return *v;
  return 0;
}

double fieldDouble(const std::vector<FieldValue>& f, std::size_t i) {
  if (i >= f.size()) return 0.0;
  if (const auto* v = std::get_if<double>(&f[i])) return *v;
  return 0.0;
}

std::string fieldText(const std::vector<FieldValue>& f, std::size_t i) {
  if (i >= f.size()) return {};
  if (const auto* v = std::get_if<std::string>(&f[i])) return *v;
  return {};
}

namespace {

bool readKeyValueFrom(CStdioFileEx& file, std::string_view key, std::string_view compare,
                      std::string* dest, bool scanAll) {
  KeyValueLine line;
  while (ReadLine(file, line)) {
    if (line.Key != key) continue;
    if (dest != nullptr) *dest = line.Value;
    if (equalsIgnoreCase(line.Value, compare)) return true;
    if (!scanAll) return false;
  }
  return false;
}

}  // namespace

KeyValueLine SplitLine(std::string_view text) {
  KeyValueLine line;
  const std::size_t keyEnd = text.find_first_of("[=");
  line.Key = keyEnd == std::string_view::npos ? std::string()
                                              : std::string(trimBlanks(text.substr(0, keyEnd)));
  const std::size_t equals = text.find('=');
  line.HasEquals = equals != std::string_view::npos;
  line.Value = std::string(trimBlanks(line.HasEquals ? text.substr(equals + 1) : text));

  // "%*[^[][%d][%d]": at least one character before the first '[', the
  // number after it, then "][" and the second number. Absent numbers are 0.
  long long first = 0;
  long long second = 0;
  const std::size_t open = text.find('[');
  if (open != std::string_view::npos && open > 0) {
    std::size_t pos = open + 1;
    if (scanInt(text, pos, first) && pos + 1 < text.size() && text[pos] == ']' &&
        text[pos + 1] == '[') {
      pos += 2;
      scanInt(text, pos, second);
    }
  }
  line.Written1 = saturate(first);
  line.Index1 = saturate(static_cast<long long>(line.Written1) - 1);
  line.Index2 = saturate(second);
  const bool plusFirst =
      open != std::string_view::npos && open + 1 < text.size() && text[open + 1] == '+';
  line.Append1 = plusFirst || line.Index1 < 0;
  const std::size_t open2 =
      open == std::string_view::npos ? std::string_view::npos : text.find('[', open + 1);
  line.Append2 =
      open2 != std::string_view::npos && open2 + 1 < text.size() && text[open2 + 1] == '+';
  return line;
}

bool ReadLine(CStdioFileEx& file, KeyValueLine& line) {
  std::string text;
  while (file.ReadString(text)) {
    const std::size_t quote = text.find('\'');
    if (quote != std::string::npos) text.resize(quote);
    if (text.empty()) continue;
    line = SplitLine(text);
    return true;
  }
  return false;
}

int SplitFields(std::string_view value, std::string_view format,
                                 std::vector<FieldValue>& out) {
  out.clear();
  const std::string v = std::string(value) + '|';
  const std::string f = std::string(format) + '|';
  std::size_t vp = 0;
  std::size_t fp = 0;
  int converted = 0;
  while (fp < f.size()) {
    const std::size_t fe = f.find('|', fp);
    const std::string_view item = std::string_view(f).substr(fp, fe - fp);
    fp = fe + 1;
    if (item.empty()) continue;
    const bool present = vp < v.size();
    std::string_view field;
    if (present) {
      const std::size_t ve = v.find('|', vp);
      field = std::string_view(v).substr(vp, ve - vp);
      vp = ve + 1;
      ++converted;
    }
    if (item == "%d") {
      out.emplace_back(readInt(field));
    } else if (item == "%f") {
      out.emplace_back(readDouble(field));
    } else {
      out.emplace_back(std::string(field));
    }
  }
  return converted;
}

bool ReadKeyValue(const std::filesystem::path& path, std::string_view key,
                  std::string_view compare, std::string* dest, bool scanAll) {
  CStdioFileEx file;
  if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite)) return false;
  return readKeyValueFrom(file, key, compare, dest, scanAll);
}

bool ReadKeyValueBytes(std::string bytes, std::string_view key, std::string_view compare,
                       std::string* dest, bool scanAll) {
  CStdioFileEx file;
  if (!file.OpenBytes(std::move(bytes))) return false;
  return readKeyValueFrom(file, key, compare, dest, scanAll);
}

RewriteResult RewriteKeyValue(const std::filesystem::path& path, std::string_view key,
                              std::string_view newValue) {
  CStdioFileEx in;
  if (!in.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite)) {
    return RewriteResult::Failed;
  }
  CStdioFileEx out;
  if (!out.Open(path, CStdioFileEx::modeWriteUnicode | CStdioFileEx::modeAtomic |
                          CStdioFileEx::modeWrite | CStdioFileEx::modeCreate)) {
    return RewriteResult::Failed;
  }
  bool found = false;
  KeyValueLine line;
  while (ReadLine(in, line)) {
    const bool match = line.Key == key;
    found = found || match;
    out.WriteString(
        formatText("%s = %s\n", {line.Key, match ? std::string(newValue) : line.Value}));
  }
  if (in.ReadFailed()) {
    // Half a file must never replace the whole one.
    out.Abandon();
    return RewriteResult::Failed;
  }
  in.Close();
  // Close() renames the finished file into place, or leaves the target as it was.
  if (!out.Close()) return RewriteResult::Failed;
  return found ? RewriteResult::Rewritten : RewriteResult::KeyMissing;
}

}  // namespace ostrel::keyvalue
