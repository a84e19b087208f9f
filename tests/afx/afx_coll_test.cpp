#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

TEST(CMapStringToString, BlockSizeAndHashTableKeepEveryEntry) {
  CMapStringToString m(10);
  EXPECT_EQ(17u, m.GetHashTableSize());
  m.InitHashTable(10);
  EXPECT_EQ(10u, m.GetHashTableSize());
  for (int i = 0; i < 40; ++i) m.SetAt(std::to_string(i).c_str(), std::to_string(i * 2).c_str());
  m.InitHashTable(3);  // a later change of the table keeps what is there
  EXPECT_EQ(40, m.GetCount());
  EXPECT_EQ(40u, Walk(m).size());
  CString v;
  ASSERT_TRUE(m.Lookup("39", v));
  EXPECT_EQ(CString("78"), v);
  m.InitHashTable(0);  // no buckets at all is refused
  EXPECT_EQ(3u, m.GetHashTableSize());
}

TEST(CArray, GrowsInsertsAndRemovesInOrder) {
  CArray<int> a;
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(nullptr, a.GetData());
  EXPECT_EQ(0, a.Add(5));
  EXPECT_EQ(1, a.Add(7));
  a.SetAtGrow(4, 9);  // the gap reads as 0
  ASSERT_EQ(5, a.GetSize());
  EXPECT_EQ(4, a.GetUpperBound());
  EXPECT_EQ(0, a[2]);
  EXPECT_EQ(0, a[3]);
  a.InsertAt(1, 6, 2);
  EXPECT_EQ((std::vector<int>{5, 6, 6, 7, 0, 0, 9}), std::vector<int>(a.GetData(), a.GetData() + a.GetSize()));
  a.RemoveAt(3, 3);
  EXPECT_EQ((std::vector<int>{5, 6, 6, 9}), std::vector<int>(a.GetData(), a.GetData() + a.GetSize()));
  a.InsertAt(0, a[3]);  // an element of the array itself
  EXPECT_EQ(9, a[0]);
  EXPECT_EQ(9, a[4]);
  a.InsertAt(8, 1);  // past the end: grows first
  EXPECT_EQ(9, a.GetSize());
  EXPECT_EQ(1, a[8]);
  a.SetSize(-3);
  EXPECT_EQ(0, a.GetSize());
}

TEST(CArray, AppendToItselfAndCopy) {
  CArray<CString, const CString&> a;
  a.Add("x");
  a.Add("y");
  EXPECT_EQ(2, a.Append(a));
  ASSERT_EQ(4, a.GetCount());
  EXPECT_EQ(CString("y"), a[3]);
  CArray<CString, const CString&> b;
  b.Copy(a);
  a.SetAt(0, "z");
  EXPECT_EQ(CString("x"), b[0]);
  EXPECT_EQ(4, b.GetSize());
  a.RemoveAll();
  EXPECT_TRUE(a.IsEmpty());
}

TEST(CPtrArray, HoldsPointersWithoutOwningThem) {
  int one = 1, two = 2;
  CPtrArray p;
  p.Add(&one);
  p.Add(&two);
  EXPECT_EQ(&two, p.GetAt(1));
  *static_cast<int*>(p[0]) = 10;
  p.RemoveAll();
  EXPECT_EQ(10, one);  // removing a slot leaves the pointee alone
  p.SetSize(3);
  EXPECT_EQ(nullptr, p[2]);
}
