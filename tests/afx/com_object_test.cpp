// The COM object pieces of base/ (com_object.h, com_class_factory.h): the
// query rule over a table, counting (plain and atomic), destruction at the
// last release even from inside the object's own call, hand-over of new
// objects, and the shared class factory.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/com_class_factory.h"
#include "base/com_object.h"

namespace {

// {6A3D1E20-2B7C-4E59-9A61-0C5B8E7D4F10}
const IID IID_ITestSecond = {0x6A3D1E20, 0x2B7C, 0x4E59, {0x9A, 0x61, 0x0C, 0x5B, 0x8E, 0x7D, 0x4F, 0x10}};
// {6A3D1E21-2B7C-4E59-9A61-0C5B8E7D4F10}
const IID IID_ITestPart = {0x6A3D1E21, 0x2B7C, 0x4E59, {0x9A, 0x61, 0x0C, 0x5B, 0x8E, 0x7D, 0x4F, 0x10}};

struct ITestSecond : IUnknown {
  virtual int STDMETHODCALLTYPE Second() = 0;
};

template <class Count>
class TestObject final : public IPersist, public ITestSecond {
 public:
  explicit TestObject(int* destroyed) : m_destroyed(destroyed) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    IPersist* persist = this;
    return ComQuery(riid, ppv,
                    {{&IID_IUnknown, persist},
                     {&IID_IPersist, persist},
                     {&IID_ITestSecond, m_second ? static_cast<ITestSecond*>(this) : nullptr},
                     {&IID_ITestPart, &m_part}});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ComAddRef(m_cRef); }
  STDMETHODIMP_(ULONG) Release() override {
    return ComRelease(m_cRef, [this] { delete this; });
  }
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    *clsid = IID_ITestSecond;
    return S_OK;
  }
  int STDMETHODCALLTYPE Second() override { return 2; }

  // Calls out, holding itself for the call, as an object that fires an
  // event does.
  void CallOut(const std::function<void()>& outside) {
    AddRef();
    outside();
    Release();  // may be the last: nothing of the object after this
  }

  bool m_second = true;
  ULONG count() const { return m_cRef; }

 private:
  ~TestObject() { ++*m_destroyed; }

  // A part of the object with its own interface; its references are the
  // object's.
  class Part : public IUnknown {
   public:
    explicit Part(TestObject* owner) : m_owner(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_owner->QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner->Release(); }

   private:
    TestObject* m_owner;
  };

  Count m_cRef{1};
  Part m_part{this};
  int* m_destroyed;
};

using PlainObject = TestObject<LONG>;
using AtomicObject = TestObject<std::atomic<ULONG>>;

}  // namespace

TEST(ComObject, QueryAnswersFromTheTableWithOneReferenceThroughTheAnsweredPointer) {
  int destroyed = 0;
  auto* object = new PlainObject(&destroyed);
  void* out = reinterpret_cast<void*>(1);
  ASSERT_EQ(S_OK, object->QueryInterface(IID_IPersist, &out));
  EXPECT_EQ(static_cast<IPersist*>(object), out);
  EXPECT_EQ(2u, object->count());
  ASSERT_EQ(S_OK, object->QueryInterface(IID_ITestSecond, &out));
  EXPECT_EQ(static_cast<ITestSecond*>(object), out);
  EXPECT_EQ(2, static_cast<ITestSecond*>(out)->Second());
  // The part's reference is the object's.
  ASSERT_EQ(S_OK, object->QueryInterface(IID_ITestPart, &out));
  EXPECT_NE(nullptr, out);
  EXPECT_EQ(4u, object->count());

  // An interface offered only in some states; one never offered.
  object->m_second = false;
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_ITestSecond, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IDispatch, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IPersist, nullptr));
  EXPECT_EQ(4u, object->count());

  for (int i = 0; i < 3; ++i) object->Release();
  EXPECT_EQ(0, destroyed);
  EXPECT_EQ(0u, object->Release());
  EXPECT_EQ(1, destroyed);
}

