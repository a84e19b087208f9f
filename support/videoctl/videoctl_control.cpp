// The two stand-in video controls (see videoctl.h): automation from a
// table of members, the local control's events, activation in place.
#include "support/videoctl/videoctl_control.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <new>
#include <string>
#include <vector>

#include "base/com_object.h"
#include "base/win_owners.h"
#include "support/stand_in/stand_in_control.h"

namespace videoctl {

namespace {

const wchar_t* const kVideoDevices[] = {L"USB 视频设备", L"虚拟摄像头"};
const wchar_t* const kAudioCaptureDevices[] = {L"麦克风 (高清晰度音频设备)"};
const wchar_t* const kAudioPlayDevices[] = {L"扬声器 (高清晰度音频设备)", L"耳机"};

constexpr UINT_PTR kEventTimer = 1;
constexpr UINT kEventDelayMs = 30;

std::string Ansi(const wchar_t* text, int length = -1) {
  if (!text) return std::string();
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], bytes, nullptr, nullptr);
  if (length < 0) out.resize(out.size() - 1);
  return out;
}

enum class Kind { Method, Get, Put };

struct Member {
  DISPID dispid;
  const wchar_t* name;
  Kind kind;
  std::vector<VARTYPE> args;
  VARTYPE result;  // VT_EMPTY: none
};

// The local control's table.
const std::vector<Member>& LocalMembers() {
  static const std::vector<Member> members = {
      {1, L"StartVideoCapture", Kind::Method, {VT_I4, VT_I4, VT_I4}, VT_I4},
      {2, L"StopVideoCapture", Kind::Method, {}, VT_EMPTY},
      {3, L"SetVideoEncoderParam", Kind::Method, {VT_I4, VT_I4, VT_I4}, VT_I4},
      {4, L"ShowVideoPropertyPage", Kind::Method, {VT_I4}, VT_EMPTY},
      {5, L"EnableShowLocalVideo", Kind::Method, {VT_I4}, VT_EMPTY},
      {6, L"StartAudioCapture", Kind::Method, {VT_I4}, VT_I4},
      {7, L"StopAudioCapture", Kind::Method, {}, VT_EMPTY},
      {8, L"StartAudioPlayer", Kind::Method, {VT_I4}, VT_I4},
      {9, L"StopAudioPlayer", Kind::Method, {}, VT_EMPTY},
      {10, L"Login", Kind::Method, {VT_UI4, VT_UI4, VT_UI4, VT_BSTR, VT_I2}, VT_I4},
      {11, L"Logout", Kind::Method, {}, VT_EMPTY},
      {12, L"StartRecvVideo", Kind::Method, {VT_UI4}, VT_I4},
      {13, L"StopRecvVideo", Kind::Method, {VT_UI4}, VT_EMPTY},
      {14, L"StartRecvAudio", Kind::Method, {VT_UI4}, VT_I4},
      {15, L"StopRecvAudio", Kind::Method, {VT_UI4}, VT_EMPTY},
      {16, L"EnableSendVideo", Kind::Method, {VT_I4}, VT_EMPTY},
      {17, L"EnableSendAudio", Kind::Method, {VT_I4}, VT_EMPTY},
      {18, L"VideoCapDeviceCount", Kind::Get, {}, VT_I4},
      {19, L"VideoCapDeviceName", Kind::Get, {VT_I4}, VT_BSTR},
      {20, L"AudioCapDeviceCount", Kind::Get, {}, VT_I4},
      {21, L"AudioCapDeviceName", Kind::Get, {VT_I4}, VT_BSTR},
      {22, L"AudioPlayDevCount", Kind::Get, {}, VT_I4},
      {23, L"AudioPlayDeviceName", Kind::Get, {VT_I4}, VT_BSTR},
  };
  return members;
}

// The remote control's table (each property read and written).
const std::vector<Member>& RemoteMembers() {
  static const std::vector<Member> members = {
      {1, L"UserID", Kind::Get, {}, VT_UI4},
      {1, L"UserID", Kind::Put, {VT_UI4}, VT_EMPTY},
      {2, L"Visible", Kind::Get, {}, VT_I4},
      {2, L"Visible", Kind::Put, {VT_I4}, VT_EMPTY},
  };
  return members;
}

const char* KindName(Kind kind) { return kind == Kind::Method ? "method" : kind == Kind::Get ? "get" : "put"; }

