// XMLAttributes: the attributes of one element, as the parser hands them to
// XMLHandler::elementStart.
//
// Names and values are byte strings exactly as they stand in the document
// after entity replacement (no code-page conversion). Attributes keep
// document order; names are compared exactly (case-sensitive).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "base/library_api.h"

class TESSOR_API XMLAttributes {
 public:
  XMLAttributes() = default;
  XMLAttributes(const XMLAttributes&) = default;
  XMLAttributes& operator=(const XMLAttributes&) = default;
  ~XMLAttributes() = default;

  // Sets an attribute: replaces the value of an attribute of that name, or
  // appends a new one.
  void add(const std::string& attrName, const std::string& attrValue);
  // Removes the attribute; nothing happens when it is absent.
  void remove(const std::string& attrName);
  bool exists(const std::string& attrName) const;
  std::size_t getCount() const { return m_attrs.size(); }
  // Name and value at a position in document order; empty strings when the
  // position is out of range.
  const std::string& getName(std::size_t index) const;
  const std::string& getValue(std::size_t index) const;

  // The attribute's text, or def when the attribute is absent. The reference
  // is to the stored text (valid until this set changes or goes) or to def.
  const std::string& getValueAsString(const std::string& attrName, const std::string& def = std::string()) const;

  // The attribute's text read as a signed 32-bit decimal integer, or def when
  // the attribute is absent or its text is not such a number: optional white
  // space, an optional sign, at least one digit, optional white space and
  // nothing else; values outside the 32-bit range count as not a number.
  int getValueAsInteger(const std::string& attrName, int def = 0) const;

  // The parsing rule of getValueAsInteger: true and *value set when text is
  // a 32-bit decimal integer; false (value untouched) otherwise.
  static bool parseInteger(const std::string& text, int* value);

 private:
  const std::pair<std::string, std::string>* find(const std::string& attrName) const;

  std::vector<std::pair<std::string, std::string>> m_attrs;
};
