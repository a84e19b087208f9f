// The component server's entry rules, with the server's code linked into
// the test program so that allocation can be made to fail and object
// destruction observed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "afx/afx_module.h"
#include "zavrelcom/chat/message_proxy.h"
#include "zavrelcom/emotion/emotion_dlg.h"
#include "zavrelcom/entry/entry.h"
#include "zavrelcom/face/user_face_res.h"
#include "zavrelcom/rank/game_rank_manager.h"
#include "zavrelcom/server/component.h"

// The program's non-throwing allocation fails on request; frees of the
// last block it gave are recorded.
namespace {
bool g_failNextNothrowNew = false;
void* g_lastNothrowBlock = nullptr;
bool g_lastNothrowBlockFreed = false;

void NoteFree(void* p) {
  if (p && p == g_lastNothrowBlock) g_lastNothrowBlockFreed = true;
}
}  // namespace

void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (g_failNextNothrowNew) {
    g_failNextNothrowNew = false;
    return nullptr;
  }
  void* p = std::malloc(n ? n : 1);
  g_lastNothrowBlock = p;
  g_lastNothrowBlockFreed = false;
  return p;
}
void* operator new(std::size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  NoteFree(p);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  NoteFree(p);
  std::free(p);
}

namespace {

const GUID kUnknownClass = {0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 8}};

struct ClassCase {
  const char* name;
  const GUID* clsid;
  const GUID* iid;
};
const ClassCase kClasses[] = {
    {"message proxy", &CLSID_MessageProxy, &IID_IMessageProxy},
    {"emoticon dialog", &CLSID_EmotionDlg, &IID_IEmotionDlg},
    {"rank manager", &CLSID_GameRankManager, &IID_IGameRankManager},
    {"face store", &CLSID_UserFaceRes, &IID_IUserFaceRes},
    {"face store 1", &CLSID_UserFaceRes, &IID_IUserFaceRes1},
};

// A component whose destruction is observed.
class IProbe : public IUnknownEx {
 public:
  virtual int Value() = 0;

 protected:
  ~IProbe() = default;
};
const GUID IID_IProbe = {0xAAAA0001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
int g_probesAlive = 0;

class CProbe : public CComponentT<IProbe, CProbe> {
 public:
  static constexpr const GUID* kAnswers[] = {&IID_IUnknownEx, &IID_IProbe};
  CProbe() { ++g_probesAlive; }
  ~CProbe() override { --g_probesAlive; }
  int Value() override { return 42; }
};

}  // namespace

TEST(ZavrelComEntry, UnknownClassLeavesTheOutPointerAlone) {
  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(kUnknownClass, IID_IUnknownEx, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x1234), out);
  // An interface id is no class id.
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, DllGetClassObject(IID_IGameRankManager, IID_IUnknownEx, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x1234), out);
}

TEST(ZavrelComEntry, EveryClassAnswersItsInterfacesWithCountOne) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    for (const GUID* iid : {c.iid, &IID_IUnknownEx}) {
      IUnknownEx* unk = nullptr;
      ASSERT_EQ(S_OK, DllGetClassObject(*c.clsid, *iid, reinterpret_cast<void**>(&unk)));
      ASSERT_NE(nullptr, unk);
      EXPECT_EQ(2u, unk->AddRef());
      EXPECT_EQ(1u, unk->Release());
      EXPECT_EQ(0u, unk->Release());
    }
  }
}

TEST(ZavrelComEntry, OutOfMemoryLeavesTheOutPointerAlone) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    void* out = reinterpret_cast<void*>(0x5678);
    g_failNextNothrowNew = true;
    EXPECT_EQ(E_OUTOFMEMORY, DllGetClassObject(*c.clsid, *c.iid, &out));
    EXPECT_FALSE(g_failNextNothrowNew);
    EXPECT_EQ(reinterpret_cast<void*>(0x5678), out);
  }
}

TEST(ZavrelComEntry, AnotherComponentsInterfaceDestroysTheNewObject) {
  const GUID* foreign[][2] = {{&CLSID_GameRankManager, &IID_IUserFaceRes},
                              {&CLSID_UserFaceRes, &IID_IGameRankManager},
                              {&CLSID_MessageProxy, &IID_IEmotionDlg},
                              {&CLSID_EmotionDlg, &IID_IMessageProxy}};
  for (const auto& f : foreign) {
    void* out = reinterpret_cast<void*>(0x9999);
    g_lastNothrowBlock = nullptr;
    EXPECT_EQ(E_NOINTERFACE, DllGetClassObject(*f[0], *f[1], &out));
    EXPECT_EQ(nullptr, out);
    ASSERT_NE(nullptr, g_lastNothrowBlock);  // an object was made ...
    EXPECT_TRUE(g_lastNothrowBlockFreed);    // ... and is gone
  }
}

