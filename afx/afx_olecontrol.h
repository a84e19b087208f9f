// ActiveX control hosting (MFC's names): CWnd::CreateControl, InvokeHelper,
// GetProperty/SetProperty (declared in afx_wnd.h), the VTS_* argument
// descriptions and event sink maps. Windows only.
//
// Container: CreateControl gives the control a site (COleControlSite, one
// per hosted control, owned by the CWnd through m_pCtrlSite) that answers
// IOleClientSite, IOleInPlaceSite, IOleControlSite, IOleInPlaceFrame (the
// parent window stands for the frame) and the ambient properties through
// IDispatch (user mode on, UI not dead, no grab handles or hatching, the
// user's locale, the window colours, the parent's font). The control is
// activated in place in the parent window; its window becomes the CWnd's
// window, with the child identifier nID and the visibility of the style.
// DestroyWindow (and the destructor) closes the control, which ends its
// window, and deletes the site. Saved state given as storage is kept while
// the control lives (HandsOffStorage before it goes). MoveWindow and
// SetWindowPos go through the site (SetExtent, SetObjectRects); the
// UI-active object (SetActiveObject) sees the keys first
// (CWnd::PreTranslateMessage). A control released while it is inside a
// call into the site (an event) is let go of once that call has returned
// to it and the thread's messages run again.
//
// Events: the site advises the control's default source interface (from
// IProvideClassInfo2, else the control's first connection point). An event
// goes first to the event sink map of the CWnd that hosts the control, then
// to the map of the parent window's object (as MFC's container does); each
// is searched by the control's child identifier and the event's dispatch
// id, along the chain of base maps. A handler returns void (the event is
// taken) or BOOL (FALSE lets the search go on). Each argument is first
// converted to the type the entry's VTS_* description gives for it, as
// MFC does (VTS_I4 to an int handler passes the number, VTS_BOOL passes
// TRUE or FALSE); a value that does not convert is a type mismatch, and no
// call. Then it becomes the handler's parameter (long, short, unsigned
// long, int/BOOL, bool, float, double, LPCSTR: the BSTR converted with the
// ANSI code page, valid during the call; IDispatch*, VARIANT*,
// VARIANT_BOOL* as they came). An event with another argument count than
// the description's is passed over.
//
//   class CMyWnd : public CWnd {
//     afx_msg void OnLoginResult(long nResult);
//     DECLARE_EVENTSINK_MAP()
//   };
//   BEGIN_EVENTSINK_MAP(CMyWnd, CWnd)
//   ON_EVENT(CMyWnd, 8067, 1, OnLoginResult, VTS_I4)
//   END_EVENTSINK_MAP()
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <tuple>
#include <type_traits>

#include "afx/afx_cmd_target.h"
#include "afx/afx_file.h"
#include "afx/afx_port.h"
#include "afx/afx_string.h"
#include "afx/afx_wnd.h"

// Argument descriptions of InvokeHelper and event entries: one byte, the
// VARTYPE, per argument. VTS_BSTR takes an LPCSTR.
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R4 "\x04"
#define VTS_R8 "\x05"
#define VTS_BSTR "\x08"
#define VTS_DISPATCH "\x09"
#define VTS_BOOL "\x0B"
#define VTS_VARIANT "\x0C"
#define VTS_UNKNOWN "\x0D"
#define VTS_UI1 "\x11"
#define VTS_UI2 "\x12"
#define VTS_UI4 "\x13"
// By reference (event parameters only): VARIANT*, VARIANT_BOOL*.
#define VTS_PVARIANT "\x4C"
#define VTS_PBOOL "\x4B"

// Closes the control hosted by pWnd, ends its window and deletes its site;
// pWnd's m_pCtrlSite is null afterwards. TRUE when there was a control.
AFX_API BOOL AfxDestroyControlSite(CWnd* pWnd);

