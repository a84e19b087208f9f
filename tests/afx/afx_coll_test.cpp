#include <gtest/gtest.h>

#include <map>
#include <string>

#include "afx/afx_coll.h"

namespace {

// Walks the map the MFC way into an ordered std::map.
std::map<std::string, std::string> Walk(const CMapStringToString& m) {
  std::map<std::string, std::string> out;
  POSITION pos = m.GetStartPosition();
  int guard = 0;
  while (pos && guard++ < 1000) {
    CString k, v;
    m.GetNextAssoc(pos, k, v);
    EXPECT_TRUE(out.emplace(k.str(), v.str()).second) << "key walked twice: " << k.str();
  }
  return out;
}

}  // namespace

TEST(CMapStringToString, SetLookupAndCaseSensitiveKeys) {
  CMapStringToString m;
  EXPECT_TRUE(m.IsEmpty());
  EXPECT_EQ(nullptr, m.GetStartPosition());
  m.SetAt("Name", "smile");
  m.SetAt("name", "other");
  m.SetAt("Name", "grin");  // replaces
  EXPECT_EQ(2, m.GetCount());
  CString v("untouched");
  EXPECT_FALSE(m.Lookup("NAME", v));
  EXPECT_EQ(CString("untouched"), v);
  ASSERT_TRUE(m.Lookup("Name", v));
  EXPECT_EQ(CString("grin"), v);
  m["added"] += "x";
  EXPECT_EQ(3, m.GetCount());
  ASSERT_TRUE(m.Lookup("added", v));
  EXPECT_EQ(CString("x"), v);
  EXPECT_TRUE(m.Lookup(nullptr, v) == FALSE);
}

TEST(CMapStringToString, RemovalKeepsEveryOtherEntryReachable) {
  CMapStringToString m;
  for (int i = 0; i < 50; ++i) m.SetAt(std::to_string(i).c_str(), ("v" + std::to_string(i)).c_str());
  for (int i = 0; i < 50; i += 3) EXPECT_TRUE(m.RemoveKey(std::to_string(i).c_str()));
  EXPECT_FALSE(m.RemoveKey("0"));
  const auto walked = Walk(m);
  EXPECT_EQ(static_cast<std::size_t>(m.GetCount()), walked.size());
  for (int i = 0; i < 50; ++i) {
    CString v;
    const bool present = m.Lookup(std::to_string(i).c_str(), v) != FALSE;
    EXPECT_EQ(i % 3 != 0, present) << i;
    if (present) {
      EXPECT_EQ("v" + std::to_string(i), v.str());
      EXPECT_EQ("v" + std::to_string(i), walked.at(std::to_string(i)));
    }
  }
  m.RemoveAll();
  EXPECT_TRUE(m.IsEmpty());
  EXPECT_TRUE(Walk(m).empty());
}

TEST(CMapStringToString, StalePositionEndsTheWalk) {
  CMapStringToString m;
  m.SetAt("a", "1");
  POSITION pos = m.GetStartPosition();
  m.RemoveAll();
  CString k("k"), v("v");
  m.GetNextAssoc(pos, k, v);
  EXPECT_EQ(nullptr, pos);
  EXPECT_EQ(CString("k"), k);
}
