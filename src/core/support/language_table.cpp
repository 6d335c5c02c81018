#include "core/support/language_table.h"

#include "core/support/cstdio_file_ex.h"
#include "core/support/presenter.h"
#include "core/support/text_codec.h"

namespace ostrel {
namespace {

using U16 = std::u16string;

bool isSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

U16 trim(const U16& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && isSpace(s[b])) ++b;
  while (e > b && isSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

void replaceAll(U16& s, const U16& from, const U16& to) {
  std::size_t pos = 0;
  while ((pos = s.find(from, pos)) != U16::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}

// Where each column's text lies in the first line of an entry. Continuation
// lines are cut at the same character positions.
struct ColumnSpan {
  bool present = false;
  std::size_t start = 0;
  std::size_t length = U16::npos;  // npos: to the end of the line
};

// Appends one column piece (step 6 of the grammar); true when it asks for a
// continuation line.
bool appendPiece(const U16& line, const ColumnSpan& span, U16& text) {
  if (!span.present) return false;
  U16 piece = span.start < line.size() ? line.substr(span.start, span.length) : U16();
  piece = trim(piece);
  bool continued = false;
  if (!piece.empty() && piece.back() == u'\\') {
    continued = true;
    while (!piece.empty() && piece.back() == u'\\') piece.pop_back();
  }
  text += piece;
  return continued;
}

}  // namespace

int LanguageTable::Load(const std::string& fileName) { return LoadPath(folder_ / fileName); }

int LanguageTable::LoadPath(const std::filesystem::path& path) {
  entries_.clear();
  CStdioFileEx file;
  const bool opened = file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyWrite);
  notices_ = CStdioFileEx::UnicodeCheckNotices(file.LastUnicodeCheck());
  if (!opened) {
    notices_.push_back(Notice::platformBox("Error:  Cannot open the Language File. \n", kStylePlain));
    return -1;
  }
  parse(file);
  file.Close();
  return 0;
}

int LanguageTable::LoadBytes(std::string bytes) {
  entries_.clear();
  CStdioFileEx file;
  if (!file.OpenBytes(std::move(bytes))) return -1;
  parse(file);
  return 0;
}

void LanguageTable::parse(CStdioFileEx& file) {
  std::string utf8;
  while (file.ReadString(utf8)) {
    U16 line = utf8ToUtf16(utf8);
    const std::size_t quote = line.find(u'\'');
    if (quote != U16::npos) line.resize(quote);
    line = trim(line);
    if (line.empty()) continue;

    LanguageEntry entry;
    const std::size_t keyEnd = line.find_first_of(u"[=");
    if (keyEnd != U16::npos) entry.Key = utf16ToUtf8(trim(line.substr(0, keyEnd)));

    const std::size_t eq = line.find(u'=');
    const std::size_t valueStart = eq == U16::npos ? 0 : eq + 1;
    const std::size_t arrow = line.find(u"->", valueStart);
    ColumnSpan spans[2];
    spans[0].present = true;
    spans[0].start = valueStart;
    if (arrow != U16::npos) {
      spans[0].length = arrow - valueStart;
      spans[1].present = true;
      spans[1].start = arrow + 2;
    }
    // Without an arrow column 0 ran to the end of the line, and so it does on
    // continuation lines.

    U16 texts[2];
    bool continued = false;
    for (int c = 0; c < 2; ++c) continued = appendPiece(line, spans[c], texts[c]) || continued;
    while (continued) {
      continued = false;
      std::string nextUtf8;
      if (!file.ReadString(nextUtf8)) break;
      U16 next = utf8ToUtf16(nextUtf8);
      replaceAll(next, u"\\\\n", u"\n");
      for (int c = 0; c < 2; ++c) {
        ColumnSpan span = spans[c];
        if (c == 1) span.length = U16::npos;
        continued = appendPiece(next, span, texts[c]) || continued;
      }
    }

    if (static_cast<int>(entries_.size()) >= kCapacity) continue;  // table full: ignore
    entry.Texts[0] = utf16ToUtf8(texts[0]);
    entry.Texts[1] = utf16ToUtf8(texts[1]);
    entries_.push_back(std::move(entry));
  }
}

bool LanguageTable::Lookup(std::string_view key, int column, std::string& dest) const {
  if (column != 0 && column != 1) column = 0;
  for (const LanguageEntry& e : entries_) {
    if (e.Key != key) continue;
    const std::string& text = e.Texts[static_cast<std::size_t>(column)];
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
        out.push_back('\n');
        ++i;
      } else {
        out.push_back(text[i]);
      }
    }
    dest = std::move(out);
    return true;
  }
  return false;
}

std::string LanguageTable::Text(std::string_view key, int column, std::string_view fallback) const {
  std::string text(fallback);
  Lookup(key, column, text);
  return text;
}

}  // namespace ostrel