TEST(ZavrelComEntry, CreationDestroysTheObjectOnAFailedQuery) {
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(E_NOINTERFACE, CreateComponent<CProbe>(IID_IGameRankManager, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, g_probesAlive);

  IProbe* probe = nullptr;
  ASSERT_EQ(S_OK, CreateComponent<CProbe>(IID_IProbe, reinterpret_cast<void**>(&probe)));
  EXPECT_EQ(1, g_probesAlive);
  EXPECT_EQ(42, probe->Value());
  // A query for its own interface adds one; two releases end it.
  IProbe* again = nullptr;
  ASSERT_EQ(S_OK, probe->QueryInterface(IID_IProbe, reinterpret_cast<void**>(&again)));
  EXPECT_EQ(probe, again);
  void* none = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(E_NOINTERFACE, probe->QueryInterface(IID_IEmotionDlg, &none));
  EXPECT_EQ(nullptr, none);
  EXPECT_EQ(E_POINTER, probe->QueryInterface(IID_IProbe, nullptr));
  EXPECT_EQ(1u, again->Release());
  EXPECT_EQ(1, g_probesAlive);
  EXPECT_EQ(0u, probe->Release());
  EXPECT_EQ(0, g_probesAlive);
}

TEST(ZavrelComEntry, FaceStoreAnswersBothIdentifiersWithOnePointer) {
  IUserFaceRes1* one = nullptr;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_UserFaceRes, IID_IUserFaceRes1, reinterpret_cast<void**>(&one)));
  IUserFaceRes* base = nullptr;
  IUnknownEx* unk = nullptr;
  ASSERT_EQ(S_OK, one->QueryInterface(IID_IUserFaceRes, reinterpret_cast<void**>(&base)));
  ASSERT_EQ(S_OK, one->QueryInterface(IID_IUnknownEx, reinterpret_cast<void**>(&unk)));
  EXPECT_EQ(static_cast<void*>(one), static_cast<void*>(base));
  EXPECT_EQ(static_cast<void*>(one), static_cast<void*>(unk));
  EXPECT_EQ(2u, base->Release());
  EXPECT_EQ(1u, unk->Release());
  EXPECT_EQ(0u, one->Release());
}

TEST(ZavrelComEntry, EmotionDialogHandsOutItsInterfacePart) {
  IEmotionDlg* dlg = nullptr;
  ASSERT_EQ(S_OK, DllGetClassObject(CLSID_EmotionDlg, IID_IEmotionDlg, reinterpret_cast<void**>(&dlg)));
  CEmotionDlg* object = static_cast<CEmotionDlg*>(dlg);
  EXPECT_NE(static_cast<void*>(object), static_cast<void*>(dlg));  // the CDialog part comes first
  EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CDialog)));
  SIZE size = {};
  dlg->GetDlgSize(&size);
  EXPECT_EQ(239, size.cx);
  EXPECT_EQ(213, size.cy);
  EXPECT_EQ(nullptr, dlg->GetHwnd());
  g_lastNothrowBlockFreed = false;
  EXPECT_EQ(0u, dlg->Release());
  EXPECT_TRUE(g_lastNothrowBlockFreed);  // the whole object, from its start
}

TEST(ZavrelComEntry, RegistrationIsRefusedAndUnloadingAllowed) {
  EXPECT_EQ(E_FAIL, DllRegisterServer());
  EXPECT_EQ(E_FAIL, DllUnregisterServer());
  EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ZavrelComEntry, AttachLinksOneLibraryAndDetachUnlinksIt) {
  CDynLinkLibraryList& list = AfxGetModuleState()->m_libraryList;
  const int before = list.GetCount();

  AFX_EXTENSION_MODULE failing;
  EXPECT_FALSE(ZavrelComEntry(failing, nullptr, DLL_PROCESS_ATTACH));  // the load fails
  EXPECT_EQ(before, list.GetCount());

  AFX_EXTENSION_MODULE module;
  HINSTANCE self = GetModuleHandleA(nullptr);
  ASSERT_TRUE(ZavrelComEntry(module, self, DLL_PROCESS_ATTACH));
  ASSERT_EQ(before + 1, list.GetCount());
  EXPECT_EQ(self, list.GetHead()->m_hModule);
  EXPECT_TRUE(ZavrelComEntry(module, self, DLL_THREAD_ATTACH));
  EXPECT_TRUE(ZavrelComEntry(module, self, DLL_THREAD_DETACH));
  EXPECT_EQ(before + 1, list.GetCount());
  EXPECT_TRUE(ZavrelComEntry(module, self, DLL_PROCESS_DETACH));
  EXPECT_EQ(before, list.GetCount());
}
