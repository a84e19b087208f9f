// The control container: one site per hosted control (its client, in-place,
// control and frame sites, its ambient properties and event sink), and the
// control members of CWnd that go through it.
#include "afx/afx_olecontrol_impl.h"

#include <cstdarg>
#include <vector>

#include "afx/afx_file.h"
#include "base/com_object.h"
#include "base/win_owners.h"

namespace {

using afx_olecontrol::ClearResult;

constexpr LONG kHimetricPerInch = 2540;

LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }
LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, kHimetricPerInch); }

int ScreenDpi(int index) {
  const UniqueWindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.dc(), index) : 96;
  return dpi > 0 ? dpi : 96;
}

// Movable memory holding a copy of a file's bytes (null on failure).
HGLOBAL GlobalFromFile(CFile* pFile) {
  const ULONGLONG length = pFile->GetLength();
  if (length > 0x7FFFFFFF) return nullptr;
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(length ? length : 1)));
  if (!memory) return nullptr;
  void* bytes = GlobalLock(memory.get());
  pFile->SeekToBegin();
  const UINT got = length ? pFile->Read(bytes, static_cast<UINT>(length)) : 0;
  GlobalUnlock(memory.get());
  if (got != length) return nullptr;
  return memory.release();
}

// A COM stream holding a copy of a file's bytes (null on failure).
IStream* StreamFromFile(CFile* pFile) {
  UniqueGlobal memory(GlobalFromFile(pFile));
  IStream* stream = nullptr;
  if (!memory || FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) return nullptr;
  memory.release();  // the stream frees it
  ULARGE_INTEGER size;
  size.QuadPart = pFile->GetLength();
  stream->SetSize(size);
  return stream;
}

// References to controls let go of while the control was inside a call
// into its container: given up once this thread's messages run again (a
// thread timer, which every message loop dispatches, modal ones included),
// when no control is inside that call any more.
thread_local std::vector<IUnknown*>* t_pReleaseLater = nullptr;
thread_local UINT_PTR t_nReleaseTimer = 0;

void CALLBACK ReleaseLaterProc(HWND, UINT, UINT_PTR idEvent, DWORD) {
  KillTimer(nullptr, idEvent);
  t_nReleaseTimer = 0;
  if (!t_pReleaseLater) return;
  std::vector<IUnknown*> doomed;
  doomed.swap(*t_pReleaseLater);
  for (IUnknown* p : doomed) p->Release();
}

