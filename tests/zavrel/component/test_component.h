// A component for the frame tests, following the rules of every Zavrel
// component: main interface first, IUnknownEx last, Release through IsValid.
#pragma once

#include "zavrel/component/query_rule.h"
#include "zavrel/component/unknown_ex.h"

// {0C7A2F61-93D4-4E0B-A1C2-5D6E7F809A1B}
inline constexpr GUID IID_ITestMain = {0x0C7A2F61, 0x93D4, 0x4E0B, {0xA1, 0xC2, 0x5D, 0x6E, 0x7F, 0x80, 0x9A, 0x1B}};
// {0C7A2F62-93D4-4E0B-A1C2-5D6E7F809A1B}
inline constexpr GUID IID_ITestOther = {0x0C7A2F62, 0x93D4, 0x4E0B, {0xA1, 0xC2, 0x5D, 0x6E, 0x7F, 0x80, 0x9A, 0x1B}};

class ITestMain : public IUnknownEx {
 public:
  virtual int Value() = 0;
};

class ITestOther : public IUnknownEx {
 public:
  virtual int Other() = 0;
};
