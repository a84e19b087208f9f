#include "afx/afx_wnd.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "afx/afx_gdi.h"
#include "afx/afx_module.h"
#include "afx/afx_olecontrol.h"
#include "afx/afx_thread.h"

namespace {

// Permanent links HWND -> CWnd (any thread), and the old window procedure of
// windows that were detached while another procedure was chained over ours.
struct HandleMaps {
  std::mutex lock;
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, WNDPROC> orphans;
  // Temporary objects, per thread.
  std::map<DWORD, std::unordered_map<HWND, std::unique_ptr<CWnd>>> temporary;
};

HandleMaps& Maps() {
  static HandleMaps maps;
  return maps;
}

// Temporary objects kept per thread before dead windows are pruned.
constexpr std::size_t kTempPruneThreshold = 64;

thread_local const MSG* t_pCurrentMsg = nullptr;
thread_local CWnd* t_pWndInit = nullptr;

// The creation hook of this thread: installed by the outermost
// AfxHookWindowCreate, removed by its AfxUnhookWindowCreate (calls pair).
thread_local HHOOK t_hHookCbt = nullptr;
thread_local int t_nHookDepth = 0;

WNDPROC GetWndProc(HWND hWnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC)); }

// The child control that a message to hParent is about, for reflection;
// null when the message comes from no control (menus, accelerators, the
// window's own scroll bars).
HWND ReflectedChild(HWND hParent, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
      // Sent before the control has its handle in the structure: find it by
      // its identifier.
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      return item && item->CtlType != ODT_MENU ? ::GetDlgItem(hParent, static_cast<int>(item->CtlID)) : nullptr;
    }
    case WM_COMPAREITEM:
      return lParam ? reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_DELETEITEM:
      return lParam ? reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    default:
      (void)wParam;
      return nullptr;
  }
}

}  // namespace

// Private access of the framework's window procedure and creation hook.
struct AfxWndAccess {
  static LRESULT CallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    MSG msg = {};
    msg.hwnd = hWnd;
    msg.message = nMsg;
    msg.wParam = wParam;
    msg.lParam = lParam;
    const MSG* saved = t_pCurrentMsg;
    t_pCurrentMsg = &msg;
    LRESULT result = 0;
    try {
      result = pWnd->WindowProc(nMsg, wParam, lParam);
    } catch (...) {
      // Nothing may unwind through the system's dispatch code; a failed
      // creation message fails the creation.
      result = (nMsg == WM_CREATE || nMsg == WM_NCCREATE) ? (nMsg == WM_CREATE ? -1 : 0) : 0;
    }
    t_pCurrentMsg = saved;
    return result;
  }

  static LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pWndInit) {
      CWnd* pWnd = t_pWndInit;
      t_pWndInit = nullptr;  // only the first window made in this call
      if (pWnd->LinkAndSubclass(reinterpret_cast<HWND>(wParam))) pWnd->PreSubclassWindow();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static void Finish(CWnd* pWnd) { pWnd->FinishNcDestroy(); }
};

void AfxHookWindowCreate(CWnd* pWnd) {
  if (t_nHookDepth++ == 0)
    t_hHookCbt = SetWindowsHookExA(WH_CBT, &AfxWndAccess::CbtFilterHook, nullptr, GetCurrentThreadId());
  t_pWndInit = pWnd;
}

BOOL AfxUnhookWindowCreate() {
  const DWORD err = GetLastError();
  if (t_nHookDepth > 0 && --t_nHookDepth == 0 && t_hHookCbt) {
    UnhookWindowsHookEx(t_hHookCbt);
    t_hHookCbt = nullptr;
  }
  SetLastError(err);
  if (t_pWndInit) {
    t_pWndInit = nullptr;  // its window was never made
    return FALSE;
  }
  return TRUE;
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  return AfxWndAccess::CallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
  if (!pWnd) {
    WNDPROC orphan = nullptr;
    {
      HandleMaps& maps = Maps();
      std::lock_guard<std::mutex> guard(maps.lock);
      auto it = maps.orphans.find(hWnd);
      if (it != maps.orphans.end()) {
        orphan = it->second;
        if (nMsg == WM_NCDESTROY) maps.orphans.erase(it);
      }
    }
    return orphan ? CallWindowProcA(orphan, hWnd, nMsg, wParam, lParam) : ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
  }
  const LRESULT result = AfxWndAccess::CallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
  // A WM_NCDESTROY handler that did not chain to CWnd::OnNcDestroy leaves
  // the object linked to a dead handle: finish the unlinking here. (When it
  // did chain, the object is unlinked and may be deleted: not touched.)
  if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd) AfxWndAccess::Finish(pWnd);
  return result;
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_hWndOwner(nullptr) {}

CWnd::~CWnd() {
  if (m_pCtrlSite) AfxDestroyControlSite(this);
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) CWnd::DestroyWindow();
  // Still linked when the window belongs to another thread (which refuses
  // DestroyWindow): unlink, so no dangling object stays in the map.
  if (m_hWnd) Detach();
}

