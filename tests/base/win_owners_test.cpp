// The named Win32 owners over real handles: what they close, that their
// close functions (__stdcall on i686) are called as they are, and that
// GetLastError survives a close that fails.
#include "base/win_owners.h"

#include <gtest/gtest.h>

#include "base/gdiplus_owners.h"

namespace {

static_assert(sizeof(UniqueHandle) == sizeof(HANDLE) && sizeof(UniqueRegKey) == sizeof(HKEY) &&
                  sizeof(UniqueBstr) == sizeof(BSTR) && sizeof(UniqueComPtr<IUnknown>) == sizeof(IUnknown*) &&
                  sizeof(UniqueGdipBitmap) == sizeof(Gdiplus::GpBitmap*),
              "an owner is the size of its handle");

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return ::GetHandleInformation(h, &flags) != FALSE;
}

TEST(WinOwners, HandleIsClosedOnceByItsLastOwner) {
  HANDLE raw = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(nullptr, raw);
  {
    UniqueHandle first(raw);
    UniqueHandle second(std::move(first));
    EXPECT_TRUE(IsOpen(raw));
    EXPECT_EQ(nullptr, first.get());
    EXPECT_EQ(raw, second.get());
  }
  EXPECT_FALSE(IsOpen(raw));
}

TEST(WinOwners, PutTakesAHandleFromAnOutParameter) {
  UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  UniqueHandle copy;
  const HANDLE self = ::GetCurrentProcess();
  ASSERT_TRUE(::DuplicateHandle(self, event.get(), self, copy.put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
  const HANDLE firstCopy = copy.get();
  EXPECT_TRUE(IsOpen(firstCopy));
  HANDLE* slot = copy.put();
  EXPECT_FALSE(IsOpen(firstCopy)) << "put() closes what the owner held";
  EXPECT_EQ(nullptr, *slot);
  // (The new copy may take the value the closed one had.)
  ASSERT_TRUE(::DuplicateHandle(self, event.get(), self, slot, 0, FALSE, DUPLICATE_SAME_ACCESS));
  EXPECT_TRUE(IsOpen(copy.get()));

  UniqueRegKey key;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()));
  EXPECT_TRUE(key);
}

TEST(WinOwners, LastErrorIsKeptAcrossAFailedClose) {
  // A value that names no handle: CloseHandle fails on it and sets its own
  // error, which the owner must not let through.
  const HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FFFFFF0));
  ::SetLastError(0);
  ASSERT_FALSE(::CloseHandle(bogus));
  ASSERT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), ::GetLastError());

  UniqueHandle owner(bogus);
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  owner.reset();
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
}

TEST(WinOwners, FileHandleIsEmptyAtInvalidHandleValue) {
  UniqueFileHandle none;
  EXPECT_EQ(INVALID_HANDLE_VALUE, none.get());
  UniqueFileHandle missing(::CreateFileA("no such dir\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(missing);
  UniqueFindHandle find;
  EXPECT_EQ(INVALID_HANDLE_VALUE, find.get());
}

// An object whose last Release resets the owner that held it.
class SelfResetting : public IUnknown {
 public:
  explicit SelfResetting(UniqueComPtr<IUnknown>& holder) : m_holder(holder) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    if (--m_refs == 0) m_holder.reset();
    return m_refs;
  }
  int releases = 0;

 private:
  UniqueComPtr<IUnknown>& m_holder;
  ULONG m_refs = 1;
};

TEST(WinOwners, ComPtrReleasesOnceEvenWhenTheReleaseResetsIt) {
  UniqueComPtr<IUnknown> holder;
  SelfResetting object(holder);
  holder.reset(&object);
  UniqueComPtr<IUnknown> moved(std::move(holder));
  EXPECT_EQ(0, object.releases);
  holder = std::move(moved);
  holder.reset();
  EXPECT_EQ(1, object.releases);
  EXPECT_FALSE(holder);
}

}  // namespace
