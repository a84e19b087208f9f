// AniPic.dll as COM sees it: registered with regsvr32 in the test prefix,
// created by class id, driven through its dual interface, and embedded in a
// real rich edit control, where its frames step on a timer.
#include <gtest/gtest.h>

#include <richedit.h>
#include <richole.h>

#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "base/win_owners.h"
#include "support/anipic/animated_picture.h"
#include "tests/support/anipic/anipic_registration.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/com_server_registration.h"
#include "tests/testkit/testkit.h"

namespace {

const COLORREF kRed = RGB(220, 0, 0);
const COLORREF kBlue = RGB(0, 0, 220);

// A 4 x 3 GIF: frame 0 all red, frame 1 all blue (100 ms each).
std::string TwoFrameGif() {
  picture_files::GifFrame red, blue;
  red.indices.assign(12, 0);
  blue.indices.assign(12, 1);
  return picture_files::Gif(4, 3, {kRed, kBlue, RGB(0, 0, 0), RGB(255, 255, 255)}, {red, blue});
}

UniqueBstr Bstr(const std::string& path) {
  std::wstring wide(path.begin(), path.end());
  return UniqueBstr(SysAllocString(wide.c_str()));
}

// The top-left pixel of the picture's current frame (IDataObject).
COLORREF CurrentColour(IUnknown* object) {
  UniqueComPtr<IDataObject> data;
  if (FAILED(object->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.put())))) return CLR_INVALID;
  FORMATETC format = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
  STGMEDIUM medium = {};
  if (data.get()->GetData(&format, &medium) != S_OK) return CLR_INVALID;
  CBitmap bitmap;
  bitmap.Attach(medium.hBitmap);  // the caller's copy
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&bitmap);
  const COLORREF c = dc.GetPixel(0, 0);
  dc.SelectObject(old);
  return c;
}

class AniPic : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    LoadLibraryA("riched20.dll");
    ASSERT_EQ(0, anipic_test::RunRegsvr32(false));
  }

  UniqueComPtr<IAnimatedPicture> Create() {
    UniqueComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_AnimatedPicture, nullptr, CLSCTX_ALL, IID_IUnknown,
                                     reinterpret_cast<void**>(unknown.put())));
    UniqueComPtr<IAnimatedPicture> picture;
    if (unknown.valid()) {
      EXPECT_EQ(S_OK, OleRun(unknown.get()));
      EXPECT_EQ(S_OK, unknown.get()->QueryInterface(IID_IAnimatedPicture, reinterpret_cast<void**>(picture.put())));
    }
    return picture;
  }

  testkit::TempDir dir;
};

}  // namespace

TEST_F(AniPic, RegisteredInProcessServerOfItsClassId) {
  UniqueRegKey key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{06ADA938-0FB0-4BC0-B19B-0A38AB17F182}\\InprocServer32", 0,
                          KEY_READ, key.put()));
  char value[MAX_PATH] = {};
  DWORD size = sizeof(value);
  ASSERT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size));
  EXPECT_EQ(0, lstrcmpiA(testkit::TestBinaryPath("AniPic.dll").c_str(), value));
  char model[32] = {};
  size = sizeof(model);
  ASSERT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key.get(), "ThreadingModel", nullptr, nullptr, reinterpret_cast<BYTE*>(model), &size));
  EXPECT_STREQ("Apartment", model);
  EXPECT_TRUE(Create().valid());
}

TEST_F(AniPic, LoadsAnAnimatedGifAndAnswersItsFrameCount) {
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("two.gif"), TwoFrameGif()));
  UniqueComPtr<IAnimatedPicture> picture = Create();
  ASSERT_TRUE(picture.valid());
  SHORT frames = -1;
  EXPECT_EQ(S_OK, picture.get()->GetFrameCount(&frames));
  EXPECT_EQ(0, frames);
  EXPECT_EQ(E_FAIL, picture.get()->LoadFromFile(Bstr(dir.file("missing.gif")).get()));
  EXPECT_EQ(E_INVALIDARG, picture.get()->LoadFromFile(nullptr));
  ASSERT_EQ(S_OK, picture.get()->LoadFromFile(Bstr(dir.file("two.gif")).get()));
  EXPECT_EQ(S_OK, picture.get()->GetFrameCount(&frames));
  EXPECT_EQ(2, frames);
  EXPECT_EQ(kRed, CurrentColour(picture.get()));

  // The same through late binding.
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"GetFrameCount");
  ASSERT_EQ(S_OK, picture.get()->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(S_OK, picture.get()->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
  EXPECT_EQ(VT_I2, result.vt);
  EXPECT_EQ(2, result.iVal);

  // Its size as an OLE object: 4 x 3 pixels in HIMETRIC.
  UniqueComPtr<IOleObject> ole;
  ASSERT_EQ(S_OK, picture.get()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole.put())));
  SIZEL extent = {};
  ASSERT_EQ(S_OK, ole.get()->GetExtent(DVASPECT_CONTENT, &extent));
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(MulDiv(4, 2540, dpiX), extent.cx);
  EXPECT_EQ(MulDiv(3, 2540, dpiY), extent.cy);
  CLSID clsid;
  ASSERT_EQ(S_OK, ole.get()->GetUserClassID(&clsid));
  EXPECT_TRUE(IsEqualCLSID(CLSID_AnimatedPicture, clsid));
}

