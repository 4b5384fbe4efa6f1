#pragma once
// Text as XML's character data and attribute values must spell it, for the
// build tools that write installer sources, manifests and templates.

#include <string>

namespace pelzorvick::build_tool {

inline std::string Xml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace pelzorvick::build_tool
