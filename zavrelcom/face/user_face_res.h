// CUserFaceRes: the store of user face pictures. Faces are numbered from 1
// and stored in one folder as pairs of PNG files "<n>-1.png" (variant 0)
// and "<n>-2.png" (variant 1); "default.png" stands in for any other
// variant. Index arguments are face numbers minus 1.
//
// Created through DllGetClassObject with CLSID_UserFaceRes; answers
// IID_IUserFaceRes, IID_IUserFaceRes1 and IID_IUnknownEx with the one object
// pointer, which exposes all nine operations of IUserFaceRes1.
#pragma once

#include "afx/afx_coll.h"
#include "zavrelcom/server/component.h"
#include "zavrelcom/server/unknown_ex.h"

class CDC;
class CxImage;

// {B20C0706-7D62-4F28-81CA-D60030454BAD}
inline constexpr GUID CLSID_UserFaceRes = {
    0xB20C0706, 0x7D62, 0x4F28, {0x81, 0xCA, 0xD6, 0x00, 0x30, 0x45, 0x4B, 0xAD}};
// {D9C22BD3-986B-4513-835D-52B413207634}
inline constexpr GUID IID_IUserFaceRes = {0xD9C22BD3, 0x986B, 0x4513, {0x83, 0x5D, 0x52, 0xB4, 0x13, 0x20, 0x76, 0x34}};
// {16938C6A-4903-4D22-91D0-17CCEF214774}
inline constexpr GUID IID_IUserFaceRes1 = {
    0x16938C6A, 0x4903, 0x4D22, {0x91, 0xD0, 0x17, 0xCC, 0xEF, 0x21, 0x47, 0x74}};

// Variant argument: 0 the "-1" picture, 1 the "-2" picture, any other value
// the default face. Slots 0 to 2 are IUnknownEx's.
class IUserFaceRes : public IUnknownEx {
 public:
  // Slot 3: replaces the whole set with the folder's pairs 1, 2, ... up to
  // the first number whose two files do not both exist (at most 65535), and
  // the default face with "<folder>\default.png". A folder longer than 259
  // bytes is cut (never inside a double-byte character). Always true.
  virtual bool LoadFaces(const char* folder) = 0;
  // Slot 4: the number of face pairs loaded.
  virtual WORD GetFaceCount() = 0;
  // Slot 5: a new device-dependent bitmap of the chosen picture, owned by
  // the caller (DeleteObject); null when index is not below the count or
  // the picture is empty.
  virtual HBITMAP GetFaceBitmap(WORD index, int variant) = 0;
  // Slot 6: slot 7 with the rectangle's left, top, width and height.
  virtual void DrawFace(WORD index, int variant, CDC* dc, const RECT* rect) = 0;
  // Slot 7: draws the chosen picture stretched and smoothed to (x, y, cx,
  // cy); nothing when index is not below the count, or dc is null.
  virtual void DrawFace(WORD index, int variant, CDC* dc, int x, int y, int cx, int cy) = 0;

 protected:
  ~IUserFaceRes() = default;
};

class IUserFaceRes1 : public IUserFaceRes {
 public:
  // Slot 8: writes "<folder>\<index+1>-1.png" (variant 0),
  // "<folder>\<index+1>-2.png" (variant 1) or "<folder>\unknow.png" into
  // buffer, which must hold 260 bytes (the name is cut to 259 bytes), and
  // answers buffer (null for a null buffer). No file is opened and the
  // index is not compared with the count.
  virtual char* GetFaceFileName(WORD index, int variant, char* buffer) = 0;

 protected:
  ~IUserFaceRes1() = default;
};

class CUserFaceRes : public CComponentT<IUserFaceRes1, CUserFaceRes> {
 public:
  static constexpr const GUID* kAnswers[] = {&IID_IUnknownEx, &IID_IUserFaceRes, &IID_IUserFaceRes1};

  CUserFaceRes();
  ~CUserFaceRes() override;

  bool LoadFaces(const char* folder) override;
  WORD GetFaceCount() override;
  HBITMAP GetFaceBitmap(WORD index, int variant) override;
  void DrawFace(WORD index, int variant, CDC* dc, const RECT* rect) override;
  void DrawFace(WORD index, int variant, CDC* dc, int x, int y, int cx, int cy) override;
  char* GetFaceFileName(WORD index, int variant, char* buffer) override;

 private:
  bool LoadFaceFiles(const char* folder);
  void DeleteFaces();
  // The picture of (index, variant); null when there is none.
  CxImage* Picture(WORD index, int variant) const;

  WORD m_nFaceCount = 0;
  CPtrArray m_Faces1;  // owned CxImage*, entry i for face i + 1
  CPtrArray m_Faces2;
  char m_szFolder[260];               // without a trailing backslash
  CxImage* m_pDefaultFace = nullptr;  // owned
};
