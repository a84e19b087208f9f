#include "afx/afx_olecontrol.h"

#include <cstdarg>
#include <vector>

#include "afx/afx_file.h"
#include "support/base/win_owners.h"

// --- event sink maps --------------------------------------------------------

const AFX_EVENTSINKMAP* CCmdTarget::GetThisEventSinkMap() {
  static const AFX_EVENTSINKMAP_ENTRY entries[] = {{0, 0, nullptr, nullptr}};
  static const AFX_EVENTSINKMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_EVENTSINKMAP* CCmdTarget::GetEventSinkMap() const { return GetThisEventSinkMap(); }

BOOL CCmdTarget::OnEvent(UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo) {
  for (const AFX_EVENTSINKMAP* map = GetEventSinkMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_EVENTSINKMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->nCtrlID != idCtrl || e->dispid != pEvent->m_dispid) continue;
      if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = nullptr;
        return TRUE;
      }
      if (e->pfn(this, pEvent)) return TRUE;
    }
  }
  return FALSE;
}

bool afx_event::TextFromVariant(const VARIANT& v, CString& text) {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return false;
  text.Empty();
  const BSTR s = converted.bstrVal;
  const int wide = s ? static_cast<int>(SysStringLen(s)) : 0;
  if (wide > 0) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, s, wide, nullptr, 0, nullptr, nullptr);
    std::vector<char> buffer(static_cast<std::size_t>(bytes > 0 ? bytes : 0) + 1);
    const int got = WideCharToMultiByte(CP_ACP, 0, s, wide, buffer.data(), bytes, nullptr, nullptr);
    text = CString(buffer.data(), got > 0 ? got : 0);
  }
  VariantClear(&converted);
  return true;
}

namespace {

// A BSTR of ANSI text (null for null).
BSTR BstrFromAnsi(LPCSTR text) {
  if (!text) return nullptr;
  const int wide = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (wide <= 0) return SysAllocString(L"");
  BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(wide - 1));
  if (s) MultiByteToWideChar(CP_ACP, 0, text, -1, s, wide);
  return s;
}

// The arguments of one Invoke, cleared with the object.
class InvokeArgs {
 public:
  InvokeArgs() = default;
  InvokeArgs(const InvokeArgs&) = delete;
  InvokeArgs& operator=(const InvokeArgs&) = delete;
  ~InvokeArgs() {
    for (VARIANT& v : m_args) VariantClear(&v);
  }
  VARIANT& Add() {
    m_args.emplace_back();
    VariantInit(&m_args.back());
    return m_args.back();
  }
  std::vector<VARIANT>& All() { return m_args; }

 private:
  std::vector<VARIANT> m_args;
};

