// A host that loads ZavrelCom.dll by name (it is not linked against it),
// as the hall does, and drives the four components through
// DllGetClassObject and their slots.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "afx/afx_module.h"
#include "base/win_owners.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"
#include "zavrelcom/chat/message_proxy.h"
#include "zavrelcom/emotion/emotion_dlg.h"
#include "zavrelcom/emotion/emotion_dlg_ids.h"
#include "zavrelcom/face/user_face_res.h"
#include "zavrelcom/rank/game_rank_manager.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(const GUID&, const GUID&, void**);
using PlainEntryFn = HRESULT(STDAPICALLTYPE*)();

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The names in a loaded module's export table.
std::set<std::string> ExportedNames(HMODULE module, DWORD* functionCount) {
  std::set<std::string> names;
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0) return names;
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
  *functionCount = exports->NumberOfFunctions;
  return names;
}

// Number of subkeys of a key, -1 when it cannot be opened.
long SubkeyCount(HKEY root, const char* path) {
  UniqueRegKey key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return -1;
  DWORD count = 0;
  if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return -1;
  }
  return static_cast<long>(count);
}

bool KeyExists(HKEY root, const char* path) {
  UniqueRegKey key;
  return RegOpenKeyExA(root, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

const char* const kClassKeys[] = {
    "CLSID\\{6416B6C4-E4AF-4692-A55C-1576AC0B1084}", "CLSID\\{4AD1E8F8-CE39-40CD-B78F-8BA33FC8D718}",
    "CLSID\\{F4D636EB-EC00-42EE-8B5C-427B4BD41B3C}", "CLSID\\{B20C0706-7D62-4F28-81CA-D60030454BAD}"};

class ZavrelComHost : public ::testing::Test {
 protected:
  void SetUp() override {
    library.reset(LoadLibraryA("ZavrelCom.dll"));
    ASSERT_TRUE(library.valid()) << GetLastError();
    getClassObject = Entry<GetClassObjectFn>(library.get(), "DllGetClassObject");
    ASSERT_NE(nullptr, getClassObject);
  }
  template <class Interface>
  Interface* Create(const GUID& clsid, const GUID& iid) {
    Interface* itf = nullptr;
    EXPECT_EQ(S_OK, getClassObject(clsid, iid, reinterpret_cast<void**>(&itf)));
    return itf;
  }
  UniqueModule library;
  GetClassObjectFn getClassObject = nullptr;
  testkit::TempDir dir;
};

}  // namespace

TEST_F(ZavrelComHost, ExportsExactlyTheFourEntryPoints) {
  DWORD functions = 0;
  const std::set<std::string> names = ExportedNames(library.get(), &functions);
  EXPECT_EQ((std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"}),
            names);
  EXPECT_EQ(4u, functions);
}

TEST_F(ZavrelComHost, ItsDialogTemplateIsFoundThroughTheResourceChain) {
  // The host names no module: the framework's chain finds the library.
  EXPECT_EQ(library.get(), AfxFindResourceHandle(MAKEINTRESOURCEA(IDD_EMOTION_DLG), MAKEINTRESOURCEA(5)));
  library.reset();  // detach unlinks it
  EXPECT_EQ(nullptr, AfxFindResourceHandle(MAKEINTRESOURCEA(IDD_EMOTION_DLG), MAKEINTRESOURCEA(5)));
}

TEST_F(ZavrelComHost, RegistrationWritesNothing) {
  auto registerServer = Entry<PlainEntryFn>(library.get(), "DllRegisterServer");
  auto unregisterServer = Entry<PlainEntryFn>(library.get(), "DllUnregisterServer");
  auto canUnload = Entry<PlainEntryFn>(library.get(), "DllCanUnloadNow");
  ASSERT_TRUE(registerServer && unregisterServer && canUnload);
  const long classes = SubkeyCount(HKEY_CLASSES_ROOT, "CLSID");
  const long userClasses = SubkeyCount(HKEY_CURRENT_USER, "Software\\Classes\\CLSID");
  EXPECT_EQ(E_FAIL, registerServer());
  EXPECT_EQ(E_FAIL, unregisterServer());
  EXPECT_EQ(S_OK, canUnload());
  EXPECT_EQ(classes, SubkeyCount(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_EQ(userClasses, SubkeyCount(HKEY_CURRENT_USER, "Software\\Classes\\CLSID"));
  for (const char* key : kClassKeys) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
}

TEST_F(ZavrelComHost, FailureRowsOfTheEntryPoint) {
  const GUID unknown = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
  void* out = reinterpret_cast<void*>(0x77);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(unknown, IID_IUnknownEx, &out));
  EXPECT_EQ(reinterpret_cast<void*>(0x77), out);
  EXPECT_EQ(E_NOINTERFACE, getClassObject(CLSID_GameRankManager, IID_IUserFaceRes, &out));
  EXPECT_EQ(nullptr, out);
  out = reinterpret_cast<void*>(0x77);
  EXPECT_EQ(E_NOINTERFACE, getClassObject(CLSID_UserFaceRes, IID_IMessageProxy, &out));
  EXPECT_EQ(nullptr, out);
}

TEST_F(ZavrelComHost, CountsThroughTheThreeBaseSlots) {
  IUnknownEx* unk = Create<IUnknownEx>(CLSID_GameRankManager, IID_IUnknownEx);
  ASSERT_NE(nullptr, unk);
  IGameRankManager* ranks = nullptr;
  ASSERT_EQ(S_OK, unk->QueryInterface(IID_IGameRankManager, reinterpret_cast<void**>(&ranks)));
  EXPECT_EQ(static_cast<void*>(unk), static_cast<void*>(ranks));
  EXPECT_EQ(3u, ranks->AddRef());
  EXPECT_EQ(2u, ranks->Release());
  EXPECT_EQ(1u, unk->Release());
  EXPECT_EQ(0u, ranks->Release());
}

TEST_F(ZavrelComHost, RankManagerAnswersFromItsFile) {
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("Rank.ini"), "[Rank]\r\nNovice=0\r\nExpert=500\r\nMaster=1000\r\n"));
  IGameRankManager* ranks = Create<IGameRankManager>(CLSID_GameRankManager, IID_IGameRankManager);
  ASSERT_NE(nullptr, ranks);
  EXPECT_EQ(nullptr, ranks->GetRank(10));
  ranks->LoadRanks((dir.path().string() + "\\").c_str());
  const tagGameRank* rank = ranks->GetRank(750);
  ASSERT_NE(nullptr, rank);
  EXPECT_STREQ("Expert", rank->szTitle);
  EXPECT_EQ(500, rank->lScore);
  EXPECT_STREQ("Novice", ranks->GetRank(-3)->szTitle);
  EXPECT_EQ(0u, ranks->Release());
}

TEST_F(ZavrelComHost, FaceStoreThroughEitherIdentifier) {
  std::vector<DWORD> red(6, picture_files::Argb(255, RGB(200, 0, 0)));
  ASSERT_TRUE(picture_files::SaveWithGdiplus(dir.file("1-1.png"), 3, 2, red, L"image/png"));
  ASSERT_TRUE(picture_files::SaveWithGdiplus(dir.file("1-2.png"), 3, 2, red, L"image/png"));
  IUserFaceRes* faces = Create<IUserFaceRes>(CLSID_UserFaceRes, IID_IUserFaceRes);
  ASSERT_NE(nullptr, faces);
  IUserFaceRes1* faces1 = nullptr;
  ASSERT_EQ(S_OK, faces->QueryInterface(IID_IUserFaceRes1, reinterpret_cast<void**>(&faces1)));
  EXPECT_TRUE(faces->LoadFaces(dir.path().string().c_str()));
  EXPECT_EQ(1, faces1->GetFaceCount());
  HBITMAP bitmap = faces1->GetFaceBitmap(0, 1);
  ASSERT_NE(nullptr, bitmap);
  CBitmap owned;
  owned.Attach(bitmap);  // the caller's to delete
  BITMAP info = {};
  owned.GetBitmap(&info);
  EXPECT_EQ(3, info.bmWidth);
  testkit::MemorySurface surface(10, 10, RGB(255, 255, 255));
  faces1->DrawFace(0, 0, &surface.dc, 0, 0, 6, 4);
  EXPECT_EQ(RGB(200, 0, 0), surface.dc.GetPixel(2, 2));
  char name[MAX_PATH];
  EXPECT_EQ(dir.file("1-2.png"), std::string(faces1->GetFaceFileName(0, 1, name)));
  EXPECT_EQ(1u, faces1->Release());
  EXPECT_EQ(0u, faces->Release());
}

TEST_F(ZavrelComHost, MessageProxyAndEmoticonDialogAnswerTheirInterfaces) {
  IMessageProxy* proxy = Create<IMessageProxy>(CLSID_MessageProxy, IID_IMessageProxy);
  ASSERT_NE(nullptr, proxy);
  EXPECT_FALSE(proxy->IsAttached());
  tagMessageItem item = {};
  EXPECT_FALSE(proxy->GetMessageItem(0, &item));
  EXPECT_EQ(0u, proxy->Release());

  IEmotionDlg* dlg = Create<IEmotionDlg>(CLSID_EmotionDlg, IID_IEmotionDlg);
  ASSERT_NE(nullptr, dlg);
  SIZE size = {};
  dlg->GetDlgSize(&size);
  EXPECT_EQ(239, size.cx);
  EXPECT_EQ(213, size.cy);
  EXPECT_EQ(nullptr, dlg->GetHwnd());
  IUnknownEx* unk = nullptr;
  ASSERT_EQ(S_OK, dlg->QueryInterface(IID_IUnknownEx, reinterpret_cast<void**>(&unk)));
  EXPECT_EQ(static_cast<void*>(dlg), static_cast<void*>(unk));
  EXPECT_EQ(1u, unk->Release());
  EXPECT_EQ(0u, dlg->Release());
}
