// Creation of a window object that hosts an ActiveX control and routes the
// control window's messages through the object's message map (the video
// windows). Windows only.
//
// The control is made (afx's CreateControl, attached), its window detached
// and subclassed again by the object. When the subclassing fails (the
// window the creation linked is gone, or belongs to another object) or
// anything is thrown, the control is closed and no window is left: the
// result is FALSE, never an exception.
#pragma once

#include "afx/afx_olecontrol.h"
#include "afx/afx_wnd.h"
#include "base/no_throw.h"

namespace media {

// The second half of the creation: bCreated is CreateControl's result.
inline BOOL ResubclassHostedControl(CWnd& wnd, BOOL bCreated) {
  if (!bCreated) return FALSE;
  HWND hWnd = wnd.Detach();
  if (hWnd && wnd.SubclassWindow(hWnd)) return TRUE;
  AfxDestroyControlSite(&wnd);
  return FALSE;
}

// Runs create (CreateControl, then ResubclassHostedControl) behind the
// exception barrier; a control left by a throw is closed.
template <class Create>
BOOL CreateHostedControl(CWnd& wnd, Create&& create) noexcept {
  const bool hadWindow = wnd.m_hWnd != nullptr || wnd.m_pCtrlSite != nullptr;
  const BOOL made = NoThrow(FALSE, [&]() -> BOOL { return std::forward<Create>(create)(); });
  if (!made && !hadWindow && !wnd.m_hWnd && wnd.m_pCtrlSite) NoThrowVoid([&] { AfxDestroyControlSite(&wnd); });
  return made;
}

// A method or property of the hosted control answering a value of type T
// (vt) through InvokeHelper; T() when the call throws.
template <class T, class... Args>
T InvokeForResult(CWnd& wnd, DISPID id, WORD flags, VARTYPE vt, const BYTE* params, Args... args) noexcept {
  return NoThrow(T(), [&] {
    T result{};
    wnd.InvokeHelper(id, flags, vt, &result, params, args...);
    return result;
  });
}

// Both Create forms of a window hosting the control of clsid: args are the
// rest of the matching CreateControl form.
template <class... Args>
BOOL CreateHostedControlOf(CWnd& wnd, REFCLSID clsid, const Args&... args) noexcept {
  return CreateHostedControl(wnd, [&] { return ResubclassHostedControl(wnd, wnd.CreateControl(clsid, args...)); });
}

}  // namespace media
