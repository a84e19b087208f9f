#include <gtest/gtest.h>

#include "afx/afx.h"
#include "tests/testkit/testkit.h"

namespace {

// Two pages: the first with the given protection, the second reserved only.
struct Pages {
  char* base = nullptr;
  SIZE_T page = 0;
  explicit Pages(DWORD protect) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    page = si.dwPageSize;
    base = static_cast<char*>(VirtualAlloc(nullptr, page * 2, MEM_RESERVE, PAGE_NOACCESS));
    VirtualAlloc(base, page, MEM_COMMIT, protect);
  }
  ~Pages() { VirtualFree(base, 0, MEM_RELEASE); }
};

}  // namespace

TEST(AfxIsValidAddress, JudgesWholeRangeAndAccess) {
  int onStack[4] = {};
  EXPECT_TRUE(AfxIsValidAddress(onStack, sizeof(onStack)));
  EXPECT_FALSE(AfxIsValidAddress(nullptr, 4));
  EXPECT_FALSE(AfxIsValidAddress(nullptr, 0));

  Pages ro(PAGE_READONLY);
  EXPECT_TRUE(AfxIsValidAddress(ro.base, ro.page, FALSE));
  EXPECT_FALSE(AfxIsValidAddress(ro.base, ro.page, TRUE));

  Pages rw(PAGE_READWRITE);
  EXPECT_TRUE(AfxIsValidAddress(rw.base, rw.page, TRUE));
  // The range runs one byte into the reserved page.
  EXPECT_FALSE(AfxIsValidAddress(rw.base + rw.page - 8, 9, TRUE));
  EXPECT_TRUE(AfxIsValidAddress(rw.base + rw.page - 8, 8, TRUE));

  Pages guard(PAGE_READWRITE | PAGE_GUARD);
  EXPECT_FALSE(AfxIsValidAddress(guard.base, 1, FALSE));

  // A range that wraps around the address space.
  EXPECT_FALSE(AfxIsValidAddress(rw.base, static_cast<UINT_PTR>(-1), FALSE));
}

TEST(AfxModuleState, ZavrelJoinsTheResourceChainAndLeavesIt) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  ASSERT_NE(nullptr, state);
  const int before = state->m_libraryList.GetCount();

  HMODULE zavrel = LoadLibraryA(testkit::TestBinaryPath("Zavrel.dll").c_str());
  ASSERT_NE(nullptr, zavrel);
  ASSERT_EQ(before + 1, state->m_libraryList.GetCount());
  EXPECT_EQ(zavrel, state->m_libraryList.GetHead()->m_hModule);
  // Zavrel sets the instance handle to the host executable's.
  EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetInstanceHandle());

  ASSERT_TRUE(FreeLibrary(zavrel));
  EXPECT_EQ(nullptr, GetModuleHandleA("Zavrel.dll"));
  EXPECT_EQ(before, state->m_libraryList.GetCount());
}

TEST(AfxModuleState, FindResourceHandleSearchesTheChain) {
  // No module of the chain holds this resource.
  EXPECT_EQ(nullptr, AfxFindResourceHandle(MAKEINTRESOURCEA(4711), MAKEINTRESOURCEA(6)));
  CString s;
  EXPECT_FALSE(s.LoadString(4711 * 16));
}
