#include "zavrelcom/face/user_face_res.h"

#include <io.h>

#include <memory>

#include "afx/afx_gdi.h"
#include "base/no_throw.h"
#include "support/dravik/ximage.h"
#include "zavrelcom/server/dbcs_text.h"

namespace {

// Faces draw the colour (0, 128, 128) transparent.
const COLORREF kFaceTransparent = 0x808000;
const WORD kMaxFaces = 65535;

CString FaceFileName(const char* folder, unsigned number, int variant) {
  CString name;
  if (variant == 0 || variant == 1) {
    name.Format("%s\\%u-%d.png", folder, number, variant + 1);
  } else {
    name.Format("%s\\unknow.png", folder);
  }
  return name;
}

CxImage* LoadFacePicture(const char* path) {
  CxImage* picture = new CxImage(0);
  picture->Load(path, 0);  // an unreadable picture still counts and draws nothing
  picture->IncreaseBpp(24);
  picture->SetTransIndex(0);
  picture->SetTransColor(CxImage::RGBtoRGBQUAD(kFaceTransparent));
  return picture;
}

}  // namespace

CUserFaceRes::CUserFaceRes() { m_szFolder[0] = '\0'; }

CUserFaceRes::~CUserFaceRes() {
  DeleteFaces();
  delete m_pDefaultFace;
}

void CUserFaceRes::DeleteFaces() {
  for (INT_PTR i = 0; i < m_Faces1.GetSize(); ++i) delete static_cast<CxImage*>(m_Faces1[i]);
  for (INT_PTR i = 0; i < m_Faces2.GetSize(); ++i) delete static_cast<CxImage*>(m_Faces2[i]);
  m_Faces1.RemoveAll();
  m_Faces2.RemoveAll();
  m_nFaceCount = 0;
}

bool CUserFaceRes::LoadFaces(const char* folder) {
  // Out of memory: the faces loaded so far stay, and the load answers false.
  return NoThrow(false, [&] { return LoadFaceFiles(folder); });
}

bool CUserFaceRes::LoadFaceFiles(const char* folder) {
  DeleteFaces();
  DbcsCopy(m_szFolder, sizeof(m_szFolder), folder);
  DbcsRemoveTrailingBackslash(m_szFolder);

  while (m_nFaceCount < kMaxFaces) {
    const unsigned number = m_nFaceCount + 1u;
    const CString first = FaceFileName(m_szFolder, number, 0);
    const CString second = FaceFileName(m_szFolder, number, 1);
    if (_access(first, 0) != 0 || _access(second, 0) != 0) break;
    std::unique_ptr<CxImage> one(LoadFacePicture(first));
    std::unique_ptr<CxImage> two(LoadFacePicture(second));
    m_Faces1.SetSize(m_nFaceCount + 1);
    m_Faces2.SetSize(m_nFaceCount + 1);
    m_Faces1[m_nFaceCount] = one.release();
    m_Faces2[m_nFaceCount] = two.release();
    ++m_nFaceCount;
  }

  CString defaultFace;
  defaultFace.Format("%s\\default.png", folder ? folder : "");
  delete m_pDefaultFace;
  m_pDefaultFace = nullptr;
  m_pDefaultFace = new CxImage(defaultFace, 1);
  return true;
}

WORD CUserFaceRes::GetFaceCount() { return m_nFaceCount; }

CxImage* CUserFaceRes::Picture(WORD index, int variant) const {
  if (index >= m_nFaceCount) return nullptr;
  if (variant == 0) return static_cast<CxImage*>(m_Faces1[index]);
  if (variant == 1) return static_cast<CxImage*>(m_Faces2[index]);
  return m_pDefaultFace;
}

HBITMAP CUserFaceRes::GetFaceBitmap(WORD index, int variant) {
  return NoThrow<HBITMAP>(nullptr, [&]() -> HBITMAP {
    CxImage* picture = Picture(index, variant);
    return picture ? picture->MakeBitmap(nullptr) : nullptr;
  });
}

void CUserFaceRes::DrawFace(WORD index, int variant, CDC* dc, const RECT* rect) {
  if (!rect) return;
  DrawFace(index, variant, dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
}

void CUserFaceRes::DrawFace(WORD index, int variant, CDC* dc, int x, int y, int cx, int cy) {
  NoThrowVoid([&] {
    CxImage* picture = Picture(index, variant);
    if (!picture || !dc) return;
    picture->Draw(dc->GetSafeHdc(), x, y, cx, cy, nullptr, true);
  });
}

char* CUserFaceRes::GetFaceFileName(WORD index, int variant, char* buffer) {
  if (!buffer) return nullptr;
  return NoThrow<char*>(nullptr, [&] {
    DbcsCopy(buffer, MAX_PATH, FaceFileName(m_szFolder, index + 1u, variant));
    return buffer;
  });
}
