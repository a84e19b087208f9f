#include "support/anipic/animated_picture_object.h"

#include <cstring>
#include <vector>

namespace {

const char kTimerClass[] = "AniPicFrameTimer";
constexpr UINT_PTR kFrameTimer = 1;
constexpr DISPID kDispLoadFromFile = 1;
constexpr DISPID kDispGetFrameCount = 2;

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kFrameTimer) {
    auto* object = reinterpret_cast<CAnimatedPicture*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (object) object->StepFrame();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterTimerClass() {
  static const bool registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TimerWindowProc;
    wc.hInstance = AniPicModuleInstance();
    wc.lpszClassName = kTimerClass;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// Pixels to HIMETRIC (0.01 mm) at the screen's resolution.
LONG ToHimetric(int pixels, int dpi) { return MulDiv(pixels, 2540, dpi > 0 ? dpi : 96); }

}  // namespace

CAnimatedPicture::CAnimatedPicture() { AniPicModuleAddRef(); }

CAnimatedPicture::~CAnimatedPicture() {
  StopTimer();
  AniPicModuleRelease();
}

HRESULT CAnimatedPicture::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IAnimatedPicture)) {
    *out = static_cast<IAnimatedPicture*>(this);
  } else if (IsEqualIID(iid, IID_IOleObject)) {
    *out = static_cast<IOleObject*>(this);
  } else if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2)) {
    *out = static_cast<IViewObject2*>(this);
  } else if (IsEqualIID(iid, IID_IDataObject)) {
    *out = static_cast<IDataObject*>(this);
  } else if (IsEqualIID(iid, IID_IPersistStorage) || IsEqualIID(iid, IID_IPersist)) {
    *out = static_cast<IPersistStorage*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CAnimatedPicture::AddRef() { return static_cast<ULONG>(++m_nRefCount); }

ULONG CAnimatedPicture::Release() {
  const LONG count = --m_nRefCount;
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

// ---- IDispatch ----

HRESULT CAnimatedPicture::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CAnimatedPicture::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    if (i == 0 && names[i] && lstrcmpiW(names[i], L"LoadFromFile") == 0) {
      ids[i] = kDispLoadFromFile;
    } else if (i == 0 && names[i] && lstrcmpiW(names[i], L"GetFrameCount") == 0) {
      ids[i] = kDispGetFrameCount;
    } else {
      ids[i] = DISPID_UNKNOWN;
      hr = DISP_E_UNKNOWNNAME;
    }
  }
  return hr;
}

HRESULT CAnimatedPicture::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                 UINT* argError) {
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  const UINT args = params ? params->cArgs : 0;
  if (id == kDispLoadFromFile) {
    if (args != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT path;
    VariantInit(&path);
    if (FAILED(VariantChangeType(&path, &params->rgvarg[0], 0, VT_BSTR))) {
      if (argError) *argError = 0;
      return DISP_E_TYPEMISMATCH;
    }
    const HRESULT hr = LoadFromFile(path.bstrVal);
    VariantClear(&path);
    return hr;
  }
  if (id == kDispGetFrameCount) {
    if (args != 0) return DISP_E_BADPARAMCOUNT;
    SHORT count = 0;
    GetFrameCount(&count);
    if (result) {
      VariantInit(result);
      result->vt = VT_I2;
      result->iVal = count;
    }
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

// ---- IAnimatedPicture ----

HRESULT CAnimatedPicture::LoadFromFile(BSTR path) {
  if (!path) return E_INVALIDARG;
  if (!m_frames.Load(path, RGB(255, 255, 255))) return E_FAIL;
  m_nFrame = 0;
  UpdateTimer();
  return S_OK;
}

HRESULT CAnimatedPicture::GetFrameCount(SHORT* count) {
  if (!count) return E_POINTER;
  *count = static_cast<SHORT>(m_frames.GetCount());
  return S_OK;
}

void CAnimatedPicture::StepFrame() {
  if (m_frames.GetCount() < 2) return;
  m_nFrame = (m_nFrame + 1) % m_frames.GetCount();
  if (m_timerWindow.valid()) SetTimer(m_timerWindow.get(), kFrameTimer, m_frames.GetDelay(m_nFrame), nullptr);
  if (m_pViewSink.valid()) m_pViewSink.get()->OnViewChange(DVASPECT_CONTENT, -1);
  // Containers that draw from the data object (and not through a view
  // advise) see the new frame at their next paint.
  if (m_pClientSite.valid()) {
    UniqueComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (SUCCEEDED(m_pClientSite.get()->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.put()))) &&
        SUCCEEDED(window.get()->GetWindow(&hwnd)) && hwnd) {
      InvalidateRect(hwnd, nullptr, FALSE);
    }
  }
}

void CAnimatedPicture::UpdateTimer() {
  if (m_frames.GetCount() < 2 || !m_pClientSite.valid()) {
    StopTimer();
    return;
  }
  if (!m_timerWindow.valid()) {
    if (!RegisterTimerClass()) return;
    m_timerWindow.reset(
        CreateWindowExA(0, kTimerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, AniPicModuleInstance(), nullptr));
    if (!m_timerWindow.valid()) return;
    SetWindowLongPtrA(m_timerWindow.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  SetTimer(m_timerWindow.get(), kFrameTimer, m_frames.GetDelay(m_nFrame), nullptr);
}

void CAnimatedPicture::StopTimer() {
  if (!m_timerWindow.valid()) return;
  SetWindowLongPtrA(m_timerWindow.get(), GWLP_USERDATA, 0);
  m_timerWindow.reset();
}

SIZEL CAnimatedPicture::ExtentHimetric() const {
  HDC screen = GetDC(nullptr);
  const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  SIZEL size;
  size.cx = ToHimetric(m_frames.GetWidth(), dpiX);
  size.cy = ToHimetric(m_frames.GetHeight(), dpiY);
  return size;
}

// ---- IOleObject ----

HRESULT CAnimatedPicture::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  m_pClientSite.reset(site);
  UpdateTimer();
  return S_OK;
}

HRESULT CAnimatedPicture::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = m_pClientSite.get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT CAnimatedPicture::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT CAnimatedPicture::Close(DWORD) {
  StopTimer();
  m_pViewSink.reset();
  m_pClientSite.reset();
  return S_OK;
}

HRESULT CAnimatedPicture::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT CAnimatedPicture::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT CAnimatedPicture::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) { return S_OK; }

HRESULT CAnimatedPicture::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs) *verbs = nullptr;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::Update() { return S_OK; }

