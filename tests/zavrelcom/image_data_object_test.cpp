// The rich-edit image object: a bitmap inserted into a real rich edit
// control as a static picture, built once and reused.
#include "zavrelcom/chat/image_data_object.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>

#include "afx/afx_gdi.h"

namespace {

// A width x height bitmap compatible with the screen, filled with colour;
// the caller owns it.
HBITMAP MakeBitmap(int width, int height, COLORREF colour) {
  CBitmap bitmap;
  if (!bitmap.CreateCompatibleBitmap(nullptr, width, height)) return nullptr;
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&bitmap);
  dc.FillSolidRect(0, 0, width, height, colour);
  dc.SelectObject(old);
  return static_cast<HBITMAP>(bitmap.Detach());
}

bool IsLiveBitmap(HBITMAP bitmap) { return GetObjectType(bitmap) == OBJ_BITMAP; }

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info = {};
  GetObject(bitmap, sizeof(info), &info);
  return {info.bmWidth, info.bmHeight};
}

class ImageDataObject : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    LoadLibraryA("riched20.dll");
  }
};

}  // namespace

TEST_F(ImageDataObject, SamePictureInsertedTwiceIntoARichEdit) {
  UniqueWindow edit(CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr));
  ASSERT_TRUE(edit.valid());
  UniqueComPtr<IRichEditOle> ole;
  ASSERT_TRUE(SendMessageA(edit.get(), EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.put())));
  ASSERT_TRUE(ole.valid());
  UniqueComPtr<IOleClientSite> site;
  ASSERT_EQ(S_OK, ole.get()->GetClientSite(site.put()));

  CImageDataObject* picture = new CImageDataObject;
  REOBJECT first, second;
  EXPECT_FALSE(picture->GetReObject(&first, site.get()));  // no bitmap yet
  EXPECT_TRUE(picture->SetBitmap(MakeBitmap(16, 12, RGB(200, 30, 40))));
  ASSERT_TRUE(picture->GetReObject(&first, site.get()));
  EXPECT_EQ(sizeof(REOBJECT), first.cbStruct);
  EXPECT_EQ(REO_CP_SELECTION, first.cp);
  EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT), first.dvaspect);
  EXPECT_EQ(site.get(), first.polesite);
  EXPECT_EQ(0u, first.dwFlags);
  ASSERT_NE(nullptr, first.poleobj);
  ASSERT_NE(nullptr, first.pstg);
  CLSID clsid;
  ASSERT_EQ(S_OK, first.poleobj->GetUserClassID(&clsid));
  EXPECT_TRUE(IsEqualCLSID(clsid, first.clsid));
  EXPECT_EQ(S_OK, ole.get()->InsertObject(&first));

  ASSERT_TRUE(picture->GetReObject(&second, site.get()));
  EXPECT_EQ(first.poleobj, second.poleobj);  // built once, reused
  EXPECT_EQ(first.pstg, second.pstg);
  EXPECT_EQ(S_OK, ole.get()->InsertObject(&second));
  EXPECT_EQ(2, ole.get()->GetObjectCount());

  site.reset();
  ole.reset();
  edit.reset();
  delete picture;
}

TEST_F(ImageDataObject, GetDataHandsOutACopy) {
  CImageDataObject picture;
  STGMEDIUM medium;
  std::memset(&medium, 0x5A, sizeof(medium));
  FORMATETC format = {};
  EXPECT_EQ(E_HANDLE, picture.GetData(&format, &medium));  // no bitmap
  EXPECT_EQ(0x5A5A5A5Au, static_cast<unsigned>(medium.tymed));

  HBITMAP own = MakeBitmap(9, 7, RGB(1, 2, 3));
  picture.SetBitmap(own);
  format.cfFormat = CF_TEXT;  // the format asked is not looked at
  ASSERT_EQ(S_OK, picture.GetData(&format, &medium));
  EXPECT_EQ(static_cast<DWORD>(TYMED_GDI), medium.tymed);
  EXPECT_EQ(nullptr, medium.pUnkForRelease);
  ASSERT_NE(own, medium.hBitmap);
  ASSERT_TRUE(IsLiveBitmap(medium.hBitmap));
  EXPECT_EQ(9, BitmapSize(medium.hBitmap).cx);
  EXPECT_EQ(7, BitmapSize(medium.hBitmap).cy);
  ReleaseStgMedium(&medium);  // the caller's copy
  EXPECT_TRUE(IsLiveBitmap(own));
}

