// Version: parsing, printing and comparison.
#include "zavrel/datafile/version.h"

#include <vector>

#include "base/no_throw.h"
#include "zavrel/util/string_utility.h"

const Version Version::INVALID;

Version::Version() : part1(-1), part2(-1), part3(-1), part4(-1) {}

Version::Version(int p1, int p2, int p3, int p4) : part1(p1), part2(p2), part3(p3), part4(p4) {}

Version::Version(unsigned int& packed) : Version() { SetValue(packed); }

Version::Version(std::string& text) : Version() { SetValue(text); }

Version::Version(const Version& other) = default;

Version& Version::operator=(const Version& other) = default;

Version& Version::operator=(const std::string& text) {
  SetValue(text);
  return *this;
}

bool Version::SetValue(int p1, int p2, int p3, int p4) {
  part1 = p1;
  part2 = p2;
  part3 = p3;
  part4 = p4;
  return true;
}

bool Version::SetValue(const unsigned int& packed) {
  part1 = static_cast<int>(packed & 0xFFu);
  part2 = static_cast<int>((packed >> 8) & 0xFFu);
  part3 = static_cast<int>((packed >> 16) & 0xFFu);
  part4 = static_cast<int>((packed >> 24) & 0xFFu);
  return true;
}

bool Version::SetValue(const std::string& text) {
  // Out of memory: false, the parts as they were.
  return NoThrow(false, [&] { return ParseText(text); });
}

bool Version::ParseText(const std::string& text) {
  std::vector<std::string> parts;
  parts.reserve(4);
  std::string current;
  for (char c : text) {
    if (c == '.' || c == ',') {
      parts.push_back(current);
      current.clear();
      if (parts.size() > 4) return false;  // can no longer be four parts
    } else {
      current.push_back(c);
      StringUtility::trim(current);
    }
  }
  parts.push_back(current);
  if (parts.size() != 4) return false;
  part1 = StringUtility::parseInt(parts[0]);
  part2 = StringUtility::parseInt(parts[1]);
  part3 = StringUtility::parseInt(parts[2]);
  part4 = StringUtility::parseInt(parts[3]);
  return true;
}

std::string Version::GetString() {
  return NoThrow(std::string(), [&] { return Print(); });
}

std::string Version::Print() const {
  return StringUtility::toString(part1) + "." + StringUtility::toString(part2) + "." + StringUtility::toString(part3) +
         "." + StringUtility::toString(part4);
}

bool Version::operator==(const Version& other) const {
  return part1 == other.part1 && part2 == other.part2 && part3 == other.part3 && part4 == other.part4;
}

bool Version::operator!=(const Version& other) const { return !(*this == other); }

bool Version::operator>(const Version& other) const {
  if (part1 != other.part1) return part1 > other.part1;
  if (part2 != other.part2) return part2 > other.part2;
  if (part3 != other.part3) return part3 > other.part3;
  return part4 > other.part4;
}

bool Version::operator<(const Version& other) const {
  if (part1 != other.part1) return part1 < other.part1;
  if (part2 != other.part2) return part2 < other.part2;
  if (part3 != other.part3) return part3 < other.part3;
  return part4 < other.part4;
}