// --- handle map -------------------------------------------------------------

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd) return nullptr;
  HandleMaps& maps = Maps();
  std::lock_guard<std::mutex> guard(maps.lock);
  auto it = maps.permanent.find(hWnd);
  return it == maps.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* pWnd = FromHandlePermanent(hWnd)) return pWnd;
  if (!IsWindow(hWnd)) return nullptr;
  HandleMaps& maps = Maps();
  std::vector<std::unique_ptr<CWnd>> pruned;  // deleted outside the lock
  std::lock_guard<std::mutex> guard(maps.lock);
  auto& temps = maps.temporary[GetCurrentThreadId()];
  auto it = temps.find(hWnd);
  if (it != temps.end()) return it->second.get();
  if (temps.size() >= kTempPruneThreshold) {
    for (auto t = temps.begin(); t != temps.end();) {
      if (!IsWindow(t->first)) {
        t->second->m_hWnd = nullptr;
        pruned.push_back(std::move(t->second));
        t = temps.erase(t);
      } else {
        ++t;
      }
    }
  }
  std::unique_ptr<CWnd> temp(new CWnd);
  temp->m_hWnd = hWnd;
  CWnd* result = temp.get();
  temps.emplace(hWnd, std::move(temp));
  return result;
}

void CWnd::DeleteTempMap() {
  std::unordered_map<HWND, std::unique_ptr<CWnd>> doomed;
  {
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> guard(maps.lock);
    auto it = maps.temporary.find(GetCurrentThreadId());
    if (it == maps.temporary.end()) return;
    doomed.swap(it->second);
    maps.temporary.erase(it);
  }
  for (auto& entry : doomed) entry.second->m_hWnd = nullptr;  // never destroy the window
}

BOOL CWnd::Attach(HWND hWndNew) {
  if (m_hWnd || !hWndNew || !IsWindow(hWndNew)) return FALSE;
  HandleMaps& maps = Maps();
  std::lock_guard<std::mutex> guard(maps.lock);
  if (!maps.permanent.emplace(hWndNew, this).second) return FALSE;
  m_hWnd = hWndNew;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (!hWnd) return nullptr;
  HandleMaps& maps = Maps();
  std::lock_guard<std::mutex> guard(maps.lock);
  auto it = maps.permanent.find(hWnd);
  if (it != maps.permanent.end() && it->second == this) maps.permanent.erase(it);
  if (m_pfnSuper) {
    // Give the window its old procedure back; when another procedure was
    // chained over ours, keep forwarding to the old one instead.
    if (IsWindow(hWnd)) {
      if (GetWndProc(hWnd) == &AfxWndProc)
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
      else
        maps.orphans[hWnd] = m_pfnSuper;
    }
    m_pfnSuper = nullptr;
  }
  m_hWnd = nullptr;
  return hWnd;
}

bool CWnd::LinkAndSubclass(HWND hWnd) {
  if (!Attach(hWnd)) return false;
  SetLastError(0);
  const LONG_PTR old = SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
  if (old == 0 && GetLastError() != 0) {
    Detach();
    return false;
  }
  m_pfnSuper = reinterpret_cast<WNDPROC>(old);
  if (m_pfnSuper == &AfxWndProc) m_pfnSuper = nullptr;  // cannot happen: linked windows are unique
  return true;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!LinkAndSubclass(hWnd)) return FALSE;
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (!pParent || !pParent->m_hWnd) return FALSE;
  HWND hChild = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
  return hChild ? SubclassWindow(hChild) : FALSE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

void CWnd::PreSubclassWindow() {}

// --- creation ---------------------------------------------------------------

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (cs.lpszClass) return TRUE;
  WNDCLASSA existing;
  if (!GetClassInfoA(cs.hInstance, AFX_WND_CLASS_NAME, &existing)) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.hInstance = cs.hInstance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = AFX_WND_CLASS_NAME;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return FALSE;
  }
  cs.lpszClass = AFX_WND_CLASS_NAME;
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs = {};
  cs.dwExStyle = dwExStyle;
  cs.lpszClass = lpszClassName;
  cs.lpszName = lpszWindowName;
  cs.style = static_cast<LONG>(dwStyle);
  cs.x = x;
  cs.y = y;
  cs.cx = nWidth;
  cs.cy = nHeight;
  cs.hwndParent = hWndParent;
  cs.hMenu = nIDorHMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = lpParam;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }

  AfxHookWindowCreate(this);
  HWND hWnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                              cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  return FinishCreate(hWnd);
}

BOOL CWnd::FinishCreate(HWND hWnd) {
  const DWORD err = GetLastError();
  const bool neverLinked = !AfxUnhookWindowCreate();
  if (!hWnd) {
    // Failed before the window existed: the object was never linked, so
    // WM_NCDESTROY will not call PostNcDestroy; call it here. (When the
    // window was made and then failed, WM_NCDESTROY already did.)
    if (neverLinked) PostNcDestroy();
    SetLastError(err);
    return FALSE;
  }
  // Linked by the hook; when the hook could not be installed, link now (the
  // first messages were missed).
  if (m_hWnd != hWnd && !SubclassWindow(hWnd)) {
    ::DestroyWindow(hWnd);
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, CCreateContext* pContext) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID,
                  static_cast<LPVOID>(pContext));
}

