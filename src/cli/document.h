#pragma once
// A small document tree that the command-line tool prints either as JSON or
// as indented text, so every command has both forms from one description.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrel {

// A small document tree, rendered either as JSON or as indented text.
struct Node {
  enum class Kind { Null, Int, Real, Text, Bool, Array, Object };
  Kind kind = Kind::Null;
  long long integer = 0;
  double real = 0.0;
  bool single = false;  // a float: printed with float precision
  std::string text;
  std::vector<std::string> keys;  // Object
  std::vector<Node> values;       // Array and Object

  static Node object() {
    Node n;
    n.kind = Kind::Object;
    return n;
  }
  static Node array() {
    Node n;
    n.kind = Kind::Array;
    return n;
  }
  Node& add(std::string key, Node value) {
    keys.push_back(std::move(key));
    values.push_back(std::move(value));
    return values.back();
  }
  Node& push(Node value) {
    values.push_back(std::move(value));
    return values.back();
  }
};

Node num(long long v);
Node real(double v);
Node realSingle(float v);
Node str(std::string v);
Node boolean(bool v);

// One JSON document (ends with a line break) or the indented text form.
void writeJson(std::ostream& out, const Node& n, int depth = 0);
void writeText(std::ostream& out, const Node& n, int depth = 0);
void writeDocument(std::ostream& out, const Node& n, bool json);

}  // namespace ostrel
