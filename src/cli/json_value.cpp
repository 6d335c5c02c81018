#include "cli/json_value.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <unordered_set>

namespace ostrel {

// The recursive-descent reader behind JsonValue::parse.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : s_(text) {}

  std::optional<JsonValue> document(std::string& error) {
    JsonValue v;
    skipSpace();
    if (value(v, 0)) {
      skipSpace();
      if (pos_ == s_.size()) return v;
      fail("unexpected text after the document");
    }
    error = where() + ": " + reason_;
    return std::nullopt;
  }

 private:
  bool fail(std::string reason) {
    if (reason_.empty()) reason_ = std::move(reason);
    return false;
  }

  std::string where() const {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < pos_ && i < s_.size(); ++i) {
      if (s_[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
  }

  bool atEnd() const { return pos_ >= s_.size(); }
  char peek() const { return s_[pos_]; }

  void skipSpace() {
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
      ++pos_;
    }
  }

  bool literal(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return fail("unknown word (expected a value)");
    pos_ += word.size();
    return true;
  }

  bool value(JsonValue& v, int depth) {
    if (atEnd()) return fail("the document ends where a value should be");
    switch (peek()) {
      case '{': return object(v, depth + 1);
      case '[': return array(v, depth + 1);
      case '"': v.kind_ = JsonValue::Kind::String; return string(v.text_);
      case 't': v.kind_ = JsonValue::Kind::Bool; v.boolean_ = true; return literal("true");
      case 'f': v.kind_ = JsonValue::Kind::Bool; v.boolean_ = false; return literal("false");
      case 'n': v.kind_ = JsonValue::Kind::Null; return literal("null");
      default: return number(v);
    }
  }

  bool object(JsonValue& v, int depth) {
    if (depth > JsonValue::kMaxDepth) return fail("nested too deeply");
    v.kind_ = JsonValue::Kind::Object;
    ++pos_;
    skipSpace();
    if (!atEnd() && peek() == '}') {
      ++pos_;
      return true;
    }
    std::unordered_set<std::string> keys;
    for (;;) {
      skipSpace();
      if (atEnd() || peek() != '"') return fail("expected a key in double quotes");
      std::string key;
      const std::size_t keyAt = pos_;
      if (!string(key)) return false;
      if (!keys.insert(key).second) {
        pos_ = keyAt;
        return fail("the key \"" + key + "\" appears twice");
      }
      skipSpace();
      if (atEnd() || peek() != ':') return fail("expected ':' after the key");
      ++pos_;
      skipSpace();
      JsonValue member;
      if (!value(member, depth)) return false;
      v.members_.emplace_back(std::move(key), std::move(member));
      skipSpace();
      if (atEnd()) return fail("the document ends inside an object");
      if (peek() == ',') {
        ++pos_;
        continue;
      }
      if (peek() == '}') {
        ++pos_;
        return true;
      }
      return fail("expected ',' or '}' in an object");
    }
  }

  bool array(JsonValue& v, int depth) {
    if (depth > JsonValue::kMaxDepth) return fail("nested too deeply");
    v.kind_ = JsonValue::Kind::Array;
    ++pos_;
    skipSpace();
    if (!atEnd() && peek() == ']') {
      ++pos_;
      return true;
    }
    for (;;) {
      skipSpace();
      JsonValue item;
      if (!value(item, depth)) return false;
      v.items_.push_back(std::move(item));
      skipSpace();
      if (atEnd()) return fail("the document ends inside an array");
      if (peek() == ',') {
        ++pos_;
        continue;
      }
      if (peek() == ']') {
        ++pos_;
        return true;
      }
      return fail("expected ',' or ']' in an array");
    }
  }

  bool digits() {
    const std::size_t start = pos_;
    while (!atEnd() && peek() >= '0' && peek() <= '9') ++pos_;
    return pos_ > start;
  }

  bool number(JsonValue& v) {
    const std::size_t start = pos_;
    if (!atEnd() && peek() == '-') ++pos_;
    if (atEnd() || peek() < '0' || peek() > '9') return fail("expected a value");
    if (peek() == '0') {
      ++pos_;
      if (!atEnd() && peek() >= '0' && peek() <= '9') return fail("a number must not start with 0");
    } else {
      digits();
    }
    if (!atEnd() && peek() == '.') {
      ++pos_;
      if (!digits()) return fail("expected digits after the decimal point");
    }
    if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
      ++pos_;
      if (!atEnd() && (peek() == '+' || peek() == '-')) ++pos_;
      if (!digits()) return fail("expected digits in the exponent");
    }
    double d = 0.0;
    const auto r = std::from_chars(s_.data() + start, s_.data() + pos_, d);
    if (r.ec != std::errc() || !std::isfinite(d)) {
      pos_ = start;
      return fail("the number is out of range");
    }
    v.kind_ = JsonValue::Kind::Number;
    v.number_ = d;
    return true;
  }