void ReleaseLater(std::vector<IUnknown*>& refs) {
  if (refs.empty()) return;
  if (!t_pReleaseLater) t_pReleaseLater = new std::vector<IUnknown*>;
  t_pReleaseLater->insert(t_pReleaseLater->end(), refs.begin(), refs.end());
  refs.clear();
  // Without a timer they wait for the next deferred release.
  if (!t_nReleaseTimer) t_nReleaseTimer = SetTimer(nullptr, 0, 0, &ReleaseLaterProc);
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
  // Moves the control through its site (SetExtent, SetObjectRects), so
  // that the place the site gives on the next activation is this one.
  void MoveWindow(int x, int y, int nWidth, int nHeight);
  BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  // Offers a key message to the UI-active control; TRUE when it took it.
  BOOL PreTranslateMessage(MSG* pMsg);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    IOleClientSite* client = this;
    IOleInPlaceSite* inplace = this;
    IOleInPlaceFrame* frame = this;
    return ComQuery(riid, ppv,
                    {{&IID_IUnknown, client},
                     {&IID_IOleClientSite, client},
                     {&IID_IOleWindow, inplace},
                     {&IID_IOleInPlaceSite, inplace},
                     {&IID_IOleControlSite, static_cast<IOleControlSite*>(this)},
                     {&IID_IOleInPlaceUIWindow, frame},
                     {&IID_IOleInPlaceFrame, frame},
                     {&IID_IDispatch, static_cast<IDispatch*>(this)}});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ComAddRef(m_cRef); }
  STDMETHODIMP_(ULONG) Release() override {
    return ComRelease(m_cRef, [this] { delete this; });
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
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) override {
    // The UI-active control, which sees the keys first (null: none).
    if (pActiveObject) pActiveObject->AddRef();
    LetGo(m_pActiveObject.release());
    m_pActiveObject.reset(pActiveObject);
    return S_OK;
  }
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
  virtual ~COleControlSite() { ReleaseLater(m_deferred); }

  // Gives up a reference to the control, or, inside the control's call
  // into this site, once that call has returned to the control and the
  // thread's messages run again: a control must not end inside its own
  // call (frameworks' controls hold no reference to themselves there).
  void LetGo(IUnknown* p) {
    if (!p) return;
    if (m_nCallDepth > 0)
      m_deferred.push_back(p);
    else
      p->Release();
  }
  // Marks a call from the control into the site (an event) for its span.
  class CallFromControl {
   public:
    explicit CallFromControl(COleControlSite* pSite) : m_pSite(pSite) {
      m_pSite->AddRef();  // the handlers may destroy the window, and the site with it
      ++m_pSite->m_nCallDepth;
    }
    CallFromControl(const CallFromControl&) = delete;
    CallFromControl& operator=(const CallFromControl&) = delete;
    ~CallFromControl() {
      if (--m_pSite->m_nCallDepth == 0) ReleaseLater(m_pSite->m_deferred);
      m_pSite->Release();
    }

   private:
    COleControlSite* m_pSite;
  };
  // The rectangle of the control's window in the parent's client area.
  bool CurrentRect(RECT& rect) const;
  void PlaceAt(const RECT& rect);

  // The event sink: the control's events, handed to the site.
  class EventSink : public IDispatch {
   public:
    explicit EventSink(COleControlSite* pSite) : m_pSite(pSite) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
      return ComQuery(riid, ppv, {{&IID_IUnknown, this}, {&IID_IDispatch, this}, {&m_pSite->m_iidEvents, this}});
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
  UniqueComPtr<IOleInPlaceActiveObject> m_pActiveObject;
  // Saved state kept as storage: the control may read it while it lives.
  UniqueComPtr<IStorage> m_pStorage;
  UniqueComPtr<IPersistStorage> m_pPersistStorage;
  int m_nCallDepth = 0;
  std::vector<IUnknown*> m_deferred;
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
  CallFromControl call(this);
  AFX_EVENT event = {dispid, pDispParams, DISP_E_MEMBERNOTFOUND};
  const HWND hWndParent = m_hWndParent;
  const UINT nID = m_nID;
  bool handled = false;
  if (m_pWndCtrl) handled = m_pWndCtrl->OnEvent(nID, &event, nullptr) != FALSE;
  if (!handled) {
    if (CWnd* pParent = CWnd::FromHandlePermanent(hWndParent))
      handled = pParent->OnEvent(nID, &event, nullptr) != FALSE;
  }
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
    // The storage, its bytes and their memory live as long as the control:
    // it may keep the storage from Load and read it later.
    UniqueComPtr<IPersistStorage> persist;
    UniqueGlobal memory(GlobalFromFile(pPersist));
    UniqueComPtr<ILockBytes> bytes;
    if (memory &&
        SUCCEEDED(m_pObject.get()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(persist.put()))) &&
        SUCCEEDED(CreateILockBytesOnHGlobal(memory.get(), TRUE, bytes.put()))) {
      memory.release();  // the bytes free it
      if (SUCCEEDED(StgOpenStorageOnILockBytes(bytes.get(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                               m_pStorage.put()))) {
        hr = persist.get()->Load(m_pStorage.get());
        m_pPersistStorage = std::move(persist);
      }
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
    LetGo(m_pEventPoint.release());
  }
  LetGo(m_pDispatch.release());
  LetGo(m_pActiveObject.release());
  if (m_pObject) {
    UniqueComPtr<IOleInPlaceObject> inplace;
    if (SUCCEEDED(m_pObject.get()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inplace.put()))))
      inplace.get()->InPlaceDeactivate();
    LetGo(inplace.release());
    m_pObject.get()->Close(OLECLOSE_NOSAVE);
    // The saved state's storage goes now: the control lets go of it first.
    if (m_pPersistStorage) m_pPersistStorage.get()->HandsOffStorage();
    LetGo(m_pPersistStorage.release());
    LetGo(m_pStorage.release());
    m_pObject.get()->SetClientSite(nullptr);
    LetGo(m_pObject.release());
  }
  LetGo(m_pStorage.release());
  // A control that left its window behind: it is of no use without it.
  if (m_hWnd && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}