// Reads the arguments that pbParamInfo describes from the list. False for a
// description this layer does not know.
bool ReadArgs(const BYTE* pbParamInfo, va_list argList, InvokeArgs& args) {
  for (const BYTE* p = pbParamInfo; p && *p; ++p) {
    VARIANT& v = args.Add();
    switch (*p) {
      case VT_I2:
        v.vt = VT_I2;
        v.iVal = static_cast<SHORT>(va_arg(argList, int));
        break;
      case VT_I4:
        v.vt = VT_I4;
        v.lVal = va_arg(argList, long);
        break;
      case VT_UI1:
        v.vt = VT_UI1;
        v.bVal = static_cast<BYTE>(va_arg(argList, int));
        break;
      case VT_UI2:
        v.vt = VT_UI2;
        v.uiVal = static_cast<USHORT>(va_arg(argList, int));
        break;
      case VT_UI4:
        v.vt = VT_UI4;
        v.ulVal = va_arg(argList, unsigned long);
        break;
      case VT_R4:
        v.vt = VT_R4;
        v.fltVal = static_cast<float>(va_arg(argList, double));
        break;
      case VT_R8:
        v.vt = VT_R8;
        v.dblVal = va_arg(argList, double);
        break;
      case VT_BOOL:
        v.vt = VT_BOOL;
        v.boolVal = va_arg(argList, int) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case VT_BSTR:
        v.vt = VT_BSTR;
        v.bstrVal = BstrFromAnsi(va_arg(argList, LPCSTR));
        break;
      case VT_DISPATCH:
        v.vt = VT_DISPATCH;
        v.pdispVal = va_arg(argList, IDispatch*);
        if (v.pdispVal) v.pdispVal->AddRef();
        break;
      case VT_UNKNOWN:
        v.vt = VT_UNKNOWN;
        v.punkVal = va_arg(argList, IUnknown*);
        if (v.punkVal) v.punkVal->AddRef();
        break;
      case VT_VARIANT: {
        const VARIANT* src = va_arg(argList, const VARIANT*);
        if (src && FAILED(VariantCopy(&v, const_cast<VARIANT*>(src)))) return false;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

// Zeroes the result of vtRet at pvRet (a failed call).
void ClearResult(VARTYPE vtRet, void* pvRet) {
  if (!pvRet) return;
  switch (vtRet) {
    case VT_I2:
    case VT_UI2:
      *static_cast<SHORT*>(pvRet) = 0;
      break;
    case VT_I4:
    case VT_UI4:
      *static_cast<LONG*>(pvRet) = 0;
      break;
    case VT_UI1:
      *static_cast<BYTE*>(pvRet) = 0;
      break;
    case VT_BOOL:
      *static_cast<BOOL*>(pvRet) = FALSE;
      break;
    case VT_R4:
      *static_cast<float*>(pvRet) = 0;
      break;
    case VT_R8:
      *static_cast<double*>(pvRet) = 0;
      break;
    case VT_BSTR:
      static_cast<CString*>(pvRet)->Empty();
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      *static_cast<IUnknown**>(pvRet) = nullptr;
      break;
    case VT_VARIANT:
      VariantClear(static_cast<VARIANT*>(pvRet));
      break;
    default:
      break;
  }
}

// Stores the result converted to vtRet; false when it cannot be converted.
bool StoreResult(VARIANT& result, VARTYPE vtRet, void* pvRet) {
  if (vtRet == VT_EMPTY || !pvRet) return true;
  if (vtRet == VT_VARIANT) {
    VARIANT* out = static_cast<VARIANT*>(pvRet);
    VariantClear(out);
    return SUCCEEDED(VariantCopy(out, &result));
  }
  if (vtRet == VT_BSTR) return afx_event::TextFromVariant(result, *static_cast<CString*>(pvRet));
  if (FAILED(VariantChangeType(&result, &result, 0, vtRet))) return false;
  switch (vtRet) {
    case VT_I2:
      *static_cast<SHORT*>(pvRet) = result.iVal;
      break;
    case VT_UI2:
      *static_cast<USHORT*>(pvRet) = result.uiVal;
      break;
    case VT_I4:
      *static_cast<LONG*>(pvRet) = result.lVal;
      break;
    case VT_UI4:
      *static_cast<ULONG*>(pvRet) = result.ulVal;
      break;
    case VT_UI1:
      *static_cast<BYTE*>(pvRet) = result.bVal;
      break;
    case VT_BOOL:
      *static_cast<BOOL*>(pvRet) = result.boolVal != VARIANT_FALSE;
      break;
    case VT_R4:
      *static_cast<float*>(pvRet) = result.fltVal;
      break;
    case VT_R8:
      *static_cast<double*>(pvRet) = result.dblVal;
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      // The caller owns the reference.
      *static_cast<IUnknown**>(pvRet) = result.punkVal;
      if (result.punkVal) result.punkVal->AddRef();
      break;
    default:
      return false;
  }
  return true;
}

constexpr LONG kHimetricPerInch = 2540;

LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }
LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, kHimetricPerInch); }

int ScreenDpi(int index) {
  HDC hdc = ::GetDC(nullptr);
  const int dpi = hdc ? GetDeviceCaps(hdc, index) : 96;
  if (hdc) ::ReleaseDC(nullptr, hdc);
  return dpi > 0 ? dpi : 96;
}

// A COM stream holding a copy of a file's bytes (null on failure).
IStream* StreamFromFile(CFile* pFile) {
  const ULONGLONG length = pFile->GetLength();
  if (length > 0x7FFFFFFF) return nullptr;
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(length ? length : 1)));
  if (!memory) return nullptr;
  void* bytes = GlobalLock(memory.get());
  pFile->SeekToBegin();
  const UINT got = length ? pFile->Read(bytes, static_cast<UINT>(length)) : 0;
  GlobalUnlock(memory.get());
  if (got != length) return nullptr;
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) return nullptr;
  memory.release();  // the stream frees it
  ULARGE_INTEGER size;
  size.QuadPart = length;
  stream->SetSize(size);
  return stream;
}

}  // namespace

