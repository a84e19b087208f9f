#include "support/fwctl/fwctl.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "base/com_class_factory.h"
#include "base/com_object.h"
#include "base/com_server.h"
#include "base/win_owners.h"
#include "support/stand_in/stand_in_control.h"

namespace {

HMODULE g_hModule = nullptr;
ComServerCounts g_counts;
std::atomic<DWORD> g_behaviour{0};

constexpr char kWindowClass[] = "FwCtlWindow";
constexpr DISPID kDispValue = 1;
constexpr DISPID kDispRereadState = 2;

// The controls alive, so that a control can tell whether it still exists
// after a call into its container.
std::set<const void*>& Alive() {
  static std::set<const void*> alive;
  return alive;
}

std::string RectText(const RECT& rc) {
  return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
         std::to_string(rc.bottom);
}

// The bytes of a stream from its start; false when it cannot be read.
bool ReadAll(IStream* stream, std::string& bytes) {
  bytes.clear();
  char buffer[4096];
  for (;;) {
    ULONG got = 0;
    const HRESULT hr = stream->Read(buffer, sizeof(buffer), &got);
    if (FAILED(hr)) return false;
    bytes.append(buffer, got);
    if (got < sizeof(buffer)) return true;
  }
}

LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

class FwControl;

// The control's one source of events. Its references are the control's,
// as a framework's connection point shares its object's count.
class EventPoint : public IConnectionPoint {
 public:
  explicit EventPoint(FwControl* owner) : m_owner(owner) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* pIID) override {
    if (!pIID) return E_POINTER;
    *pIID = IID_DFwCtlEvents;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override {
    if (!pUnkSink || !pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    IDispatch* sink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(IID_DFwCtlEvents, reinterpret_cast<void**>(&sink))) &&
        FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink))))
      return CONNECT_E_CANNOTCONNECT;
    m_sinks.push_back(sink);
    *pdwCookie = static_cast<DWORD>(m_sinks.size());
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD dwCookie) override {
    if (dwCookie == 0 || dwCookie > m_sinks.size() || !m_sinks[dwCookie - 1]) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = m_sinks[dwCookie - 1];
    m_sinks[dwCookie - 1] = nullptr;
    sink->Release();
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
  }
  void ReleaseAll() {
    for (IDispatch*& sink : m_sinks) {
      if (sink) std::exchange(sink, nullptr)->Release();
    }
  }
  std::vector<IDispatch*> m_sinks;  // null: a slot that was unadvised

 private:
  FwControl* m_owner;
};

