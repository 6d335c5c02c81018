#include "core/support/text_format.h"

#include "core/support/text_codec.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ostrel {

long long FormatArg::asInteger() const {
  if (const auto* i = std::get_if<long long>(&value_)) return *i;
  if (const auto* d = std::get_if<double>(&value_)) {
    if (*d != *d) return 0;
    if (*d >= 9.2e18) return INT64_MAX;
    if (*d <= -9.2e18) return INT64_MIN;
    return static_cast<long long>(*d);
  }
  return std::strtoll(std::get<std::string>(value_).c_str(), nullptr, 10);
}

double FormatArg::asDouble() const {
  if (const auto* i = std::get_if<long long>(&value_)) return static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&value_)) return *d;
  return std::strtod(std::get<std::string>(value_).c_str(), nullptr);
}

std::string FormatArg::asText() const {
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  if (const auto* i = std::get_if<long long>(&value_)) return std::to_string(*i);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", std::get<double>(value_));
  return buf;
}

namespace {

constexpr int kMaxWidth = 4096;  // a width or precision beyond this is data noise

bool isDigit(char c) { return c >= '0' && c <= '9'; }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string runSnprintf(const std::string& directive, auto value) {
  // The directive holds only flags, width, precision and one conversion we checked.
  const int n = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<std::size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), directive.c_str(), value);
  return std::string(buf.data(), static_cast<std::size_t>(n));
}
#pragma GCC diagnostic pop

}  // namespace

std::string formatText(std::string_view fmt, std::initializer_list<FormatArg> args) {
  return formatText(fmt, args.begin(), args.end());
}

std::string formatText(std::string_view fmt, const std::vector<FormatArg>& args) {
  return formatText(fmt, args.data(), args.data() + args.size());
}

std::string formatText(std::string_view fmt, const FormatArg* first, const FormatArg* last) {
  std::string out;
  out.reserve(fmt.size() + 16);
  const FormatArg* next = first;
  const auto take = [&]() -> const FormatArg* {
    if (next == last) return nullptr;
    return next++;
  };

  std::size_t i = 0;
  while (i < fmt.size()) {
    const char c = fmt[i];
    if (c != '%') {
      out.push_back(c);
      ++i;
      continue;
    }
    const std::size_t start = i++;
    if (i < fmt.size() && fmt[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    std::string flags;
    while (i < fmt.size() && std::string_view("-+ #0").find(fmt[i]) != std::string_view::npos) {
      if (flags.find(fmt[i]) == std::string::npos) flags.push_back(fmt[i]);
      ++i;
    }
    int width = -1;
    if (i < fmt.size() && fmt[i] == '*') {
      const FormatArg* a = take();
      long long w = a ? a->asInteger() : 0;
      if (w < 0) {
        flags.push_back('-');
        w = -w;
      }
      width = static_cast<int>(w > kMaxWidth ? kMaxWidth : w);
      ++i;
    } else {
      while (i < fmt.size() && isDigit(fmt[i])) {
        width = (width < 0 ? 0 : width) * 10 + (fmt[i] - '0');
        if (width > kMaxWidth) width = kMaxWidth;
        ++i;
      }
    }
    int precision = -1;
    if (i < fmt.size() && fmt[i] == '.') {
      ++i;
      precision = 0;
      if (i < fmt.size() && fmt[i] == '*') {
        const FormatArg* a = take();
        const long long p = a ? a->asInteger() : 0;
        precision = p < 0 ? -1 : static_cast<int>(p > kMaxWidth ? kMaxWidth : p);
        ++i;
      } else {
        while (i < fmt.size() && isDigit(fmt[i])) {
          precision = precision * 10 + (fmt[i] - '0');
          if (precision > kMaxWidth) precision = kMaxWidth;
          ++i;
        }
      }
    }
    // Length modifiers carry no meaning here: every argument knows its type.
    while (i < fmt.size()) {
      const char m = fmt[i];
      if (m == 'h' || m == 'l' || m == 'L' || m == 'q' || m == 'j' || m == 'z' || m == 't') {
        ++i;
      } else if (m == 'I') {
        ++i;
        if (fmt.substr(i, 2) == "32" || fmt.substr(i, 2) == "64") i += 2;
      } else {
        break;
      }
    }
    if (i >= fmt.size()) {
      out.append(fmt.substr(start));
      break;
    }
    const char conv = fmt[i++];
    std::string directive = "%" + flags;
    if (width >= 0) directive += std::to_string(width);
    if (precision >= 0) directive += "." + std::to_string(precision);

    switch (conv) {
      case 'd':
      case 'i': {
        const FormatArg* a = take();
        out += runSnprintf(directive + "lld", a ? a->asInteger() : 0LL);
        break;
      }
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        const FormatArg* a = take();
        long long v = a ? a->asInteger() : 0LL;
        // A 32-bit negative value prints as the unsigned 32-bit number, as a
        // 32-bit int does under %u or %x.
        unsigned long long u = (v < 0 && v >= INT32_MIN)
                                   ? static_cast<unsigned long long>(static_cast<std::uint32_t>(v))
                                   : static_cast<unsigned long long>(v);
        out += runSnprintf(directive + "ll" + conv, u);
        break;
      }
      case 'c': {
        const FormatArg* a = take();
        const long long v = a ? a->asInteger() : 0LL;
        std::string ch;
        if (v > 0) appendUtf8(ch, static_cast<char32_t>(v < 0x110000 ? v : 0xFFFD));
        const bool left = flags.find('-') != std::string::npos;
        const std::size_t w = width > 1 ? static_cast<std::size_t>(width) : 1;
        if (!left && w > 1) out.append(w - 1, ' ');
        out += ch;
        if (left && w > 1) out.append(w - 1, ' ');
        break;
      }
      case 's':
      case 'S': {
        const FormatArg* a = take();
        out += runSnprintf(directive + "s", (a ? a->asText() : std::string()).c_str());
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A': {
        const FormatArg* a = take();
        out += runSnprintf(directive + conv, a ? a->asDouble() : 0.0);
        break;
      }
      default:
        // Not a directive we know: keep the text as written.
        out.append(fmt.substr(start, i - start));
        break;
    }
  }
  return out;
}

}  // namespace ostrel
