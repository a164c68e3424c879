#pragma once
// One content line of a vCard after unfolding: "group.NAME;PARAM=a,b:value".
// Names are upper-cased; parameter values are unquoted and their carets
// decoded, but the value is still raw (escaped), because how to unescape it
// depends on the property.

#include <string>
#include <vector>

namespace platform::addressbook {

struct VCardParameter {
  std::string name;  // upper-case; a bare parameter of older writers ("WORK") is a TYPE
  std::vector<std::string> values;
};

struct VCardLine {
  std::string group;  // empty when the line has none
  std::string name;
  std::vector<VCardParameter> parameters;
  std::string value;

  // Every value of every parameter of that (upper-case) name, in order.
  std::vector<std::string> parameterValues(const std::string& parameterName) const {
    std::vector<std::string> values;
    for (const auto& parameter : parameters) {
      if (parameter.name == parameterName) values.insert(values.end(), parameter.values.begin(), parameter.values.end());
    }
    return values;
  }
};

// The lines between one BEGIN:VCARD and its END:VCARD.
struct VCard {
  std::vector<VCardLine> lines;
};

}  // namespace platform::addressbook