class FwControl : public IOleObject,
                  public IOleInPlaceObject,
                  public IOleInPlaceActiveObject,
                  public IPersistStreamInit,
                  public IPersistStorage,
                  public IDispatch,
                  public IConnectionPointContainer,
                  public IProvideClassInfo2 {
 public:
  FwControl() : m_point(this) {
    ++g_counts.objects;
    Alive().insert(this);
    VariantInit(&m_value);
    m_value.vt = VT_BSTR;
    m_value.bstrVal = SysAllocString(L"framework");
    Record("create");
  }
  FwControl(const FwControl&) = delete;
  FwControl& operator=(const FwControl&) = delete;

  void Record(const std::string& text) { stand_in::Record(this, text); }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    IOleObject* object = this;
    IOleInPlaceObject* inplace = this;
    IPersistStreamInit* stream = this;
    IProvideClassInfo2* info = this;
    return ComQuery(riid, ppv,
                    {{&IID_IUnknown, object},
                     {&IID_IOleObject, object},
                     {&IID_IOleWindow, inplace},
                     {&IID_IOleInPlaceObject, inplace},
                     {&IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
                     {&IID_IPersist, stream},
                     {&IID_IPersistStreamInit, stream},
                     {&IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
                     {&IID_IDispatch, static_cast<IDispatch*>(this)},
                     {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                     {&IID_IProvideClassInfo, info},
                     {&IID_IProvideClassInfo2, info}});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ComAddRef(m_cRef); }
  STDMETHODIMP_(ULONG) Release() override {
    return ComRelease(m_cRef, [this] { delete this; });
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override {
    if (pClientSite) pClientSite->AddRef();
    m_site.reset(pClientSite);
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override {
    if (!ppClientSite) return E_POINTER;
    *ppClientSite = m_site.get();
    if (*ppClientSite) (*ppClientSite)->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    InPlaceDeactivate();
    Record("close");
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override {
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** ppDataObject) override {
    if (ppDataObject) *ppDataObject = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT lprcPosRect) override {
    switch (iVerb) {
      case OLEIVERB_INPLACEACTIVATE:
      case OLEIVERB_SHOW:
        return Activate(false, lprcPosRect);
      case OLEIVERB_UIACTIVATE:
      case OLEIVERB_PRIMARY:
        return Activate(true, lprcPosRect);
      case OLEIVERB_HIDE:
        if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
      default:
        return OLEOBJ_S_INVALIDVERB;
    }
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override {
    if (ppEnumOleVerb) *ppEnumOleVerb = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* pClsid) override { return GetClassID(pClsid); }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR* pszUserType) override {
    if (pszUserType) *pszUserType = nullptr;
    return OLE_S_USEREG;
  }
  STDMETHODIMP SetExtent(DWORD, SIZEL* psizel) override {
    if (!psizel) return E_POINTER;
    m_extent = *psizel;
    Record("extent " + std::to_string(psizel->cx) + "," + std::to_string(psizel->cy));
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD, SIZEL* psizel) override {
    if (!psizel) return E_POINTER;
    *psizel = m_extent;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink*, DWORD* pdwConnection) override {
    if (pdwConnection) *pdwConnection = 0;
    return E_NOTIMPL;
  }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** ppenumAdvise) override {
    if (ppenumAdvise) *ppenumAdvise = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* pdwStatus) override {
    if (!pdwStatus) return E_POINTER;
    *pdwStatus =
        OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow (of the in-place object and of the active object)
  STDMETHODIMP GetWindow(HWND* phwnd) override {
    if (!phwnd) return E_POINTER;
    *phwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override {
    if (!m_bInPlace) return S_OK;
    UIDeactivate();
    m_bInPlace = false;
    if (HWND hWnd = std::exchange(m_hWnd, nullptr)) DestroyWindow(hWnd);
    if (UniqueComPtr<IOleInPlaceSite> inplace = InPlaceSite()) inplace.get()->OnInPlaceDeactivate();
    Record("in place deactivated");
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override {
    if (!m_bUIActive) return S_OK;
    m_bUIActive = false;
    if (m_frame) m_frame.get()->SetActiveObject(nullptr, nullptr);
    m_frame.reset();
    if (UniqueComPtr<IOleInPlaceSite> inplace = InPlaceSite()) inplace.get()->OnUIDeactivate(FALSE);
    return S_OK;
  }
  STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT) override {
    if (!lprcPosRect) return E_POINTER;
    Record("rects " + RectText(*lprcPosRect));
    if (m_hWnd)
      MoveWindow(m_hWnd, lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
                 lprcPosRect->bottom - lprcPosRect->top, TRUE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override {
    if (!lpmsg) return E_POINTER;
    const bool key = lpmsg->message == WM_KEYDOWN;
    Record("accelerator " + std::string(key ? "key down " : "message ") +
           std::to_string(key ? lpmsg->wParam : lpmsg->message));
    return key && (lpmsg->wParam == VK_TAB || lpmsg->wParam == VK_RETURN) ? S_OK : S_FALSE;
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IPersist / IPersistStreamInit / IPersistStorage
  STDMETHODIMP GetClassID(CLSID* pClassID) override {
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_FwCtl;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM pStm) override {
    if (!pStm) return E_POINTER;
    std::string bytes;
    if (!ReadAll(pStm, bytes)) return E_FAIL;
    Record("load stream " + std::to_string(bytes.size()) + " bytes");
    return S_OK;
  }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pCbSize) override {
    if (pCbSize) pCbSize->QuadPart = 0;
    return S_OK;
  }
  STDMETHODIMP InitNew() override {
    Record("init new");
    return S_OK;
  }
  STDMETHODIMP InitNew(IStorage* pStg) override {
    if (!pStg) return E_POINTER;
    pStg->AddRef();
    m_storage.reset(pStg);
    Record("init new storage");
    return S_OK;
  }
  STDMETHODIMP Load(IStorage* pStg) override {
    if (!pStg) return E_POINTER;
    std::string bytes;
    if (!ReadContents(pStg, bytes)) {
      Record("load storage without Contents");
      return STG_E_FILENOTFOUND;
    }
    // Kept: the state is read again when it is needed.
    pStg->AddRef();
    m_storage.reset(pStg);
    m_loaded = bytes;
    Record("load storage " + std::to_string(bytes.size()) + " bytes");
    return S_OK;
  }
  STDMETHODIMP Save(IStorage*, BOOL) override { return S_OK; }
  STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
  STDMETHODIMP HandsOffStorage() override {
    m_storage.reset();
    Record("hands off storage");
    return S_OK;
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo) *pctinfo = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                      EXCEPINFO*, UINT*) override {
    Record("invoke " + std::to_string(dispIdMember) + " flags " + std::to_string(wFlags));
    if (g_behaviour & kFwCtlThrowFromInvoke) throw std::bad_alloc();
    VARIANT result;
    VariantInit(&result);
    if (dispIdMember == kDispValue && (wFlags & DISPATCH_PROPERTYPUT)) {
      if (!pDispParams || pDispParams->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      VariantClear(&m_value);
      VariantCopy(&m_value, &pDispParams->rgvarg[0]);
    } else if (dispIdMember == kDispValue) {
      VariantCopy(&result, &m_value);
    } else if (dispIdMember == kDispRereadState) {
      result.vt = VT_I4;
      result.lVal = RereadState();
    }
    if (pVarResult) {
      *pVarResult = result;
    } else {
      VariantClear(&result);
    }
    return S_OK;
  }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (riid != IID_DFwCtlEvents) return CONNECT_E_NOCONNECTION;
    *ppCP = &m_point;
    AddRef();
    return S_OK;
  }

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override {
    if (ppTI) *ppTI = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID* pGUID) override {
    if (!pGUID) return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *pGUID = IID_DFwCtlEvents;
    return S_OK;
  }

  // Fires an event to every sink, as a framework's generated firing code
  // does: each sink is held during its call, the control itself is not.
  HRESULT Fire(DISPID dispid, int nArgs, const VARIANT* pArgs) {
    std::vector<VARIANT> args(static_cast<std::size_t>(nArgs));
    for (int i = 0; i < nArgs; ++i) args[static_cast<std::size_t>(nArgs - 1 - i)] = pArgs[i];
    DISPPARAMS params = {nArgs > 0 ? args.data() : nullptr, nullptr, static_cast<UINT>(nArgs), 0};
    HRESULT hr = CONNECT_E_NOCONNECTION;
    ++m_firing;
    for (std::size_t i = 0; i < m_point.m_sinks.size(); ++i) {
      IDispatch* sink = m_point.m_sinks[i];
      if (!sink) continue;
      sink->AddRef();
      hr = sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
      sink->Release();
      if (!Alive().count(this)) {
        // A framework's loop would go on with its freed sink list here.
        stand_in::Record(nullptr, "event returned into a destroyed control");
        return hr;
      }
    }
    --m_firing;
    return hr;
  }

  // Takes the focus as a framework control does: UI activation.
  void OnSetFocus() {
    if (m_bInPlace) Activate(true, nullptr);
  }

  // Ends its window and makes another (a property that needs a new style).
  void RecreateWindow() {
    if (!m_hWnd) return;
    RECT rc = {};
    GetWindowRect(m_hWnd, &rc);
    HWND parent = GetParent(m_hWnd);
    MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&rc), 2);
    const LONG_PTR style = GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    DestroyWindow(std::exchange(m_hWnd, nullptr));
    m_hWnd = CreateWindowExA(0, kWindowClass, "", static_cast<DWORD>(style), rc.left, rc.top, rc.right - rc.left,
                             rc.bottom - rc.top, parent, nullptr, g_hModule, this);
    Record("window recreated");
  }

 private:
  virtual ~FwControl() {
    if (m_firing > 0) stand_in::Record(nullptr, "destroyed inside its own event");
    Alive().erase(this);
    m_point.ReleaseAll();
    if (m_hWnd) DestroyWindow(m_hWnd);
    VariantClear(&m_value);
    --g_counts.objects;
  }

  UniqueComPtr<IOleInPlaceSite> InPlaceSite() const {
    UniqueComPtr<IOleInPlaceSite> inplace;
    if (m_site) m_site.get()->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inplace.put()));
    return inplace;
  }

  static bool ReadContents(IStorage* pStg, std::string& bytes) {
    UniqueComPtr<IStream> stream;
    if (FAILED(pStg->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()))) return false;
    return ReadAll(stream.get(), bytes);
  }

  long RereadState() {
    if (!m_storage) {
      Record("reread without storage");
      return -1;
    }
    std::string bytes;
    const bool same = ReadContents(m_storage.get(), bytes) && bytes == m_loaded;
    Record(same ? "reread " + std::to_string(bytes.size()) + " bytes" : "reread changed");
    return same ? static_cast<long>(bytes.size()) : -1;
  }

  // In-place (and UI) activation: the place is the site's, asked each time.
  HRESULT Activate(bool ui, LPCRECT lprcPosRect) {
    UniqueComPtr<IOleInPlaceSite> inplace = InPlaceSite();
    if (!inplace) return E_UNEXPECTED;
    if (!m_bInPlace) {
      if (inplace.get()->CanInPlaceActivate() != S_OK) return E_FAIL;
      inplace.get()->OnInPlaceActivate();
      m_bInPlace = true;
    }
    HWND hParent = nullptr;
    if (FAILED(inplace.get()->GetWindow(&hParent))) return E_FAIL;
    UniqueComPtr<IOleInPlaceFrame> frame;
    UniqueComPtr<IOleInPlaceUIWindow> doc;
    RECT pos = {};
    RECT clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    if (FAILED(inplace.get()->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info))) return E_FAIL;
    if (lprcPosRect) pos = *lprcPosRect;
    if (!m_hWnd) {
      m_hWnd = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, pos.left, pos.top,
                               pos.right - pos.left, pos.bottom - pos.top, hParent, nullptr, g_hModule, this);
      if (!m_hWnd) return E_FAIL;
      Record("in place active at " + RectText(pos));
    } else {
      SetObjectRects(&pos, &clip);
    }
    if (ui && !m_bUIActive) {
      m_bUIActive = true;
      inplace.get()->OnUIActivate();
      if (frame) frame.get()->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
      m_frame = std::move(frame);
      Record("ui active");
    }
    if (ui && GetFocus() != m_hWnd) SetFocus(m_hWnd);
    return S_OK;
  }

  std::atomic<ULONG> m_cRef{1};
  EventPoint m_point;
  HWND m_hWnd = nullptr;
  bool m_bInPlace = false;
  bool m_bUIActive = false;
  int m_firing = 0;
  SIZEL m_extent = {};
  VARIANT m_value;
  std::string m_loaded;
  UniqueComPtr<IOleClientSite> m_site;
  UniqueComPtr<IOleInPlaceFrame> m_frame;
  UniqueComPtr<IStorage> m_storage;

  friend class EventPoint;
};