TEST(ComObject, AHostThatLetsGoInsideTheObjectsCallEndsItOnlyAfterTheCall) {
  int destroyed = 0;
  auto* object = new PlainObject(&destroyed);
  int destroyedDuringCall = -1;
  object->CallOut([&] {
    object->Release();  // the host's only reference
    destroyedDuringCall = destroyed;
  });
  EXPECT_EQ(0, destroyedDuringCall);
  EXPECT_EQ(1, destroyed);
}

TEST(ComObject, AnAtomicCountStaysExactAcrossThreads) {
  int destroyed = 0;
  auto* object = new AtomicObject(&destroyed);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([object] {
      for (int i = 0; i < 20000; ++i) {
        void* out = nullptr;
        if (object->QueryInterface(IID_ITestPart, &out) == S_OK) static_cast<IUnknown*>(out)->Release();
        object->AddRef();
        object->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(1u, object->count());
  EXPECT_EQ(0, destroyed);
  object->Release();
  EXPECT_EQ(1, destroyed);
}

TEST(ComObject, HandOverEndsANewObjectWhoseQueryFails) {
  int destroyed = 0;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, ComHandOver(new PlainObject(&destroyed), IID_IDispatch, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(1, destroyed);

  ASSERT_EQ(S_OK, ComHandOver(new PlainObject(&destroyed), IID_IPersist, &out));
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(0u, static_cast<IPersist*>(out)->Release());
  EXPECT_EQ(2, destroyed);

  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_OUTOFMEMORY, ComHandOver(static_cast<PlainObject*>(nullptr), IID_IPersist, &out));
  EXPECT_EQ(nullptr, out);
}

namespace {

int g_created = 0;
int g_destroyed = 0;
std::wstring g_licence = L"(none)";

HRESULT CreateTestObject(REFIID riid, void** ppv, const wchar_t* licence) {
  ++g_created;
  g_licence = licence ? licence : L"(none)";
  return ComHandOver(new PlainObject(&g_destroyed), riid, ppv);
}

}  // namespace

TEST(ComClassFactory, MakesObjectsRefusesAggregationAndCountsItsReferencesAsLocks) {
  ComServerCounts counts;
  ComClassFactory plain(counts, &CreateTestObject);
  ComClassFactory licensed(counts, &CreateTestObject, true);
  void* out = nullptr;
  EXPECT_EQ(E_NOINTERFACE, plain.QueryInterface(IID_IClassFactory2, &out));
  EXPECT_EQ(S_OK, counts.CanUnloadNow());
  ASSERT_EQ(S_OK, licensed.QueryInterface(IID_IClassFactory2, &out));
  EXPECT_EQ(S_FALSE, counts.CanUnloadNow());
  static_cast<IUnknown*>(out)->Release();
  EXPECT_EQ(S_OK, counts.CanUnloadNow());
  plain.LockServer(TRUE);
  EXPECT_EQ(S_FALSE, counts.CanUnloadNow());
  plain.LockServer(FALSE);
  EXPECT_EQ(S_OK, counts.CanUnloadNow());

  g_created = 0;
  int notAnObject = 0;  // never called
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, plain.CreateInstance(reinterpret_cast<IUnknown*>(&notAnObject), IID_IPersist, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, plain.CreateInstance(nullptr, IID_IPersist, nullptr));
  EXPECT_EQ(0, g_created);

  ASSERT_EQ(S_OK, plain.CreateInstance(nullptr, IID_IPersist, &out));
  EXPECT_EQ(L"(none)", g_licence);
  static_cast<IUnknown*>(out)->Release();
  ASSERT_EQ(S_OK, licensed.CreateInstanceLic(nullptr, nullptr, IID_IPersist, nullptr, &out));
  EXPECT_EQ(L"", g_licence);
  static_cast<IUnknown*>(out)->Release();
  EXPECT_EQ(2, g_created);
  EXPECT_EQ(g_created, g_destroyed);
}
