#pragma once
// A small, strict JSON reader for the command-line tool's input files: the
// whole of RFC 8259 and nothing beyond it (no comments, no trailing commas,
// no NaN), UTF-8 only, duplicate keys refused, nesting limited. Anything
// else is refused with the place and the reason.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrel {

class JsonValue {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };
  static constexpr int kMaxDepth = 64;

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  bool isBool() const { return kind_ == Kind::Bool; }
  bool isNumber() const { return kind_ == Kind::Number; }
  bool isString() const { return kind_ == Kind::String; }
  bool isArray() const { return kind_ == Kind::Array; }
  bool isObject() const { return kind_ == Kind::Object; }

  bool boolean() const { return boolean_; }
  double number() const { return number_; }
  const std::string& text() const { return text_; }
  const std::vector<JsonValue>& items() const { return items_; }
  const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
  // The member of an object with that key, or null.
  const JsonValue* find(std::string_view key) const;
  // A number without a fractional part.
  bool isInteger() const;

  // The document in text, or nothing with error set to "line L, column C: reason".
  static std::optional<JsonValue> parse(std::string_view text, std::string& error);

  // Kind names for messages ("a number", "an array" ...).
  static const char* kindName(Kind kind);

 private:
  friend class JsonReader;

  Kind kind_ = Kind::Null;
  bool boolean_ = false;
  double number_ = 0.0;
  std::string text_;
  std::vector<JsonValue> items_;
  std::vector<std::pair<std::string, JsonValue>> members_;
};

}  // namespace ostrel
