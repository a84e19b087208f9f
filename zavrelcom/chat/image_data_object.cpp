#include "zavrelcom/chat/image_data_object.h"

#include <cstring>

#include "base/com_object.h"

CImageDataObject::CImageDataObject() {
  std::memset(&m_StgMedium, 0, sizeof(m_StgMedium));
  std::memset(&m_FormatEtc, 0, sizeof(m_FormatEtc));
}

CImageDataObject::~CImageDataObject() {
  FreeMedium();
  m_pOleObject.reset();
  m_pStorage.reset();
}

void CImageDataObject::FreeMedium() {
  if (m_StgMedium.tymed != TYMED_NULL) ReleaseStgMedium(&m_StgMedium);
  std::memset(&m_StgMedium, 0, sizeof(m_StgMedium));
}

HRESULT STDMETHODCALLTYPE CImageDataObject::QueryInterface(REFIID iid, void** out) {
  return ComQuery(iid, out, {{&IID_IUnknown, this}, {&IID_IDataObject, this}});
}

ULONG STDMETHODCALLTYPE CImageDataObject::AddRef() { return ComAddRef(m_nRefCount); }

ULONG STDMETHODCALLTYPE CImageDataObject::Release() {
  return ComRelease(m_nRefCount, [this] { delete this; });
}

HRESULT STDMETHODCALLTYPE CImageDataObject::GetData(FORMATETC*, STGMEDIUM* medium) {
  if (!medium || m_StgMedium.tymed != TYMED_GDI || !m_StgMedium.hBitmap) return E_HANDLE;
  HANDLE copy = OleDuplicateData(m_StgMedium.hBitmap, CF_BITMAP, 0);
  if (!copy) return E_HANDLE;
  medium->tymed = TYMED_GDI;
  medium->hBitmap = static_cast<HBITMAP>(copy);
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CImageDataObject::QueryGetData(FORMATETC*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CImageDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CImageDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL) {
  if (!format || !medium) return E_INVALIDARG;
  if (m_StgMedium.hGlobal != medium->hGlobal) {
    FreeMedium();
    DropPicture();
  }
  m_FormatEtc = *format;
  m_StgMedium = *medium;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CImageDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CImageDataObject::DUnadvise(DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CImageDataObject::EnumDAdvise(IEnumSTATDATA**) { return E_NOTIMPL; }

void CImageDataObject::DropPicture() {
  m_pOleObject.reset();
  m_pStorage.reset();
}

bool CImageDataObject::SetBitmap(HBITMAP bitmap) {
  if (m_StgMedium.tymed != TYMED_GDI || m_StgMedium.hBitmap != bitmap) {
    FreeMedium();
    // The picture is a copy of the old bitmap: the next GetReObject builds
    // one of the new. (Pictures already in a control keep their own
    // references.)
    DropPicture();
  }
  m_StgMedium.tymed = TYMED_GDI;
  m_StgMedium.hBitmap = bitmap;
  m_StgMedium.pUnkForRelease = nullptr;
  m_FormatEtc.cfFormat = CF_BITMAP;
  m_FormatEtc.ptd = nullptr;
  m_FormatEtc.dwAspect = DVASPECT_CONTENT;
  m_FormatEtc.lindex = -1;
  m_FormatEtc.tymed = TYMED_GDI;
  return true;
}

bool CImageDataObject::GetReObject(REOBJECT* out, IOleClientSite* site) {
  if (!out || m_StgMedium.tymed != TYMED_GDI || !m_StgMedium.hBitmap) return false;
  if (!m_pStorage || !m_pOleObject) {
    UniqueComPtr<ILockBytes> lockBytes;
    if (SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.put()))) {
      StgCreateDocfileOnILockBytes(lockBytes.get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0,
                                   m_pStorage.put());
    }
    if (m_pStorage) {
      // OLE may take and drop references to this object while it copies the
      // picture; one held here keeps the count from reaching 0 meanwhile.
      ++m_nRefCount;
      OleCreateStaticFromData(this, IID_IOleObject, OLERENDER_FORMAT, &m_FormatEtc, nullptr, m_pStorage.get(),
                              reinterpret_cast<void**>(m_pOleObject.put()));
      --m_nRefCount;
    }
    if (!m_pStorage || !m_pOleObject) {
      m_pOleObject.reset();
      m_pStorage.reset();
      return false;
    }
    OleSetContainedObject(m_pOleObject.get(), TRUE);
  }
  std::memset(out, 0, sizeof(*out));
  out->cbStruct = sizeof(REOBJECT);
  out->cp = REO_CP_SELECTION;
  out->dvaspect = DVASPECT_CONTENT;
  m_pOleObject.get()->GetUserClassID(&out->clsid);
  out->poleobj = m_pOleObject.get();
  out->pstg = m_pStorage.get();
  out->polesite = site;
  return true;
}
