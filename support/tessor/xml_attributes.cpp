#include "support/tessor/xml_attributes.h"

#include <climits>
#include <cstdint>

namespace {

const std::string& EmptyString() {
  static const std::string empty;
  return empty;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

const std::pair<std::string, std::string>* XMLAttributes::find(const std::string& attrName) const {
  for (const auto& attr : m_attrs) {
    if (attr.first == attrName) return &attr;
  }
  return nullptr;
}

void XMLAttributes::add(const std::string& attrName, const std::string& attrValue) {
  for (auto& attr : m_attrs) {
    if (attr.first == attrName) {
      attr.second = attrValue;
      return;
    }
  }
  m_attrs.emplace_back(attrName, attrValue);
}

void XMLAttributes::remove(const std::string& attrName) {
  for (auto it = m_attrs.begin(); it != m_attrs.end(); ++it) {
    if (it->first == attrName) {
      m_attrs.erase(it);
      return;
    }
  }
}

bool XMLAttributes::exists(const std::string& attrName) const { return find(attrName) != nullptr; }

const std::string& XMLAttributes::getName(std::size_t index) const {
  return index < m_attrs.size() ? m_attrs[index].first : EmptyString();
}

const std::string& XMLAttributes::getValue(std::size_t index) const {
  return index < m_attrs.size() ? m_attrs[index].second : EmptyString();
}

const std::string& XMLAttributes::getValueAsString(const std::string& attrName, const std::string& def) const {
  const auto* attr = find(attrName);
  return attr ? attr->second : def;
}

int XMLAttributes::getValueAsInteger(const std::string& attrName, int def) const {
  const auto* attr = find(attrName);
  int value = def;
  if (attr && parseInteger(attr->second, &value)) return value;
  return def;
}

bool XMLAttributes::parseInteger(const std::string& text, int* value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digitsStart = i;
  std::int64_t magnitude = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > static_cast<std::int64_t>(INT_MAX) + 1) return false;
    ++i;
  }
  if (i == digitsStart) return false;
  while (i < n && IsSpace(text[i])) ++i;
  if (i != n) return false;
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT_MAX || signedValue < INT_MIN) return false;
  if (value) *value = static_cast<int>(signedValue);
  return true;
}