std::string ArgText(const VARIANT& v) {
  switch (v.vt) {
    case VT_I2:
      return "I2:" + std::to_string(v.iVal);
    case VT_I4:
      return "I4:" + std::to_string(v.lVal);
    case VT_UI4:
      return "UI4:" + std::to_string(v.ulVal);
    case VT_BSTR:
      return "BSTR:" + Ansi(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal)));
    default:
      return "VT" + std::to_string(v.vt);
  }
}

class VideoControl : public IOleObject,
                     public IOleInPlaceObject,
                     public IPersistStreamInit,
                     public IPersistStorage,
                     public IDispatch,
                     public IConnectionPointContainer,
                     public IConnectionPoint,
                     public IProvideClassInfo2 {
 public:
  explicit VideoControl(bool local) : m_local(local) {
    ++g_counts.objects;
    Record("create " + std::string(local ? "local" : "remote"));
  }
  VideoControl(const VideoControl&) = delete;
  VideoControl& operator=(const VideoControl&) = delete;

  void Record(const std::string& text) { stand_in::Record(this, text); }
  HWND Window() const { return m_hWnd; }
  bool IsLocal() const { return m_local; }

  // IUnknown (only the local control is a source of events)
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    IOleObject* object = this;
    IOleInPlaceObject* inplace = this;
    IPersistStreamInit* stream = this;
    IConnectionPointContainer* points = m_local ? this : nullptr;
    IProvideClassInfo2* info = m_local ? this : nullptr;
    return ComQuery(riid, ppv,
                    {{&IID_IUnknown, object},
                     {&IID_IOleObject, object},
                     {&IID_IOleWindow, inplace},
                     {&IID_IOleInPlaceObject, inplace},
                     {&IID_IPersist, stream},
                     {&IID_IPersistStreamInit, stream},
                     {&IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
                     {&IID_IDispatch, static_cast<IDispatch*>(this)},
                     {&IID_IConnectionPointContainer, points},
                     {&IID_IProvideClassInfo, info},
                     {&IID_IProvideClassInfo2, info}});
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ComAddRef(m_cRef); }
  STDMETHODIMP_(ULONG) Release() override {
    return ComRelease(m_cRef, [this] { delete this; });
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override {
    m_site.reset();
    if (pClientSite) {
      pClientSite->AddRef();
      m_site.reset(pClientSite);
      RecordAmbientUserMode();
    }
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
  STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                      LPCRECT lprcPosRect) override {
    if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_SHOW && iVerb != OLEIVERB_UIACTIVATE)
      return OLEOBJ_S_INVALIDVERB;
    IOleClientSite* site = pActiveSite ? pActiveSite : m_site.get();
    if (!m_hWnd && !Activate(site, hwndParent, lprcPosRect)) return E_FAIL;
    if (iVerb == OLEIVERB_SHOW) ShowWindow(m_hWnd, SW_SHOWNA);
    return S_OK;
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
  STDMETHODIMP Unadvise(DWORD dwCookie) override {
    // IConnectionPoint::Unadvise shares this slot's name: the event sink.
    if (dwCookie != kSinkCookie || !m_sink) return CONNECT_E_NOCONNECTION;
    m_sink.reset();
    return S_OK;
  }
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

  // IOleWindow / IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* phwnd) override {
    if (!phwnd) return E_POINTER;
    *phwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (!m_hWnd) return S_OK;
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    m_events.clear();
    DestroyWindow(hWnd);
    UniqueComPtr<IOleInPlaceSite> inplace;
    if (m_site && SUCCEEDED(m_site.get()->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inplace.put()))))
      inplace.get()->OnInPlaceDeactivate();
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT) override {
    if (!lprcPosRect) return E_POINTER;
    if (m_hWnd)
      MoveWindow(m_hWnd, lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
                 lprcPosRect->bottom - lprcPosRect->top, TRUE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // IPersist / IPersistStreamInit / IPersistStorage
  STDMETHODIMP GetClassID(CLSID* pClassID) override {
    if (!pClassID) return E_POINTER;
    *pClassID = m_local ? CLSID_VideoCtlLocal : CLSID_VideoCtlRemote;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM pStm) override {
    if (!pStm) return E_POINTER;
    Record("load stream " + ReadText(pStm));
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
  STDMETHODIMP InitNew(IStorage*) override {
    Record("init new storage");
    return S_OK;
  }
  STDMETHODIMP Load(IStorage* pStg) override {
    if (!pStg) return E_POINTER;
    UniqueComPtr<IStream> stream;
    if (FAILED(pStg->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()))) {
      Record("load storage without Contents");
      return STG_E_FILENOTFOUND;
    }
    Record("load storage " + ReadText(stream.get()));
    return S_OK;
  }
  STDMETHODIMP Save(IStorage*, BOOL) override { return S_OK; }
  STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
  STDMETHODIMP HandsOffStorage() override { return S_OK; }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo) *pctinfo = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override {
    if (!rgszNames || !rgDispId || cNames == 0) return E_INVALIDARG;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    for (const Member& m : Members()) {
      if (lstrcmpiW(m.name, rgszNames[0]) == 0) {
        rgDispId[0] = m.dispid;
        return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                      EXCEPINFO*, UINT* puArgErr) override;

  // IConnectionPointContainer (the local control's one source)
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (riid != IID_DVideoCtlLocalEvents) return CONNECT_E_NOCONNECTION;
    *ppCP = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID* pIID) override {
    if (!pIID) return E_POINTER;
    *pIID = IID_DVideoCtlLocalEvents;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override {
    if (!ppCPC) return E_POINTER;
    *ppCPC = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override {
    if (!pUnkSink || !pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    if (m_sink) return CONNECT_E_ADVISELIMIT;
    IDispatch* sink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(IID_DVideoCtlLocalEvents, reinterpret_cast<void**>(&sink))) &&
        FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink))))
      return CONNECT_E_CANNOTCONNECT;
    m_sink.reset(sink);
    *pdwCookie = kSinkCookie;
    Record("advise");
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
  }

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override {
    if (ppTI) *ppTI = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID* pGUID) override {
    if (!pGUID) return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *pGUID = IID_DVideoCtlLocalEvents;
    return S_OK;
  }

  // Fires an event to the sink now.
  HRESULT Fire(DISPID dispid, int nArgs, long arg1, long arg2) {
    if (!m_sink) return CONNECT_E_NOCONNECTION;
    VARIANT args[2];
    // Reverse order: the last argument first.
    args[0].vt = VT_I4;
    args[0].lVal = nArgs == 2 ? arg2 : arg1;
    args[1].vt = VT_I4;
    args[1].lVal = arg1;
    DISPPARAMS params = {nArgs > 0 ? args : nullptr, nullptr, static_cast<UINT>(nArgs), 0};
    // The handler may end the control: keep it until the call returns.
    UniqueComPtr<IDispatch> sink(m_sink.get());
    sink.get()->AddRef();
    AddRef();
    const HRESULT hr =
        sink.get()->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    Release();
    return hr;
  }
  // Fires the events that wait for the window's timer.
  void FirePending() {
    if (m_hWnd) KillTimer(m_hWnd, kEventTimer);
    std::deque<PendingEvent> events;
    events.swap(m_events);
    AddRef();
    for (const PendingEvent& e : events) Fire(e.dispid, e.nArgs, e.arg1, e.arg2);
    Release();
  }

  void Paint(HDC hdc, const RECT& rc) const;

 private:
  virtual ~VideoControl() {
    if (m_hWnd) DestroyWindow(m_hWnd);
    --g_counts.objects;
  }

  static constexpr DWORD kSinkCookie = 1;

  struct PendingEvent {
    DISPID dispid;
    int nArgs;
    long arg1;
    long arg2;
  };

  const std::vector<Member>& Members() const { return m_local ? LocalMembers() : RemoteMembers(); }

  static std::string ReadText(IStream* pStm) {
    char buffer[256];
    ULONG got = 0;
    if (FAILED(pStm->Read(buffer, sizeof(buffer), &got))) return std::string();
    return std::string(buffer, got);
  }

  void RecordAmbientUserMode() {
    UniqueComPtr<IDispatch> ambient;
    VARIANT v;
    VariantInit(&v);
    DISPPARAMS none = {};
    if (SUCCEEDED(m_site.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ambient.put()))) &&
        SUCCEEDED(ambient.get()->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                        &none, &v, nullptr, nullptr)) &&
        v.vt == VT_BOOL) {
      Record(std::string("ambient user mode ") + (v.boolVal ? "on" : "off"));
    } else {
      Record("ambient user mode unknown");
    }
    VariantClear(&v);
  }

  bool Activate(IOleClientSite* site, HWND hwndParent, LPCRECT lprcPosRect) {
    UniqueComPtr<IOleInPlaceSite> inplace;
    if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inplace.put()))))
      return false;
    if (inplace.get()->CanInPlaceActivate() != S_OK) return false;
    HWND hParent = hwndParent;
    inplace.get()->GetWindow(&hParent);
    UniqueComPtr<IOleInPlaceFrame> frame;
    UniqueComPtr<IOleInPlaceUIWindow> doc;
    RECT pos = {};
    RECT clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    if (FAILED(inplace.get()->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info))) return false;
    if (lprcPosRect) pos = *lprcPosRect;
    m_hWnd = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_CLIPSIBLINGS, pos.left, pos.top, pos.right - pos.left,
                             pos.bottom - pos.top, hParent, nullptr, g_hModule, this);
    if (!m_hWnd) return false;
    inplace.get()->OnInPlaceActivate();
    Record("in place active");
    return true;
  }

  std::atomic<ULONG> m_cRef{1};
  bool m_local;
  HWND m_hWnd = nullptr;
  SIZEL m_extent = {};
  UniqueComPtr<IOleClientSite> m_site;
  UniqueComPtr<IDispatch> m_sink;
  std::deque<PendingEvent> m_events;
  // The remote control's properties.
  ULONG m_userId = 0;
  LONG m_visible = 1;

 public:
  void Queue(DISPID dispid, int nArgs, long arg1, long arg2) {
    m_events.push_back({dispid, nArgs, arg1, arg2});
    if (m_hWnd) SetTimer(m_hWnd, kEventTimer, kEventDelayMs, nullptr);
  }
  ULONG& UserId() { return m_userId; }
  LONG& Visible() { return m_visible; }
};