BOOL CWnd::DestroyWindow() {
  // A hosted control's window is the control's: closing the control ends it.
  if (m_pCtrlSite) return AfxDestroyControlSite(this);
  HWND hWnd = m_hWnd;
  if (!hWnd) return FALSE;
  const bool linked = FromHandlePermanent(hWnd) == this;
  if (!::DestroyWindow(hWnd)) return FALSE;
  // A window that was attached without subclassing never showed us its
  // WM_NCDESTROY. (A subclassed one is unlinked already, and the object may
  // be gone: only the map is consulted.)
  if (linked && FromHandlePermanent(hWnd) == this) Detach();
  return TRUE;
}

void CWnd::FinishNcDestroy() {
  if (CWinThread* pThread = AfxGetThread()) {
    if (pThread->m_pMainWnd == this) pThread->m_pMainWnd = nullptr;
    if (pThread->m_pActiveWnd == this) pThread->m_pActiveWnd = nullptr;
  }
  Detach();
  PostNcDestroy();
}

void CWnd::OnNcDestroy() {
  Default();
  FinishNcDestroy();
}

void CWnd::PostNcDestroy() {}

CWnd* CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }

// --- messages ---------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (!m_hWnd) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  // Without a window, PostMessageA would post to the thread instead.
  if (!m_hWnd) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

const MSG* CWnd::GetCurrentMessage() { return t_pCurrentMsg; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT result = 0;
  if (HWND hChild = ReflectedChild(m_hWnd, message, wParam, lParam)) {
    CWnd* pChild = hChild != m_hWnd ? FromHandlePermanent(hChild) : nullptr;
    if (pChild && pChild->OnChildNotify(message, wParam, lParam, &result)) {
      if (pResult) *pResult = result;
      return TRUE;
    }
  }
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    result = 1;
  } else if (message == WM_NOTIFY) {
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (!pHdr || !OnNotify(wParam, lParam, &result)) return FALSE;
  } else {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
    if (!entry) return FALSE;
    result = entry->pfn(this, message, wParam, lParam);
  }
  if (pResult) *pResult = result;
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT nID = LOWORD(wParam);
  // Menus and accelerators carry no control window; their code is a plain
  // command.
  const int nCode = lParam ? static_cast<int>(HIWORD(wParam)) : CN_COMMAND;
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  NMHDR* pHdr = reinterpret_cast<NMHDR*>(lParam);
  AFX_NOTIFY notify = {pResult, pHdr};
  const int nCode = static_cast<int>(MAKELONG(static_cast<WORD>(pHdr->code), WM_NOTIFY));
  return OnCmdMsg(static_cast<UINT>(pHdr->idFrom), nCode, &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG* msg = t_pCurrentMsg;
  if (!msg) return 0;
  return DefWindowProc(msg->message, msg->wParam, msg->lParam);
}

// --- default handlers -------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return static_cast<BOOL>(Default()); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }

// --- wrappers ---------------------------------------------------------------

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
void CWnd::SetOwner(CWnd* pOwnerWnd) { m_hWndOwner = pOwnerWnd ? pOwnerWnd->m_hWnd : nullptr; }
CWnd* CWnd::GetOwner() const { return m_hWndOwner ? FromHandle(m_hWndOwner) : GetParent(); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
int CWnd::GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const {
  return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
}
void CWnd::GetWindowText(CString& rString) const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) {
    rString.Empty();
    return;
  }
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int got = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
  rString = CString(buffer.data(), got > 0 ? got : 0);
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  if (!m_hWnd) return;
  RECT rcWindow;
  ::GetWindowRect(m_hWnd, &rcWindow);
  RECT rcArea;    // where the window must stay
  RECT rcCenter;  // what it is centred on
  if (GetStyle() & WS_CHILD) {
    HWND hParent = ::GetParent(m_hWnd);
    ::GetClientRect(hParent, &rcArea);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<LPPOINT>(&rcWindow), 2);
    rcCenter = rcArea;
  } else {
    HWND hOwner = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    const bool onOwner = hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoA(::MonitorFromWindow(onOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    rcArea = monitor.rcWork;
    if (onOwner) {
      ::GetWindowRect(hOwner, &rcCenter);
    } else {
      rcCenter = rcArea;
    }
  }
  const LONG width = rcWindow.right - rcWindow.left;
  const LONG height = rcWindow.bottom - rcWindow.top;
  LONG x = (rcCenter.left + rcCenter.right) / 2 - width / 2;
  LONG y = (rcCenter.top + rcCenter.bottom) / 2 - height / 2;
  x = std::max(rcArea.left, std::min(x, rcArea.right - width));
  y = std::max(rcArea.top, std::min(y, rcArea.bottom - height));
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const {
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const {
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}
int CWnd::SetWindowRgn(HRGN hRgn, BOOL bRedraw) { return ::SetWindowRgn(m_hWnd, hRgn, bRedraw); }
HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}
HICON CWnd::GetIcon(BOOL bBigIcon) const {
  return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0; }
UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
  return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