TEST_F(AniPic, EmbeddedInARichEditItsFramesStepOnATimer) {
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("two.gif"), TwoFrameGif()));
  UniqueWindow edit(CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP | WS_VISIBLE | ES_MULTILINE, 0, 0, 200, 100,
                                    nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(edit.valid());
  UniqueComPtr<IRichEditOle> richOle;
  ASSERT_TRUE(SendMessageA(edit.get(), EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(richOle.put())));
  UniqueComPtr<IOleClientSite> site;
  ASSERT_EQ(S_OK, richOle.get()->GetClientSite(site.put()));
  UniqueComPtr<ILockBytes> bytes;
  ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()));
  UniqueComPtr<IStorage> storage;
  ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(bytes.get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0,
                                               storage.put()));

  UniqueComPtr<IAnimatedPicture> picture = Create();
  ASSERT_TRUE(picture.valid());
  ASSERT_EQ(S_OK, picture.get()->LoadFromFile(Bstr(dir.file("two.gif")).get()));
  UniqueComPtr<IOleObject> ole;
  ASSERT_EQ(S_OK, picture.get()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(ole.put())));
  OleSetContainedObject(ole.get(), TRUE);
  ASSERT_EQ(S_OK, ole.get()->SetClientSite(site.get()));  // as a container gives it
  REOBJECT reobject = {};
  reobject.cbStruct = sizeof(reobject);
  reobject.cp = REO_CP_SELECTION;
  reobject.clsid = CLSID_AnimatedPicture;
  reobject.poleobj = ole.get();
  reobject.pstg = storage.get();
  reobject.polesite = site.get();
  reobject.dvaspect = DVASPECT_CONTENT;
  reobject.dwFlags = REO_BELOWBASELINE;
  ASSERT_EQ(S_OK, richOle.get()->InsertObject(&reobject));
  ASSERT_EQ(1, richOle.get()->GetObjectCount());
  // With its site the timer steps the frames.
  UniqueComPtr<IOleClientSite> given;
  ole.get()->GetClientSite(given.put());
  EXPECT_TRUE(given.valid());
  RedrawWindow(edit.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

  std::vector<COLORREF> seen;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 2000 && seen.size() < 3) {
    testkit::PumpMessagesFor(20);
    const COLORREF now = CurrentColour(picture.get());
    if (seen.empty() || seen.back() != now) seen.push_back(now);
  }
  ASSERT_GE(seen.size(), 3u);  // red, blue, red again
  EXPECT_EQ(kRed, seen[0]);
  EXPECT_EQ(kBlue, seen[1]);
  EXPECT_EQ(kRed, seen[2]);

  // Closing stops it.
  EXPECT_EQ(S_OK, ole.get()->Close(OLECLOSE_NOSAVE));
  const COLORREF closed = CurrentColour(picture.get());
  ASSERT_TRUE(testkit::PumpUntilSentinelTimer(300));
  EXPECT_EQ(closed, CurrentColour(picture.get()));
  given.reset();
  site.reset();
  richOle.reset();
}

TEST_F(AniPic, AbsentForAProcessThatMasksIt) {
  anipic_test::ComponentAbsent absent;
  UniqueComPtr<IUnknown> unknown;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_AnimatedPicture, nullptr, CLSCTX_ALL, IID_IUnknown,
                                                  reinterpret_cast<void**>(unknown.put())));
  EXPECT_EQ(1, absent.attempts());
}

// AniPic.dll's own entry points, loaded into this process, against a
// private classes root: the class's keys and nothing else (no Control, no
// programmatic identifier), and the same unregistration rule as every server.
TEST(AniPicServer, RegistersItsClassOnlyAndUnregistersItEvenWhenAbsent) {
  UniqueModule module(LoadLibraryA(testkit::TestBinaryPath("AniPic.dll").c_str()));
  ASSERT_TRUE(module.valid());
  testkit::ServerEntries server(module.get());
  ASSERT_TRUE(server.valid());
  testkit::PrivateClassesRoot root;
  ASSERT_TRUE(root.valid());
  ASSERT_EQ(S_OK, server.registerServer());
  const std::string key = "CLSID\\{06ADA938-0FB0-4BC0-B19B-0A38AB17F182}";
  EXPECT_EQ("Animated emoticon picture", root.Value(key));
  EXPECT_EQ(0, lstrcmpiA(testkit::TestBinaryPath("AniPic.dll").c_str(), root.Value(key + "\\InprocServer32").c_str()));
  EXPECT_EQ("Apartment", root.Value(key + "\\InprocServer32", "ThreadingModel"));
  EXPECT_FALSE(root.Exists(key + "\\Control"));
  EXPECT_FALSE(root.Exists(key + "\\ProgID"));
  EXPECT_EQ(S_OK, server.unregisterServer());
  EXPECT_FALSE(root.Exists(key));
  EXPECT_EQ(S_OK, server.unregisterServer());
  ASSERT_EQ(S_OK, server.registerServer());
  root.Break();
  EXPECT_EQ(SELFREG_E_CLASS, server.unregisterServer());
  EXPECT_EQ(SELFREG_E_CLASS, server.registerServer());
}

TEST(AniPicServer, AHeldClassFactoryKeepsTheModuleLoaded) {
  UniqueModule module(LoadLibraryA(testkit::TestBinaryPath("AniPic.dll").c_str()));
  ASSERT_TRUE(module.valid());
  testkit::ServerEntries server(module.get());
  ASSERT_TRUE(server.valid());
  ASSERT_EQ(S_OK, server.canUnloadNow());
  UniqueComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK,
            server.getClassObject(CLSID_AnimatedPicture, IID_IClassFactory, reinterpret_cast<void**>(factory.put())));
  EXPECT_EQ(S_FALSE, server.canUnloadNow());
  UniqueComPtr<IUnknown> object;
  ASSERT_EQ(S_OK, factory.get()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.put())));
  factory.reset();
  EXPECT_EQ(S_FALSE, server.canUnloadNow());
  object.reset();
  EXPECT_EQ(S_OK, server.canUnloadNow());
}