// --- the site ---------------------------------------------------------------

// One hosted control: its site interfaces, its event sink and the
// references to it. Reference-counted; the CWnd holds one reference.
class COleControlSite : public IOleClientSite,
                        public IOleInPlaceSite,
                        public IOleControlSite,
                        public IOleInPlaceFrame,
                        public IDispatch {
 public:
  COleControlSite(CWnd* pWndCtrl, HWND hWndParent, UINT nID)
      : m_sink(this), m_pWndCtrl(pWndCtrl), m_hWndParent(hWndParent), m_nID(nID) {}
  COleControlSite(const COleControlSite&) = delete;
  COleControlSite& operator=(const COleControlSite&) = delete;

  // Makes, loads and activates the control; its window on success.
  HWND CreateControl(REFCLSID clsid, DWORD dwStyle, const RECT& rect, CFile* pPersist, BOOL bStorage, BSTR bstrLicKey);
  // Closes the control (its window goes) and lets go of it.
  void DestroyControl();
  IUnknown* GetControlUnknown() const { return m_pObject.get(); }
  IDispatch* GetDispatch() const { return m_pDispatch.get(); }
  HRESULT InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo,
                        va_list argList);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *ppv = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleControlSite)
      *ppv = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
      *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDispatch)
      *ppv = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG count = --m_cRef;
    if (count == 0) delete this;
    return count;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** ppContainer) override {
    if (ppContainer) *ppContainer = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (of the in-place site and of the frame: the parent window)
  STDMETHODIMP GetWindow(HWND* phwnd) override {
    if (!phwnd) return E_POINTER;
    *phwnd = m_hWndParent;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override {
    m_bInPlaceActive = true;
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override {
    if (ppFrame) {
      *ppFrame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (ppDoc) *ppDoc = nullptr;
    if (lprcPosRect) *lprcPosRect = m_rect;
    if (lprcClipRect) ::GetClientRect(m_hWndParent, lprcClipRect);
    if (lpFrameInfo) {
      lpFrameInfo->fMDIApp = FALSE;
      lpFrameInfo->hwndFrame = m_hWndParent;
      lpFrameInfo->haccel = nullptr;
      lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    m_bInPlaceActive = false;
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override {
    if (!lprcPosRect) return E_POINTER;
    m_rect = *lprcPosRect;
    UniqueComPtr<IOleInPlaceObject> inplace;
    if (m_pObject &&
        SUCCEEDED(m_pObject.get()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inplace.put()))))
      inplace.get()->SetObjectRects(&m_rect, &m_rect);
    return S_OK;
  }

  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
  STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
  STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) override {
    if (ppDisp) *ppDisp = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) override {
    if (!pPtlHimetric || !pPtfContainer) return E_POINTER;
    const int dpiX = ScreenDpi(LOGPIXELSX);
    const int dpiY = ScreenDpi(LOGPIXELSY);
    if (dwFlags & XFORMCOORDS_HIMETRICTOCONTAINER) {
      pPtfContainer->x = static_cast<float>(HimetricToPixels(pPtlHimetric->x, dpiX));
      pPtfContainer->y = static_cast<float>(HimetricToPixels(pPtlHimetric->y, dpiY));
    } else {
      pPtlHimetric->x = PixelsToHimetric(static_cast<LONG>(pPtfContainer->x), dpiX);
      pPtlHimetric->y = PixelsToHimetric(static_cast<LONG>(pPtfContainer->y), dpiY);
    }
    return S_OK;
  }
  STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
  STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

  // IOleInPlaceUIWindow / IOleInPlaceFrame: the parent stands for the
  // frame; it has no menus or tool space to share.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the ambient properties.
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo) *pctinfo = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pVarResult, EXCEPINFO*,
                      UINT*) override;

  bool IsInPlaceActive() const { return m_bInPlaceActive; }

 private:
  virtual ~COleControlSite() = default;

  // The event sink: the control's events, handed to the site.
  class EventSink : public IDispatch {
   public:
    explicit EventSink(COleControlSite* pSite) : m_pSite(pSite) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
      if (!ppv) return E_POINTER;
      *ppv = nullptr;
      if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_pSite->m_iidEvents) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
      }
      return E_NOINTERFACE;
    }
    // The sink lives as long as the site.
    STDMETHODIMP_(ULONG) AddRef() override { return m_pSite->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_pSite->Release(); }
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
      if (pctinfo) *pctinfo = 0;
      return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
      if (ppTInfo) *ppTInfo = nullptr;
      return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams, VARIANT*, EXCEPINFO*,
                        UINT*) override {
      return m_pSite->FireEvent(dispIdMember, pDispParams);
    }

   private:
    COleControlSite* m_pSite;
  };

  HRESULT FireEvent(DISPID dispid, DISPPARAMS* pDispParams);
  void ConnectEvents();

  ULONG m_cRef = 1;
  EventSink m_sink;
  CWnd* m_pWndCtrl;
  HWND m_hWndParent;
  UINT m_nID;
  RECT m_rect = {};
  bool m_bInPlaceActive = false;
  IID m_iidEvents = IID_NULL;
  DWORD m_dwEventCookie = 0;
  UniqueComPtr<IConnectionPoint> m_pEventPoint;
  UniqueComPtr<IOleObject> m_pObject;
  UniqueComPtr<IDispatch> m_pDispatch;
  HWND m_hWnd = nullptr;
};