TEST_F(ImageDataObject, OwnsTheBitmapItHolds) {
  HBITMAP first = MakeBitmap(4, 4, RGB(9, 9, 9));
  HBITMAP second = MakeBitmap(5, 5, RGB(8, 8, 8));
  HBITMAP third = MakeBitmap(6, 6, RGB(7, 7, 7));
  {
    CImageDataObject picture;
    picture.SetBitmap(first);
    picture.SetBitmap(second);
    EXPECT_FALSE(IsLiveBitmap(first));  // replaced: freed
    EXPECT_TRUE(IsLiveBitmap(second));
    picture.SetBitmap(second);  // the same one again stays
    EXPECT_TRUE(IsLiveBitmap(second));

    FORMATETC format = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    STGMEDIUM medium = {};
    medium.tymed = TYMED_GDI;
    medium.hBitmap = third;
    EXPECT_EQ(S_OK, picture.SetData(&format, &medium, FALSE));  // taken whatever release says
    EXPECT_FALSE(IsLiveBitmap(second));
    STGMEDIUM copy = {};
    ASSERT_EQ(S_OK, picture.GetData(&format, &copy));
    EXPECT_EQ(6, BitmapSize(copy.hBitmap).cx);
    ReleaseStgMedium(&copy);
  }
  EXPECT_FALSE(IsLiveBitmap(third));  // the destructor frees what it holds
  { CImageDataObject never; }         // nothing to free
}

TEST_F(ImageDataObject, UnknownSlotsAndTheCount) {
  CImageDataObject* picture = new CImageDataObject;
  HBITMAP bitmap = MakeBitmap(2, 2, RGB(0, 0, 0));
  picture->SetBitmap(bitmap);
  IDataObject* data = nullptr;
  ASSERT_EQ(S_OK, picture->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data)));
  IUnknown* unknown = nullptr;
  ASSERT_EQ(S_OK, picture->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  EXPECT_EQ(static_cast<IUnknown*>(data), unknown);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, picture->QueryInterface(IID_IOleObject, &other));
  EXPECT_EQ(nullptr, other);

  FORMATETC format = {};
  STGMEDIUM medium = {};
  EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&format, &medium));
  EXPECT_EQ(E_NOTIMPL, data->QueryGetData(&format));
  EXPECT_EQ(E_NOTIMPL, data->GetCanonicalFormatEtc(&format, &format));
  IEnumFORMATETC* formats = nullptr;
  EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_GET, &formats));
  DWORD connection = 0;
  EXPECT_EQ(E_NOTIMPL, data->DAdvise(&format, 0, nullptr, &connection));
  EXPECT_EQ(E_NOTIMPL, data->DUnadvise(0));
  IEnumSTATDATA* advises = nullptr;
  EXPECT_EQ(E_NOTIMPL, data->EnumDAdvise(&advises));

  EXPECT_EQ(3u, data->AddRef());
  EXPECT_EQ(2u, data->Release());
  EXPECT_EQ(1u, unknown->Release());
  EXPECT_TRUE(IsLiveBitmap(bitmap));
  EXPECT_EQ(0u, data->Release());      // from 1 to 0: the object is gone ...
  EXPECT_FALSE(IsLiveBitmap(bitmap));  // ... with its bitmap
}

TEST_F(ImageDataObject, NewBitmapMakesANewPicture) {
  // The static picture is a copy of the bitmap it was built from: after
  // SetBitmap (or SetData) the next REOBJECT shows the new bitmap, not the
  // picture of the old one.
  UniqueWindow edit(CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr));
  ASSERT_TRUE(edit.valid());
  UniqueComPtr<IRichEditOle> ole;
  ASSERT_TRUE(SendMessageA(edit.get(), EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.put())));
  UniqueComPtr<IOleClientSite> site;
  ASSERT_EQ(S_OK, ole.get()->GetClientSite(site.put()));

  // The extent of a REOBJECT's picture, in HIMETRIC.
  auto extent = [](const REOBJECT& object) {
    SIZEL size = {};
    object.poleobj->GetExtent(DVASPECT_CONTENT, &size);
    return size;
  };
  CImageDataObject picture;
  picture.SetBitmap(MakeBitmap(10, 10, RGB(200, 0, 0)));
  REOBJECT small, large, third;
  ASSERT_TRUE(picture.GetReObject(&small, site.get()));
  const SIZEL smallSize = extent(small);
  picture.SetBitmap(MakeBitmap(40, 30, RGB(0, 0, 200)));
  ASSERT_TRUE(picture.GetReObject(&large, site.get()));
  const SIZEL largeSize = extent(large);
  EXPECT_GT(largeSize.cx, smallSize.cx);
  EXPECT_GT(largeSize.cy, smallSize.cy);

  FORMATETC format = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
  STGMEDIUM medium = {};
  medium.tymed = TYMED_GDI;
  medium.hBitmap = MakeBitmap(10, 10, RGB(0, 200, 0));
  ASSERT_EQ(S_OK, picture.SetData(&format, &medium, TRUE));
  ASSERT_TRUE(picture.GetReObject(&third, site.get()));
  EXPECT_EQ(smallSize.cx, extent(third).cx);
  // The same bitmap again keeps the picture.
  REOBJECT again;
  picture.SetBitmap(medium.hBitmap);
  ASSERT_TRUE(picture.GetReObject(&again, site.get()));
  EXPECT_EQ(third.poleobj, again.poleobj);
}
