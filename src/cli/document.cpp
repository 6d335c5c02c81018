#include "cli/document.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ostrel {

Node num(long long v) {
  Node n;
  n.kind = Node::Kind::Int;
  n.integer = v;
  return n;
}
Node real(double v) {
  Node n;
  n.kind = Node::Kind::Real;
  n.real = v;
  return n;
}
Node realSingle(float v) {
  Node n = real(static_cast<double>(v));
  n.single = true;
  return n;
}
Node str(std::string v) {
  Node n;
  n.kind = Node::Kind::Text;
  n.text = std::move(v);
  return n;
}

static bool isScalar(const Node& n) {
  return n.kind != Node::Kind::Array && n.kind != Node::Kind::Object;
}

static std::string realText(const Node& n) {
  if (!std::isfinite(n.real)) return {};
  char buf[64];
  const auto r = n.single ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(n.real))
                          : std::to_chars(buf, buf + sizeof buf, n.real);
  return std::string(buf, r.ptr);
}

static void jsonString(std::ostream& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out << '"';
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out << "\\\""; break;
      case '\\': out << "\\\\"; break;
      case '\n': out << "\\n"; break;
      case '\r': out << "\\r"; break;
      case '\t': out << "\\t"; break;
      case '\b': out << "\\b"; break;
      case '\f': out << "\\f"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out << "\\u00" << kHex[u >> 4] << kHex[u & 0xF];
        } else {
          out << c;
        }
    }
  }
  out << '"';
}

void writeJson(std::ostream& out, const Node& n, int depth) {
  const std::string pad(static_cast<std::size_t>(depth + 1) * 2, ' ');
  const std::string closePad(static_cast<std::size_t>(depth) * 2, ' ');
  switch (n.kind) {
    case Node::Kind::Null: out << "null"; break;
    case Node::Kind::Int: out << n.integer; break;
    case Node::Kind::Bool: out << (n.integer != 0 ? "true" : "false"); break;
    case Node::Kind::Real: {
      const std::string t = realText(n);
      out << (t.empty() ? "null" : t);
      break;
    }
    case Node::Kind::Text: jsonString(out, n.text); break;
    case Node::Kind::Array:
    case Node::Kind::Object: {
      const bool isObject = n.kind == Node::Kind::Object;
      if (n.values.empty()) {
        out << (isObject ? "{}" : "[]");
        break;
      }
      out << (isObject ? "{\n" : "[\n");
      for (std::size_t i = 0; i < n.values.size(); ++i) {
        out << pad;
        if (isObject) {
          jsonString(out, n.keys[i]);
          out << ": ";
        }
        writeJson(out, n.values[i], depth + 1);
        out << (i + 1 < n.values.size() ? ",\n" : "\n");
      }
      out << closePad << (isObject ? '}' : ']');
      break;
    }
  }
}

static std::string scalarText(const Node& n) {
  switch (n.kind) {
    case Node::Kind::Int: return std::to_string(n.integer);
    case Node::Kind::Real: {
      const std::string t = realText(n);
      return t.empty() ? (std::isnan(n.real) ? "nan" : n.real > 0 ? "inf" : "-inf") : t;
    }
    case Node::Kind::Text: return n.text;
    case Node::Kind::Bool: return n.integer != 0 ? "true" : "false";
    default: return "-";
  }
}

void writeText(std::ostream& out, const Node& n, int depth) {
  const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
  if (n.kind == Node::Kind::Object) {
    for (std::size_t i = 0; i < n.values.size(); ++i) {
      const Node& v = n.values[i];
      if (isScalar(v)) {
        out << pad << n.keys[i] << ": " << scalarText(v) << '\n';
      } else if (v.kind == Node::Kind::Array &&
                 std::all_of(v.values.begin(), v.values.end(), isScalar)) {
        out << pad << n.keys[i] << ":";
        for (const Node& item : v.values) out << ' ' << scalarText(item);
        out << '\n';
      } else {
        out << pad << n.keys[i] << ":\n";
        writeText(out, v, depth + 1);
      }
    }
  } else if (n.kind == Node::Kind::Array) {
    for (std::size_t i = 0; i < n.values.size(); ++i) {
      out << pad << "- #" << i + 1 << '\n';
      writeText(out, n.values[i], depth + 1);
    }
  } else {
    out << pad << scalarText(n) << '\n';
  }
}

Node boolean(bool v) {
  Node n;
  n.kind = Node::Kind::Bool;
  n.integer = v ? 1 : 0;
  return n;
}

void writeDocument(std::ostream& out, const Node& n, bool json) {
  if (json) {
    writeJson(out, n);
    out << '\n';
  } else {
    writeText(out, n);
  }
}

}  // namespace ostrel
