#include "support/anipic/animated_picture_object.h"

#include <richedit.h>

#include <cstring>
#include <vector>

#include "base/com_object.h"
#include "base/win_owners.h"
#include "support/anipic/animation_clock.h"

namespace {

constexpr DISPID kDispLoadFromFile = 1;
constexpr DISPID kDispGetFrameCount = 2;

bool IsRichEdit(HWND hwnd) {
  char name[32] = {};
  if (!hwnd || !GetClassNameA(hwnd, name, sizeof(name))) return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, 8, "RichEdit", 8) == CSTR_EQUAL;
}

POINT ScrollOf(HWND hwnd, bool richEdit) {
  POINT at = {0, 0};
  if (richEdit) {
    SendMessageA(hwnd, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&at));
  } else {
    at.x = GetScrollPos(hwnd, SB_HORZ);
    at.y = GetScrollPos(hwnd, SB_VERT);
  }
  return at;
}

// Pixels to HIMETRIC (0.01 mm) at the screen's resolution.
LONG ToHimetric(int pixels, int dpi) { return MulDiv(pixels, 2540, dpi > 0 ? dpi : 96); }

}  // namespace

CAnimatedPicture::CAnimatedPicture() { AniPicModuleAddRef(); }

CAnimatedPicture::~CAnimatedPicture() {
  StopAnimation();
  AniPicModuleRelease();
}

HRESULT CAnimatedPicture::QueryInterface(REFIID iid, void** out) {
  IAnimatedPicture* picture = this;
  IViewObject2* view = this;
  IPersistStorage* storage = this;
  return ComQuery(iid, out,
                  {{&IID_IUnknown, picture},
                   {&IID_IDispatch, picture},
                   {&IID_IAnimatedPicture, picture},
                   {&IID_IOleObject, static_cast<IOleObject*>(this)},
                   {&IID_IViewObject, view},
                   {&IID_IViewObject2, view},
                   {&IID_IDataObject, static_cast<IDataObject*>(this)},
                   {&IID_IPersistStorage, storage},
                   {&IID_IPersist, storage}});
}

ULONG CAnimatedPicture::AddRef() { return ComAddRef(m_nRefCount); }

ULONG CAnimatedPicture::Release() {
  return ComRelease(m_nRefCount, [this] { delete this; });
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
  std::shared_ptr<const PictureFrames> frames = PictureFrames::Shared(path, RGB(255, 255, 255));
  if (!frames) return E_FAIL;
  m_frames = std::move(frames);
  m_nFrame = 0;
  m_bDrawn = m_bDrawnElsewhere = false;
  StopAnimation();
  UpdateAnimation();
  return S_OK;
}

HRESULT CAnimatedPicture::GetFrameCount(SHORT* count) {
  if (!count) return E_POINTER;
  *count = static_cast<SHORT>(FrameCount());
  return S_OK;
}

void CAnimatedPicture::NotifyView() {
  if (m_pViewSink.valid()) m_pViewSink.get()->OnViewChange(DVASPECT_CONTENT, -1);
}

bool CAnimatedPicture::AdvanceFrames(DWORD now) {
  const int count = FrameCount();
  if (count < 2) return false;
  const int before = m_nFrame;
  // Frames missed while the thread was busy are skipped, not replayed.
  for (int steps = 0; static_cast<LONG>(m_dwNextDue - now) <= 0; ++steps) {
    if (steps > count) {
      m_dwNextDue = now + m_frames->GetDelay(m_nFrame);
      break;
    }
    m_nFrame = (m_nFrame + 1) % count;
    m_dwNextDue += m_frames->GetDelay(m_nFrame);
  }
  if (m_nFrame == before) return false;
  NotifyView();
  return true;
}

CAnimatedPicture::Area CAnimatedPicture::DirtyArea(POINT scroll, RECT* area) const {
  if (m_bDrawn) {
    *area = m_drawn;
    OffsetRect(area, m_drawnScroll.x - scroll.x, m_drawnScroll.y - scroll.y);
    return Area::Rect;
  }
  return m_bDrawnElsewhere ? Area::Whole : Area::None;
}