STDMETHODIMP EventPoint::QueryInterface(REFIID riid, void** ppv) {
  return ComQuery(riid, ppv, {{&IID_IUnknown, this}, {&IID_IConnectionPoint, this}});
}
STDMETHODIMP_(ULONG) EventPoint::AddRef() { return m_owner->AddRef(); }
STDMETHODIMP_(ULONG) EventPoint::Release() { return m_owner->Release(); }
STDMETHODIMP EventPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = static_cast<IConnectionPointContainer*>(m_owner);
  m_owner->AddRef();
  return S_OK;
}

FwControl* ControlOfWindow(HWND hWnd) { return static_cast<FwControl*>(stand_in::ControlOfWindow(hWnd, kWindowClass)); }

LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  FwControl* control = reinterpret_cast<FwControl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hWnd, &ps);
      RECT rc;
      GetClientRect(hWnd, &rc);
      FillRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_SETFOCUS:
      if (control) control->OnSetFocus();
      return 0;
    case WM_KEYDOWN:
      if (control) control->Record("key down " + std::to_string(wParam));
      return 0;
    case WM_SETTEXT:
      if (control && (g_behaviour & kFwCtlRecreateOnCaption)) {
        control->RecreateWindow();
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

HRESULT CreateControl(REFIID riid, void** ppv, const wchar_t*) {
  return ComHandOver(new (std::nothrow) FwControl, riid, ppv);
}

ComClassFactory g_factory(g_counts, &CreateControl);

const ComServerClass kClasses[] = {{&CLSID_FwCtl, "FwCtl framework-style test control", "FwCtl.Control.1"}};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
  if (dwReason == DLL_PROCESS_ATTACH) {
    g_hModule = hInstance;
    DisableThreadLibraryCalls(hInstance);
    stand_in::RegisterWindowClass(hInstance, kWindowClass, &ControlWndProc);
  } else if (dwReason == DLL_PROCESS_DETACH) {
    stand_in::UnregisterWindowClass(hInstance, kWindowClass);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  return ComServerClassObject(rclsid == CLSID_FwCtl ? &g_factory : nullptr, riid, ppv);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return g_counts.CanUnloadNow(); }

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  return ComServerRegister(g_hModule, kClasses, std::size(kClasses));
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  return ComServerUnregister(kClasses, std::size(kClasses));
}

FWCTL_API int FwCtlReadLog(HWND hWnd, char* pBuffer, int cbBuffer) {
  return stand_in::ReadLog(hWnd, kWindowClass, pBuffer, cbBuffer);
}

FWCTL_API void FwCtlClearLog() { stand_in::ClearLog(); }

FWCTL_API int FwCtlObjectCount() { return static_cast<int>(g_counts.objects.load()); }

FWCTL_API void FwCtlSetBehaviour(DWORD dwFlags) { g_behaviour = dwFlags; }

FWCTL_API HRESULT FwCtlFire(HWND hWnd, DISPID dispid, int nArgs, const VARIANT* pArgs) {
  FwControl* control = ControlOfWindow(hWnd);
  if (!control || nArgs < 0 || (nArgs > 0 && !pArgs)) return E_INVALIDARG;
  return control->Fire(dispid, nArgs, pArgs);
}

FWCTL_API IClassFactory* FwCtlClassFactory() { return &g_factory; }