HRESULT CAnimatedPicture::IsUpToDate() { return S_OK; }

HRESULT CAnimatedPicture::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_AnimatedPicture;
  return S_OK;
}

HRESULT CAnimatedPicture::GetUserType(DWORD, LPOLESTR* type) {
  if (type) *type = nullptr;
  return OLE_S_USEREG;
}

HRESULT CAnimatedPicture::SetExtent(DWORD, SIZEL*) { return E_FAIL; }

HRESULT CAnimatedPicture::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT || m_frames.GetCount() == 0) return E_FAIL;
  *size = ExtentHimetric();
  return S_OK;
}

HRESULT CAnimatedPicture::Advise(IAdviseSink*, DWORD* connection) {
  if (connection) *connection = 0;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::Unadvise(DWORD) { return E_NOTIMPL; }

HRESULT CAnimatedPicture::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise) *advise = nullptr;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = 0;
  return S_OK;
}

HRESULT CAnimatedPicture::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IViewObject2 ----

HRESULT CAnimatedPicture::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDC, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!drawDC || !bounds) return E_INVALIDARG;
  const HBITMAP bitmap = m_frames.GetBitmap(m_nFrame);
  if (!bitmap) return OLE_E_BLANK;
  HDC source = CreateCompatibleDC(drawDC);
  if (!source) return E_FAIL;
  const HGDIOBJ old = SelectObject(source, bitmap);
  SetStretchBltMode(drawDC, COLORONCOLOR);
  StretchBlt(drawDC, bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top, source, 0,
             0, m_frames.GetWidth(), m_frames.GetHeight(), SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  return S_OK;
}

HRESULT CAnimatedPicture::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (colors) *colors = nullptr;
  return S_FALSE;
}

HRESULT CAnimatedPicture::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze) *freeze = 0;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT CAnimatedPicture::SetAdvise(DWORD aspects, DWORD, IAdviseSink* sink) {
  if (sink) sink->AddRef();
  m_pViewSink.reset(sink);
  m_dwViewAspects = aspects;
  return S_OK;
}

HRESULT CAnimatedPicture::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = m_dwViewAspects;
  if (flags) *flags = 0;
  if (sink) {
    *sink = m_pViewSink.get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

HRESULT CAnimatedPicture::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

// ---- IDataObject ----

HRESULT CAnimatedPicture::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_POINTER;
  if (format->cfFormat != CF_BITMAP || !(format->tymed & TYMED_GDI)) return DV_E_FORMATETC;
  const HBITMAP bitmap = m_frames.GetBitmap(m_nFrame);
  if (!bitmap) return OLE_E_BLANK;
  HANDLE copy = OleDuplicateData(bitmap, CF_BITMAP, 0);
  if (!copy) return E_OUTOFMEMORY;
  medium->tymed = TYMED_GDI;
  medium->hBitmap = static_cast<HBITMAP>(copy);
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT CAnimatedPicture::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT CAnimatedPicture::QueryGetData(FORMATETC* format) {
  if (!format) return E_POINTER;
  return format->cfFormat == CF_BITMAP && (format->tymed & TYMED_GDI) ? S_OK : DV_E_FORMATETC;
}

HRESULT CAnimatedPicture::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT CAnimatedPicture::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT CAnimatedPicture::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CAnimatedPicture::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* connection) {
  if (connection) *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT CAnimatedPicture::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT CAnimatedPicture::EnumDAdvise(IEnumSTATDATA** out) {
  if (out) *out = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

// ---- IPersistStorage ----

HRESULT CAnimatedPicture::GetClassID(CLSID* clsid) { return GetUserClassID(clsid); }
HRESULT CAnimatedPicture::IsDirty() { return S_FALSE; }
HRESULT CAnimatedPicture::InitNew(IStorage*) { return S_OK; }
HRESULT CAnimatedPicture::Load(IStorage*) { return S_OK; }
HRESULT CAnimatedPicture::Save(IStorage*, BOOL) { return S_OK; }
HRESULT CAnimatedPicture::SaveCompleted(IStorage*) { return S_OK; }
HRESULT CAnimatedPicture::HandsOffStorage() { return S_OK; }