HRESULT COleControlSite::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pVarResult,
                                EXCEPINFO*, UINT*) {
  if (!(wFlags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  VARIANT result;
  VariantInit(&result);
  switch (dispIdMember) {
    case DISPID_AMBIENT_USERMODE:
      result.vt = VT_BOOL;
      result.boolVal = VARIANT_TRUE;
      break;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      result.vt = VT_BOOL;
      result.boolVal = VARIANT_FALSE;
      break;
    case DISPID_AMBIENT_LOCALEID:
      result.vt = VT_I4;
      result.lVal = static_cast<LONG>(GetUserDefaultLCID());
      break;
    case DISPID_AMBIENT_BACKCOLOR:
      result.vt = VT_I4;
      result.lVal = static_cast<LONG>(GetSysColor(COLOR_WINDOW));
      break;
    case DISPID_AMBIENT_FORECOLOR:
      result.vt = VT_I4;
      result.lVal = static_cast<LONG>(GetSysColor(COLOR_WINDOWTEXT));
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (pVarResult) *pVarResult = result;
  return S_OK;
}

HRESULT COleControlSite::FireEvent(DISPID dispid, DISPPARAMS* pDispParams) {
  // The handlers may destroy the window (and this site with it): hold on.
  AddRef();
  AFX_EVENT event = {dispid, pDispParams, DISP_E_MEMBERNOTFOUND};
  const HWND hWndParent = m_hWndParent;
  const UINT nID = m_nID;
  bool handled = false;
  if (m_pWndCtrl) handled = m_pWndCtrl->OnEvent(nID, &event, nullptr) != FALSE;
  if (!handled) {
    if (CWnd* pParent = CWnd::FromHandlePermanent(hWndParent))
      handled = pParent->OnEvent(nID, &event, nullptr) != FALSE;
  }
  Release();
  return handled ? S_OK : event.m_hResult == DISP_E_TYPEMISMATCH ? DISP_E_TYPEMISMATCH : S_OK;
}

void COleControlSite::ConnectEvents() {
  UniqueComPtr<IProvideClassInfo2> info;
  if (SUCCEEDED(m_pObject.get()->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(info.put()))))
    info.get()->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &m_iidEvents);
  UniqueComPtr<IConnectionPointContainer> container;
  if (FAILED(m_pObject.get()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()))))
    return;
  UniqueComPtr<IConnectionPoint> point;
  if (m_iidEvents != IID_NULL) {
    container.get()->FindConnectionPoint(m_iidEvents, point.put());
  } else {
    // No class information: the first source the control offers.
    UniqueComPtr<IEnumConnectionPoints> points;
    if (SUCCEEDED(container.get()->EnumConnectionPoints(points.put())) && points) {
      ULONG fetched = 0;
      IConnectionPoint* first = nullptr;
      if (points.get()->Next(1, &first, &fetched) == S_OK && fetched == 1) {
        point.reset(first);
        point.get()->GetConnectionInterface(&m_iidEvents);
      }
    }
  }
  if (!point) return;
  if (SUCCEEDED(point.get()->Advise(static_cast<IDispatch*>(&m_sink), &m_dwEventCookie)))
    m_pEventPoint = std::move(point);
}