// One event of a hosted control on its way to a handler.
struct AFX_EVENT {
  DISPID m_dispid;
  DISPPARAMS* m_pDispParams;
  // S_OK once a handler took the event; DISP_E_TYPEMISMATCH when one
  // matched but an argument could not be converted.
  HRESULT m_hResult;
};

// Calls one handler of pTarget with the event's arguments; TRUE when it
// took the event.
typedef BOOL (*AFX_PEVENT_THUNK)(CCmdTarget* pTarget, AFX_EVENT* pEvent);

struct AFX_EVENTSINKMAP_ENTRY {
  UINT nCtrlID;          // the control's child identifier
  DISPID dispid;         // the event's dispatch id
  LPCSTR pszParams;      // VTS_* of the parameters: the arguments are converted to them
  AFX_PEVENT_THUNK pfn;  // null ends the table
};

struct AFX_EVENTSINKMAP {
  const AFX_EVENTSINKMAP* (*pfnGetBaseMap)();  // null for the root table
  const AFX_EVENTSINKMAP_ENTRY* lpEntries;
};

namespace afx_event {

// Converts one event argument to a handler's parameter type.
template <class T>
struct Arg;

// A number or flag. The event entry's VTS_* description has converted the
// argument already (CCmdTarget::OnEvent); a VT_BOOL gives 1 or 0 (BOOL's
// TRUE and FALSE), any other type is converted to T.
template <class T, VARTYPE VT>
struct ScalarArg {
  T value{};
  bool Set(const VARIANT& v) {
    if (v.vt == VT_BOOL) {
      value = static_cast<T>(v.boolVal != VARIANT_FALSE ? 1 : 0);
      return true;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v), 0, VT))) return false;
    value = Read(converted);
    VariantClear(&converted);
    return true;
  }
  static T Read(const VARIANT& v);
  T Get() const { return value; }
};

template <>
inline short ScalarArg<short, VT_I2>::Read(const VARIANT& v) {
  return v.iVal;
}
template <>
inline long ScalarArg<long, VT_I4>::Read(const VARIANT& v) {
  return v.lVal;
}
template <>
inline unsigned long ScalarArg<unsigned long, VT_UI4>::Read(const VARIANT& v) {
  return v.ulVal;
}
template <>
inline int ScalarArg<int, VT_I4>::Read(const VARIANT& v) {
  return v.lVal;
}
template <>
inline bool ScalarArg<bool, VT_BOOL>::Read(const VARIANT& v) {
  return v.boolVal != VARIANT_FALSE;
}
template <>
inline float ScalarArg<float, VT_R4>::Read(const VARIANT& v) {
  return v.fltVal;
}
template <>
inline double ScalarArg<double, VT_R8>::Read(const VARIANT& v) {
  return v.dblVal;
}

template <>
struct Arg<short> : ScalarArg<short, VT_I2> {};
template <>
struct Arg<long> : ScalarArg<long, VT_I4> {};
template <>
struct Arg<unsigned long> : ScalarArg<unsigned long, VT_UI4> {};
// int and BOOL: as the entry describes it (VTS_I4 a number, VTS_BOOL 1 or 0).
template <>
struct Arg<int> : ScalarArg<int, VT_I4> {};
template <>
struct Arg<bool> : ScalarArg<bool, VT_BOOL> {};
template <>
struct Arg<float> : ScalarArg<float, VT_R4> {};
template <>
struct Arg<double> : ScalarArg<double, VT_R8> {};

// Text: the BSTR in the ANSI code page, alive during the call.
AFX_API bool TextFromVariant(const VARIANT& v, CString& text);
template <>
struct Arg<LPCSTR> {
  CString value;
  bool Set(const VARIANT& v) { return TextFromVariant(v, value); }
  LPCSTR Get() const { return value; }
};