HRESULT VideoControl::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                             VARIANT* pVarResult, EXCEPINFO*, UINT* puArgErr) {
  if (!pDispParams) return E_INVALIDARG;
  const Member* member = nullptr;
  for (const Member& m : Members()) {
    if (m.dispid != dispIdMember) continue;
    const bool flagged = (m.kind == Kind::Method && (wFlags & DISPATCH_METHOD)) ||
                         (m.kind == Kind::Get && (wFlags & DISPATCH_PROPERTYGET)) ||
                         (m.kind == Kind::Put && (wFlags & DISPATCH_PROPERTYPUT));
    if (flagged) {
      member = &m;
      break;
    }
  }
  if (!member) {
    Record(std::to_string(dispIdMember) + " unknown flags " + std::to_string(wFlags));
    return DISP_E_MEMBERNOTFOUND;
  }
  const UINT count = pDispParams->cArgs;
  std::string line = std::to_string(dispIdMember) + " " + KindName(member->kind);
  std::vector<const VARIANT*> args;
  for (UINT i = 0; i < count; ++i) args.push_back(&pDispParams->rgvarg[count - 1 - i]);
  for (const VARIANT* v : args) line += " " + ArgText(*v);
  if (member->kind == Kind::Put &&
      (pDispParams->cNamedArgs != 1 || pDispParams->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
    Record(line + " without the put name");
    return DISP_E_PARAMNOTOPTIONAL;
  }
  if (count != member->args.size()) {
    Record(line + " bad count");
    return DISP_E_BADPARAMCOUNT;
  }
  for (UINT i = 0; i < count; ++i) {
    if (args[i]->vt != member->args[i]) {
      Record(line + " type mismatch");
      if (puArgErr) *puArgErr = count - 1 - i;
      return DISP_E_TYPEMISMATCH;
    }
  }
  Record(line);

  long firstNumber = 0;
  for (const VARIANT* v : args) {
    if (v->vt == VT_I4 || v->vt == VT_UI4) {
      firstNumber = static_cast<long>(v->vt == VT_I4 ? v->lVal % 1000 : static_cast<long>(v->ulVal % 1000));
      break;
    }
  }
  VARIANT result;
  VariantInit(&result);
  if (m_local) {
    switch (dispIdMember) {
      case 10:  // Login: the result follows as an event
        Queue(1, 1, SysStringLen(args[3]->bstrVal) > 0 ? 1 : 0, 0);
        break;
      case 12:  // StartRecvVideo
        Queue(3, 2, static_cast<long>(args[0]->ulVal), 1);
        break;
      case 14:  // StartRecvAudio
        Queue(2, 2, static_cast<long>(args[0]->ulVal), 1);
        break;
      default:
        break;
    }
    auto deviceName = [&](const wchar_t* const* names, std::size_t n) {
      const long index = args[0]->lVal;
      result.vt = VT_BSTR;
      result.bstrVal = SysAllocString(index >= 0 && static_cast<std::size_t>(index) < n ? names[index] : L"");
    };
    switch (dispIdMember) {
      case 18:
        result.vt = VT_I4;
        result.lVal = static_cast<LONG>(std::size(kVideoDevices));
        break;
      case 19:
        deviceName(kVideoDevices, std::size(kVideoDevices));
        break;
      case 20:
        result.vt = VT_I4;
        result.lVal = static_cast<LONG>(std::size(kAudioCaptureDevices));
        break;
      case 21:
        deviceName(kAudioCaptureDevices, std::size(kAudioCaptureDevices));
        break;
      case 22:
        result.vt = VT_I4;
        result.lVal = static_cast<LONG>(std::size(kAudioPlayDevices));
        break;
      case 23:
        deviceName(kAudioPlayDevices, std::size(kAudioPlayDevices));
        break;
      default:
        if (member->result == VT_I4) {
          result.vt = VT_I4;
          result.lVal = dispIdMember * 1000 + firstNumber;
        }
        break;
    }
  } else if (member->kind == Kind::Put) {
    if (dispIdMember == 1) m_userId = args[0]->ulVal;
    if (dispIdMember == 2) {
      m_visible = args[0]->lVal;
      if (m_hWnd) ShowWindow(m_hWnd, m_visible ? SW_SHOWNA : SW_HIDE);
    }
  } else {
    if (dispIdMember == 1) {
      result.vt = VT_UI4;
      result.ulVal = m_userId;
    } else {
      result.vt = VT_I4;
      result.lVal = m_visible;
    }
  }
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
  if (pVarResult) {
    *pVarResult = result;
  } else {
    VariantClear(&result);
  }
  return S_OK;
}

void VideoControl::Paint(HDC hdc, const RECT& rc) const {
  // The test picture: colour bars (local) or a grey field (remote), and a
  // caption.
  static const COLORREF kBars[] = {RGB(192, 192, 192), RGB(192, 192, 0), RGB(0, 192, 192), RGB(0, 192, 0),
                                   RGB(192, 0, 192),   RGB(192, 0, 0),   RGB(0, 0, 192)};
  const int width = rc.right - rc.left;
  if (m_local) {
    const int n = static_cast<int>(std::size(kBars));
    for (int i = 0; i < n; ++i) {
      RECT bar = {rc.left + width * i / n, rc.top, rc.left + width * (i + 1) / n, rc.bottom};
      const UniqueBrush brush(CreateSolidBrush(kBars[i]));
      FillRect(hdc, &bar, brush.get());
    }
  } else {
    const UniqueBrush brush(CreateSolidBrush(RGB(64, 64, 64)));
    FillRect(hdc, &rc, brush.get());
  }
  const std::string caption = m_local ? "LOCAL" : "REMOTE " + std::to_string(m_userId);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, RGB(255, 255, 255));
  RECT text = rc;
  DrawTextA(hdc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* control = reinterpret_cast<VideoControl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hWnd, &ps);
      RECT rc;
      GetClientRect(hWnd, &rc);
      if (control) control->Paint(hdc, rc);
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wParam == kEventTimer && control) {
        control->FirePending();
        return 0;
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

namespace {

VideoControl* ControlOfWindow(HWND hWnd) {
  return static_cast<VideoControl*>(stand_in::ControlOfWindow(hWnd, kWindowClass));
}

}  // namespace

HRESULT CreateControl(bool local, REFIID riid, void** ppv, const wchar_t* licence) {
  VideoControl* control = new (std::nothrow) VideoControl(local);
  if (control && licence) control->Record("licence " + Ansi(licence));
  return ComHandOver(control, riid, ppv);
}

HRESULT FireEvent(HWND hWnd, DISPID dispid, int nArgs, long arg1, long arg2) {
  VideoControl* control = ControlOfWindow(hWnd);
  if (!control || !control->IsLocal() || nArgs < 0 || nArgs > 2) return E_INVALIDARG;
  return control->Fire(dispid, nArgs, arg1, arg2);
}

}  // namespace videoctl
