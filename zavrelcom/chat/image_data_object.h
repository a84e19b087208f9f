// CImageDataObject: carries one bitmap into a rich edit control as an
// embedded static picture, built once and inserted as often as needed.
//
// The object is the OLE data source of the picture (IDataObject) and owns
// the picture's storage and OLE object. Ownership: the bitmap handed to
// SetBitmap or SetData belongs to the object from then on (it is freed by a
// later SetBitmap/SetData and by the destructor); a bitmap answered by
// GetData is a copy owned by the caller. The chat code allocates the object
// with new and deletes it directly; the reference count serves OLE callers
// during a call only. Windows only.
#pragma once

#include "afx/afx_port.h"

#include <ole2.h>
#include <richole.h>

#include "base/win_owners.h"

class CImageDataObject : public IDataObject {
 public:
  CImageDataObject();
  CImageDataObject(const CImageDataObject&) = delete;
  CImageDataObject& operator=(const CImageDataObject&) = delete;

  // IUnknown: answers IID_IUnknown and IID_IDataObject; Release deletes the
  // object when the count goes from 1 to 0.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Whatever the format asked: a copy of the bitmap (TYMED_GDI, no release
  // owner) owned by the caller; E_HANDLE, medium untouched, without a bitmap
  // or when it cannot be copied.
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;     // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;                       // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;  // E_NOTIMPL
  // Takes the format and the medium, and ownership of the medium whatever
  // release says; S_OK.
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;  // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) override;        // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;       // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override;  // E_NOTIMPL

  // Frees the bitmap, then releases the OLE object and the storage.
  virtual ~CImageDataObject();

  // Takes the bitmap (CF_BITMAP, TYMED_GDI, DVASPECT_CONTENT); a bitmap set
  // before is freed, and the picture built from it dropped (the next
  // GetReObject builds one of the new bitmap; SetData does the same).
  // Always true.
  bool SetBitmap(HBITMAP bitmap);

  // Fills *out for IRichEditOle::InsertObject: REO_CP_SELECTION, the
  // picture's class id, its OLE object and storage (built on the first call
  // and reused), site, DVASPECT_CONTENT. The pointers carry no extra
  // reference: the control takes its own when the object is inserted.
  // False for a null out, without a bitmap, or when the picture cannot be
  // made (the object stays ready for a later attempt).
  bool GetReObject(REOBJECT* out, IOleClientSite* site);

 private:
  void FreeMedium();
  void DropPicture();

  LONG m_nRefCount = 0;
  STGMEDIUM m_StgMedium;
  FORMATETC m_FormatEtc;
  UniqueComPtr<IStorage> m_pStorage;
  UniqueComPtr<IOleObject> m_pOleObject;
};
