// Version: a four-part version number such as 1.2.3.4.
//
// Made from four integers, from a 32-bit value packed one byte per part
// (least significant byte first), or from text whose parts are separated by
// points or commas; prints itself as dotted text; compares part by part as
// signed integers. All four parts -1 is the invalid version (INVALID, and
// what the default constructor makes). Nothing here throws: when memory runs
// out, SetValue of a text answers false and GetString "".
#pragma once

#include <string>

#include "zavrel/zavrel_api.h"

class ZAVREL_API Version {
 public:
  static const Version INVALID;

  Version();
  Version(int p1, int p2, int p3, int p4);
  // Unpacks the four bytes: the least significant becomes part1.
  Version(unsigned int& packed);
  // Parses the text; the invalid version when it does not parse.
  Version(std::string& text);
  Version(const Version& other);

  Version& operator=(const Version& other);
  // Parses the text; the parts stay as they were when it does not parse.
  Version& operator=(const std::string& text);

  // Always true.
  bool SetValue(int p1, int p2, int p3, int p4);
  bool SetValue(const unsigned int& packed);
  // True when the text holds exactly four parts separated by '.' or ','.
  // White space anywhere inside a part is dropped; a part that is not an
  // integer (empty, or with other bytes) reads as 0. On false nothing changes.
  bool SetValue(const std::string& text);

  // "part1.part2.part3.part4", each in decimal.
  std::string GetString();

  bool operator==(const Version& other) const;
  bool operator!=(const Version& other) const;
  bool operator>(const Version& other) const;
  bool operator<(const Version& other) const;

  int part1;
  int part2;
  int part3;
  int part4;

 private:
  bool ParseText(const std::string& text);
  std::string Print() const;
};