POINT CAnimatedPicture::ContainerScroll() const {
  const POINT none = {0, 0};
  return m_container ? ScrollOf(m_container, m_bRichEdit) : none;
}

bool CAnimatedPicture::DrawCurrentFrame(HDC dc, const RECT& rect) const {
  return FrameCount() > 0 && m_frames->Draw(dc, rect, m_nFrame);
}

bool CAnimatedPicture::FollowSameFile(const CAnimatedPicture& other) {
  if (&other == this || !m_frames || other.m_frames != m_frames) return false;
  m_nFrame = other.m_nFrame;
  m_dwNextDue = other.m_dwNextDue;
  return true;
}

void CAnimatedPicture::StepFrame() {
  const int count = FrameCount();
  if (count < 2) return;
  m_nFrame = (m_nFrame + 1) % count;
  m_dwNextDue = GetTickCount() + m_frames->GetDelay(m_nFrame);
  if (m_bAnimating) animation_clock::Reschedule(this);
  NotifyView();
  if (m_container && IsWindow(m_container)) {
    RECT area;
    const Area where = DirtyArea(ContainerScroll(), &area);
    if (where == Area::Rect) InvalidateRect(m_container, &area, FALSE);
    if (where == Area::Whole) InvalidateRect(m_container, nullptr, FALSE);
  }
}

void CAnimatedPicture::UpdateAnimation() {
  if (FrameCount() < 2 || !m_pClientSite.valid()) {
    StopAnimation();
    return;
  }
  HWND container = nullptr;
  UniqueComPtr<IOleWindow> window;
  if (SUCCEEDED(m_pClientSite.get()->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.put())))) {
    window.get()->GetWindow(&container);
  }
  if (m_bAnimating && container == m_container) return;
  m_container = container;
  m_bRichEdit = IsRichEdit(container);
  m_dwNextDue = GetTickCount() + m_frames->GetDelay(m_nFrame);
  m_bAnimating = true;
  animation_clock::Join(this, container);
}

void CAnimatedPicture::StopAnimation() {
  if (!m_bAnimating) return;
  m_bAnimating = false;
  animation_clock::Leave(this);
}

SIZEL CAnimatedPicture::ExtentHimetric() const {
  const UniqueWindowDc screen(nullptr);
  const int dpiX = screen ? GetDeviceCaps(screen.dc(), LOGPIXELSX) : 96;
  const int dpiY = screen ? GetDeviceCaps(screen.dc(), LOGPIXELSY) : 96;
  SIZEL size;
  size.cx = ToHimetric(m_frames ? m_frames->GetWidth() : 0, dpiX);
  size.cy = ToHimetric(m_frames ? m_frames->GetHeight() : 0, dpiY);
  return size;
}

// ---- IOleObject ----

HRESULT CAnimatedPicture::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  m_pClientSite.reset(site);
  UpdateAnimation();
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
  StopAnimation();
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
  if (aspect != DVASPECT_CONTENT || FrameCount() == 0) return E_FAIL;
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
  if (FrameCount() == 0) return OLE_E_BLANK;
  const RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  if (!m_frames->Draw(drawDC, rect, m_nFrame)) return E_FAIL;
  // Where it shows, for the next frame's redraw: in the container's window
  // (client coordinates), or somewhere the container composes itself.
  if (m_container && WindowFromDC(drawDC) == m_container) {
    RECT device = rect;
    LPtoDP(drawDC, reinterpret_cast<POINT*>(&device), 2);
    m_drawn = device;
    m_drawnScroll = ContainerScroll();
    m_bDrawn = true;
  } else {
    m_bDrawnElsewhere = true;
  }
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
  if (FrameCount() == 0) return OLE_E_BLANK;
  const HBITMAP copy = m_frames->CopyBitmap(m_nFrame);
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