HWND COleControlSite::CreateControl(REFCLSID clsid, DWORD dwStyle, const RECT& rect, CFile* pPersist, BOOL bStorage,
                                    BSTR bstrLicKey) {
  m_rect = rect;
  UniqueComPtr<IUnknown> unknown;
  if (bstrLicKey) {
    UniqueComPtr<IClassFactory2> factory;
    if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory2,
                                reinterpret_cast<void**>(factory.put()))) ||
        FAILED(factory.get()->CreateInstanceLic(nullptr, nullptr, IID_IUnknown, bstrLicKey,
                                                reinterpret_cast<void**>(unknown.put()))))
      return nullptr;
  } else if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(unknown.put())))) {
    return nullptr;
  }
  if (FAILED(unknown.get()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(m_pObject.put())))) return nullptr;

  DWORD misc = 0;
  m_pObject.get()->GetMiscStatus(DVASPECT_CONTENT, &misc);
  const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (siteFirst && FAILED(m_pObject.get()->SetClientSite(static_cast<IOleClientSite*>(this)))) return nullptr;

  // Saved state, or a fresh one.
  HRESULT hr = E_FAIL;
  if (pPersist && bStorage) {
    UniqueComPtr<IPersistStorage> persist;
    UniqueComPtr<IStream> stream(StreamFromFile(pPersist));
    UniqueComPtr<ILockBytes> bytes;
    UniqueComPtr<IStorage> storage;
    if (stream &&
        SUCCEEDED(m_pObject.get()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(persist.put())))) {
      HGLOBAL memory = nullptr;
      if (SUCCEEDED(GetHGlobalFromStream(stream.get(), &memory)) &&
          SUCCEEDED(CreateILockBytesOnHGlobal(memory, FALSE, bytes.put())) &&
          SUCCEEDED(StgOpenStorageOnILockBytes(bytes.get(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                               storage.put())))
        hr = persist.get()->Load(storage.get());
    }
  } else if (pPersist) {
    UniqueComPtr<IPersistStreamInit> persist;
    UniqueComPtr<IStream> stream(StreamFromFile(pPersist));
    if (stream &&
        SUCCEEDED(m_pObject.get()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(persist.put()))))
      hr = persist.get()->Load(stream.get());
  } else {
    UniqueComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(m_pObject.get()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(persist.put())))) {
      hr = persist.get()->InitNew();
    } else {
      hr = S_OK;  // a control without a stream state needs no start
    }
  }
  if (FAILED(hr)) return nullptr;

  if (!siteFirst && FAILED(m_pObject.get()->SetClientSite(static_cast<IOleClientSite*>(this)))) return nullptr;
  m_pObject.get()->SetHostNames(L"Afx", nullptr);
  m_pObject.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(m_pDispatch.put()));
  ConnectEvents();

  SIZEL extent = {PixelsToHimetric(rect.right - rect.left, ScreenDpi(LOGPIXELSX)),
                  PixelsToHimetric(rect.bottom - rect.top, ScreenDpi(LOGPIXELSY))};
  m_pObject.get()->SetExtent(DVASPECT_CONTENT, &extent);
  RECT position = rect;
  if (FAILED(m_pObject.get()->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                                     m_hWndParent, &position)))
    return nullptr;
  UniqueComPtr<IOleInPlaceObject> inplace;
  if (FAILED(m_pObject.get()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inplace.put()))) ||
      FAILED(inplace.get()->GetWindow(&m_hWnd)) || !m_hWnd)
    return nullptr;
  inplace.get()->SetObjectRects(&position, &position);
  SetWindowLongPtrA(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(m_nID));
  if (dwStyle & WS_VISIBLE) {
    m_pObject.get()->DoVerb(OLEIVERB_SHOW, nullptr, static_cast<IOleClientSite*>(this), 0, m_hWndParent, &position);
    ::ShowWindow(m_hWnd, SW_SHOWNA);
  } else {
    ::ShowWindow(m_hWnd, SW_HIDE);
  }
  if (dwStyle & WS_DISABLED) ::EnableWindow(m_hWnd, FALSE);
  return m_hWnd;
}