  static void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool hex4(std::uint32_t& out) {
    if (s_.size() - pos_ < 4) return fail("expected four hex digits after \\u");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[pos_++];
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) return fail("expected four hex digits after \\u");
      out = out * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
  }

  // One UTF-8 sequence starting at pos_, checked (no overlongs, no
  // surrogates, nothing above U+10FFFF).
  bool utf8Sequence(std::string& out) {
    const auto lead = static_cast<unsigned char>(s_[pos_]);
    int extra = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1Fu, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0Fu, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07u, min = 0x10000;
    } else {
      return fail("the text is not UTF-8");
    }
    if (s_.size() - pos_ <= static_cast<std::size_t>(extra)) return fail("the text is not UTF-8");
    for (int i = 1; i <= extra; ++i) {
      const auto c = static_cast<unsigned char>(s_[pos_ + static_cast<std::size_t>(i)]);
      if ((c & 0xC0) != 0x80) return fail("the text is not UTF-8");
      cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return fail("the text is not UTF-8");
    }
    out.append(s_.substr(pos_, static_cast<std::size_t>(extra) + 1));
    pos_ += static_cast<std::size_t>(extra) + 1;
    return true;
  }

  bool string(std::string& out) {
    ++pos_;  // the opening quote
    for (;;) {
      if (atEnd()) return fail("the document ends inside a string");
      const auto c = static_cast<unsigned char>(peek());
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return fail("a control character inside a string");
      if (c >= 0x80) {
        if (!utf8Sequence(out)) return false;
        continue;
      }
      ++pos_;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (atEnd()) return fail("the document ends inside a string");
      const char e = s_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          std::uint32_t cp = 0;
          if (!hex4(cp)) return false;
          if (cp >= 0xDC00 && cp <= 0xDFFF) return fail("a lone low surrogate in \\u");
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            std::uint32_t low = 0;
            if (s_.substr(pos_, 2) != "\\u") return fail("a high surrogate without its low half");
            pos_ += 2;
            if (!hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return fail("a high surrogate without its low half");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          appendUtf8(out, cp);
          break;
        }
        default: return fail("an unknown escape in a string");
      }
    }
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::string reason_;
};

const JsonValue* JsonValue::find(std::string_view key) const {
  for (const auto& [k, v] : members_) {
    if (k == key) return &v;
  }
  return nullptr;
}

bool JsonValue::isInteger() const { return isNumber() && std::trunc(number_) == number_; }

std::optional<JsonValue> JsonValue::parse(std::string_view text, std::string& error) {
  return JsonReader(text).document(error);
}

const char* JsonValue::kindName(Kind kind) {
  switch (kind) {
    case Kind::Null: return "null";
    case Kind::Bool: return "a boolean";
    case Kind::Number: return "a number";
    case Kind::String: return "a string";
    case Kind::Array: return "an array";
    case Kind::Object: return "an object";
  }
  return "a value";
}

}  // namespace ostrel