HRESULT COleControlSite::InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                                       const BYTE* pbParamInfo, va_list argList) {
  return afx_olecontrol::InvokeV(m_pDispatch.get(), dwDispID, wFlags, vtRet, pvRet, pbParamInfo, argList);
}

bool COleControlSite::CurrentRect(RECT& rect) const {
  if (!m_hWnd || !::GetWindowRect(m_hWnd, &rect)) return false;
  ::MapWindowPoints(nullptr, m_hWndParent, reinterpret_cast<LPPOINT>(&rect), 2);
  return true;
}

void COleControlSite::PlaceAt(const RECT& rect) {
  UniqueComPtr<IOleInPlaceObject> inplace;
  if (!m_pObject ||
      FAILED(m_pObject.get()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inplace.put())))) {
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    return;
  }
  UniqueComPtr<IOleObject> object(m_pObject.get());
  object.get()->AddRef();  // held while the control runs
  m_rect = rect;
  SIZEL extent = {PixelsToHimetric(rect.right - rect.left, ScreenDpi(LOGPIXELSX)),
                  PixelsToHimetric(rect.bottom - rect.top, ScreenDpi(LOGPIXELSY))};
  object.get()->SetExtent(DVASPECT_CONTENT, &extent);
  RECT position = m_rect;
  inplace.get()->SetObjectRects(&position, &position);
}

void COleControlSite::MoveWindow(int x, int y, int nWidth, int nHeight) {
  const RECT rect = {x, y, x + nWidth, y + nHeight};
  PlaceAt(rect);
}

BOOL COleControlSite::SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  if ((nFlags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
    RECT rect = m_rect;
    CurrentRect(rect);
    if (!(nFlags & SWP_NOMOVE)) OffsetRect(&rect, x - rect.left, y - rect.top);
    if (!(nFlags & SWP_NOSIZE)) {
      rect.right = rect.left + cx;
      rect.bottom = rect.top + cy;
    }
    PlaceAt(rect);
  }
  // Order, showing and activation are the window's.
  const UINT rest = nFlags | SWP_NOMOVE | SWP_NOSIZE;
  if ((rest & SWP_NOZORDER) && !(rest & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED))) return TRUE;
  return ::SetWindowPos(m_hWnd, hWndInsertAfter, 0, 0, 0, 0, rest);
}

BOOL COleControlSite::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_pActiveObject) return FALSE;
  // Both held: the control may end itself, or be let go, meanwhile.
  AddRef();
  UniqueComPtr<IOleInPlaceActiveObject> active(m_pActiveObject.get());
  active.get()->AddRef();
  const BOOL taken = active.get()->TranslateAccelerator(pMsg) == S_OK;
  active.reset();
  Release();
  return taken;
}

// --- CWnd's control members -------------------------------------------------

// A hosted control moves through its site, as MFC's CWnd does.
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  if (m_pCtrlSite)
    m_pCtrlSite->MoveWindow(x, y, nWidth, nHeight);
  else
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  HWND hWndInsertAfter = pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr;
  if (m_pCtrlSite) return m_pCtrlSite->SetWindowPos(hWndInsertAfter, x, y, cx, cy, nFlags);
  return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
}

// The UI-active control hosted by this window sees its keys first.
BOOL CWnd::PreTranslateMessage(MSG* pMsg) { return m_pCtrlSite ? m_pCtrlSite->PreTranslateMessage(pMsg) : FALSE; }

BOOL CWnd::CreateControl(REFCLSID clsid, LPCSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, CFile* pPersist, BOOL bStorage, BSTR bstrLicKey) {
  if (m_hWnd || !pParentWnd || !pParentWnd->m_hWnd) return FALSE;
  // A control whose window went with its parent: closed before the next.
  if (m_pCtrlSite) AfxDestroyControlSite(this);
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