void COleControlSite::DestroyControl() {
  m_pWndCtrl = nullptr;  // no events after this
  if (m_pEventPoint) {
    m_pEventPoint.get()->Unadvise(m_dwEventCookie);
    m_pEventPoint.reset();
  }
  m_pDispatch.reset();
  if (m_pObject) {
    UniqueComPtr<IOleInPlaceObject> inplace;
    if (SUCCEEDED(m_pObject.get()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inplace.put()))))
      inplace.get()->InPlaceDeactivate();
    inplace.reset();
    m_pObject.get()->Close(OLECLOSE_NOSAVE);
    m_pObject.get()->SetClientSite(nullptr);
    m_pObject.reset();
  }
  // A control that left its window behind: it is of no use without it.
  if (m_hWnd && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}

HRESULT COleControlSite::InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                                       const BYTE* pbParamInfo, va_list argList) {
  ClearResult(vtRet, pvRet);
  if (!m_pDispatch) return E_NOINTERFACE;
  InvokeArgs args;
  if (!ReadArgs(pbParamInfo, argList, args)) return DISP_E_BADVARTYPE;
  std::vector<VARIANT> reversed(args.All().rbegin(), args.All().rend());
  DISPPARAMS params = {};
  params.cArgs = static_cast<UINT>(reversed.size());
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  DISPID putId = DISPID_PROPERTYPUT;
  if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.cNamedArgs = 1;
    params.rgdispidNamedArgs = &putId;
  }
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excep = {};
  UINT argErr = 0;
  HRESULT hr = m_pDispatch.get()->Invoke(dwDispID, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                         vtRet == VT_EMPTY ? nullptr : &result, &excep, &argErr);
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);
  if (SUCCEEDED(hr) && !StoreResult(result, vtRet, pvRet)) {
    ClearResult(vtRet, pvRet);
    hr = DISP_E_TYPEMISMATCH;
  }
  VariantClear(&result);
  return hr;
}