// A VARIANT argument as it came (the variant a by-reference one points
// to), valid during the call.
template <>
struct Arg<VARIANT*> {
  VARIANT* value = nullptr;
  bool Set(const VARIANT& v) {
    value = v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : const_cast<VARIANT*>(&v);
    return value != nullptr;
  }
  VARIANT* Get() const { return value; }
};
template <>
struct Arg<IDispatch*> {
  IDispatch* value = nullptr;
  bool Set(const VARIANT& v) {
    if (v.vt == VT_DISPATCH)
      value = v.pdispVal;
    else if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal)
      value = *v.ppdispVal;
    else if (v.vt != VT_EMPTY && v.vt != VT_NULL)
      return false;
    return true;
  }
  IDispatch* Get() const { return value; }
};
// VARIANT_BOOL* (an out flag such as Cancel).
template <>
struct Arg<VARIANT_BOOL*> {
  VARIANT_BOOL* value = nullptr;
  bool Set(const VARIANT& v) {
    if (v.vt != (VT_BYREF | VT_BOOL)) return false;
    value = v.pboolVal;
    return true;
  }
  VARIANT_BOOL* Get() const { return value; }
};

template <auto Pfn>
struct Thunk;

template <class C, class R, class... A, R (C::*Pfn)(A...)>
struct Thunk<Pfn> {
  static BOOL Call(CCmdTarget* pTarget, AFX_EVENT* pEvent) {
    const DISPPARAMS* params = pEvent->m_pDispParams;
    const UINT count = params ? params->cArgs : 0;
    if (count != sizeof...(A)) return FALSE;
    std::tuple<Arg<std::remove_cv_t<std::remove_reference_t<A>>>...> args;
    if (!SetAll(args, params, std::index_sequence_for<A...>{})) {
      pEvent->m_hResult = DISP_E_TYPEMISMATCH;
      return FALSE;
    }
    pEvent->m_hResult = S_OK;
    return Invoke(static_cast<C*>(pTarget), args, std::index_sequence_for<A...>{});
  }

 private:
  template <class Tuple, std::size_t... I>
  static bool SetAll(Tuple& args, const DISPPARAMS* params, std::index_sequence<I...>) {
    // Arguments stand in reverse order in rgvarg.
    return (true && ... && std::get<I>(args).Set(params->rgvarg[params->cArgs - 1 - I]));
  }
  template <class Tuple, std::size_t... I>
  static BOOL Invoke(C* p, Tuple& args, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
      (p->*Pfn)(std::get<I>(args).Get()...);
      return TRUE;
    } else {
      return (p->*Pfn)(std::get<I>(args).Get()...) ? TRUE : FALSE;
    }
  }
};

}  // namespace afx_event

#define DECLARE_EVENTSINK_MAP()                             \
 protected:                                                 \
  static const AFX_EVENTSINKMAP* GetThisEventSinkMap();     \
  const AFX_EVENTSINKMAP* GetEventSinkMap() const override; \
                                                            \
 public:

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                                              \
  const AFX_EVENTSINKMAP* theClass::GetEventSinkMap() const { return GetThisEventSinkMap(); } \
  const AFX_EVENTSINKMAP* theClass::GetThisEventSinkMap() {                                   \
    typedef baseClass TheBaseClass;                                                           \
    static const AFX_EVENTSINKMAP_ENTRY _eventsinkEntries[] = {
#define END_EVENTSINK_MAP()                                                                                 \
  { 0, 0, nullptr, nullptr }                                                                                \
  }                                                                                                         \
  ;                                                                                                         \
  static const AFX_EVENTSINKMAP eventsinkMap = {&TheBaseClass::GetThisEventSinkMap, &_eventsinkEntries[0]}; \
  return &eventsinkMap;                                                                                     \
  }

// void OnXxx(params...) or BOOL OnXxx(params...) for event dispid of the
// control with child identifier id.
#define ON_EVENT(theClass, id, dispid, pfnHandler, vtsParams) \
  {static_cast<UINT>(id), static_cast<DISPID>(dispid), vtsParams, &afx_event::Thunk<&theClass::pfnHandler>::Call},