// --- CWnd's control members -------------------------------------------------

BOOL CWnd::CreateControl(REFCLSID clsid, LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, CFile* pPersist, BOOL bStorage, BSTR bstrLicKey) {
  if (m_hWnd || m_pCtrlSite || !pParentWnd || !pParentWnd->m_hWnd) return FALSE;
  COleControlSite* site = new COleControlSite(this, pParentWnd->m_hWnd, nID);
  m_pCtrlSite = site;
  HWND hWnd = site->CreateControl(clsid, dwStyle, rect, pPersist, bStorage, bstrLicKey);
  if (!hWnd || !Attach(hWnd)) {
    m_pCtrlSite = nullptr;
    site->DestroyControl();
    site->Release();
    return FALSE;
  }
  if (pszWindowName) ::SetWindowTextA(hWnd, pszWindowName);
  return TRUE;
}

BOOL CWnd::CreateControl(LPCSTR pszClass, LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, CFile* pPersist, BOOL bStorage, BSTR bstrLicKey) {
  if (!pszClass) return FALSE;
  CLSID clsid;
  // A class identifier in braces, or a programmatic identifier.
  const int wide = MultiByteToWideChar(CP_ACP, 0, pszClass, -1, nullptr, 0);
  if (wide <= 0) return FALSE;
  std::vector<wchar_t> name(static_cast<std::size_t>(wide));
  MultiByteToWideChar(CP_ACP, 0, pszClass, -1, name.data(), wide);
  const HRESULT hr = name[0] == L'{' ? CLSIDFromString(name.data(), &clsid) : CLSIDFromProgID(name.data(), &clsid);
  if (FAILED(hr)) return FALSE;
  return CreateControl(clsid, pszWindowName, dwStyle, rect, pParentWnd, nID, pPersist, bStorage, bstrLicKey);
}

LPUNKNOWN CWnd::GetControlUnknown() { return m_pCtrlSite ? m_pCtrlSite->GetControlUnknown() : nullptr; }

void CWnd::InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo, ...) {
  va_list argList;
  va_start(argList, pbParamInfo);
  if (m_pCtrlSite) {
    m_pCtrlSite->InvokeHelperV(dwDispID, wFlags, vtRet, pvRet, pbParamInfo, argList);
  } else {
    ClearResult(vtRet, pvRet);
  }
  va_end(argList);
}

void CWnd::GetProperty(DISPID dwDispID, VARTYPE vtProp, void* pvProp) const {
  const_cast<CWnd*>(this)->InvokeHelper(dwDispID, DISPATCH_PROPERTYGET, vtProp, pvProp, nullptr);
}

void CWnd::SetProperty(DISPID dwDispID, VARTYPE vtProp, ...) {
  va_list argList;
  va_start(argList, vtProp);
  // One argument of vtProp.
  const BYTE info[2] = {static_cast<BYTE>(vtProp), 0};
  if (m_pCtrlSite)
    m_pCtrlSite->InvokeHelperV(dwDispID, vtProp == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT,
                               VT_EMPTY, nullptr, info, argList);
  va_end(argList);
}

BOOL AfxDestroyControlSite(CWnd* pWnd) {
  COleControlSite* site = pWnd ? pWnd->m_pCtrlSite : nullptr;
  if (!site) return FALSE;
  pWnd->m_pCtrlSite = nullptr;
  HWND hWnd = pWnd->m_hWnd;
  // Closing the control ends its window; a subclassed object is unlinked by
  // its WM_NCDESTROY (and may be gone then: only the map is consulted).
  site->DestroyControl();
  site->Release();
  if (hWnd && CWnd::FromHandlePermanent(hWnd) == pWnd) pWnd->Detach();
  return TRUE;
}
