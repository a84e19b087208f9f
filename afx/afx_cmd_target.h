// CObject, CCmdTarget and message maps (MFC's names). Windows only.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() in its body
// and defines its table with BEGIN_MESSAGE_MAP(Class, Base) ... entries ...
// END_MESSAGE_MAP(); each table chains to its base class's table, so a
// message not handled by a class goes to its base, and finally to the window
// procedure the window had before (CWnd::DefWindowProc).
//
// Each entry holds a small type-checked thunk made by the entry macro (ON_*)
// that calls the named handler (OnXxx) of the class with the message's
// arguments unpacked; no member-function pointer is ever cast. A handler
// that wants the default processing as well calls the base class's handler
// (CWnd::OnXxx), which passes the current message to Default().
#pragma once

#include "afx/afx_port.h"

#ifndef _WIN32
#error "afx_cmd_target.h is part of the Windows build only"
#endif

// Marks message handlers in class bodies (expands to nothing, as in MFC).
#ifndef afx_msg
#define afx_msg
#endif

class CCmdTarget;
// ActiveX control events (afx_olecontrol.h).
struct AFX_EVENT;
struct AFX_EVENTSINKMAP;

// Calls one handler of pTarget (the class that declared the entry) with the
// message's parameters and returns the message result.
typedef LRESULT (*AFX_PMSG_THUNK)(CCmdTarget* pTarget, UINT nMessage, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;       // window message; WM_COMMAND / WM_NOTIFY for command entries
  UINT nCode;          // notification code (commands and notifications), else 0
  UINT nID;            // first control identifier (commands and notifications)
  UINT nLastID;        // last control identifier of the range
  AFX_PMSG_THUNK pfn;  // null ends the table
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root table
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const AFX_MSGMAP* GetThisMessageMap();     \
  const AFX_MSGMAP* GetMessageMap() const override; \
                                                    \
 public:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    typedef theClass ThisClass;                                                     \
    typedef baseClass TheBaseClass;                                                 \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, 0, nullptr }                                                                       \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

// The thunk of an entry: p is the target, already of ThisClass.
#define AFX_MSG_THUNK(body)                                                         \
  [](CCmdTarget* pTarget, UINT nMessage, WPARAM wParam, LPARAM lParam) -> LRESULT { \
    ThisClass* p = static_cast<ThisClass*>(pTarget);                                \
    (void)p;                                                                        \
    (void)nMessage;                                                                 \
    (void)wParam;                                                                   \
    (void)lParam;                                                                   \
    body                                                                            \
  }

// LRESULT OnXxx(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                                         \
  { static_cast<UINT>(message), 0, 0, 0, AFX_MSG_THUNK(return p->memberFxn(wParam, lParam);) } \
  ,

// void OnXxx() for WM_COMMAND from menu/accelerator/control id
#define ON_COMMAND(id, memberFxn)                                                                           \
  { WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), AFX_MSG_THUNK(p->memberFxn(); return 0;) } \
  ,
// void OnXxx(UINT nID) for a range of ids
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                   \
  {                                                                               \
    WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast),              \
        AFX_MSG_THUNK(p->memberFxn(static_cast<UINT>(LOWORD(wParam))); return 0;) \
  }                                                                               \
  ,
// void OnXxx() for a control notification sent through WM_COMMAND
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                \
  {                                                                                           \
    WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), \
        AFX_MSG_THUNK(p->memberFxn(); return 0;)                                              \
  }                                                                                           \
  ,
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
// void OnXxx(NMHDR* pNotifyStruct, LRESULT* pResult)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                                      \
  {                                                                                                                \
    WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id),                       \
        AFX_MSG_THUNK(LRESULT result = 0; p->memberFxn(reinterpret_cast<NMHDR*>(lParam), &result); return result;) \
  }                                                                                                                \
  ,

// int OnCreate(LPCREATESTRUCTA)
#define ON_WM_CREATE()                                                                                      \
  {                                                                                                         \
    WM_CREATE, 0, 0, 0,                                                                                     \
        AFX_MSG_THUNK(return static_cast<LRESULT>(p->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam)));) \
  }                                                                                                         \
  ,
// void OnDestroy()
#define ON_WM_DESTROY()                                             \
  { WM_DESTROY, 0, 0, 0, AFX_MSG_THUNK(p->OnDestroy(); return 0;) } \
  ,
// void OnNcDestroy(); an override must call CWnd::OnNcDestroy()
#define ON_WM_NCDESTROY()                                               \
  { WM_NCDESTROY, 0, 0, 0, AFX_MSG_THUNK(p->OnNcDestroy(); return 0;) } \
  ,
// void OnClose()
#define ON_WM_CLOSE()                                           \
  { WM_CLOSE, 0, 0, 0, AFX_MSG_THUNK(p->OnClose(); return 0;) } \
  ,
// void OnPaint()
#define ON_WM_PAINT()                                           \
  { WM_PAINT, 0, 0, 0, AFX_MSG_THUNK(p->OnPaint(); return 0;) } \
  ,
// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                        \
  { WM_TIMER, 0, 0, 0, AFX_MSG_THUNK(p->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;) } \
  ,
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE()                                                                           \
  {                                                                                            \
    WM_SIZE, 0, 0, 0,                                                                          \
        AFX_MSG_THUNK(p->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), \
                                static_cast<short>(HIWORD(lParam)));                           \
                      return 0;)                                                               \
  }                                                                                            \
  ,
// void OnShowWindow(BOOL bShow, UINT nStatus)
#define ON_WM_SHOWWINDOW()                                                                              \
  {                                                                                                     \
    WM_SHOWWINDOW, 0, 0, 0,                                                                             \
        AFX_MSG_THUNK(p->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); return 0;) \
  }                                                                                                     \
  ,
// BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct); pWnd is the
// sending window (wParam) as a CWnd, or null when it is not a window.
#define ON_WM_COPYDATA()                                                                                          \
  {                                                                                                               \
    WM_COPYDATA, 0, 0, 0,                                                                                         \
        AFX_MSG_THUNK(return static_cast<LRESULT>(p->OnCopyData(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), \
                                                                reinterpret_cast<COPYDATASTRUCT*>(lParam)));)     \
  }                                                                                                               \
  ,

// BOOL OnEraseBkgnd(CDC* pDC); pDC is a temporary object (afx_gdi.h)
#define ON_WM_ERASEBKGND()                                                                                           \
  {                                                                                                                  \
    WM_ERASEBKGND, 0, 0, 0,                                                                                          \
        AFX_MSG_THUNK(return static_cast<LRESULT>(p->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))));) \
  }                                                                                                                  \
  ,
// void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct): an owner
// drawn item of a child that did not draw it itself (see OnChildNotify)
#define ON_WM_DRAWITEM()                                                                                   \
  {                                                                                                        \
    WM_DRAWITEM, 0, 0, 0,                                                                                  \
        AFX_MSG_THUNK(p->OnDrawItem(static_cast<int>(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); \
                      return TRUE;)                                                                        \
  }                                                                                                        \
  ,

// Run-time class information: a class that declares DECLARE_DYNAMIC(Class)
// in its body and IMPLEMENT_DYNAMIC(Class, Base) in one source file answers
// its name, its size and its base class, so that IsKindOf can test an
// object's class at run time. RUNTIME_CLASS(Class) names the record.
// DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE also let the record make objects
// of the class (it needs a default constructor).
class CObject;

struct AFX_API CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  // The base class's record; null for CObject.
  CRuntimeClass* (*m_pfnGetBaseClass)();
  // Makes an object of the class; null when it is not creatable.
  CObject* (*m_pfnCreateObject)();

  // This class is pBaseClass or derives from it (FALSE for null).
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
  // A new object of the class (the caller deletes it); null when the class
  // is not creatable or the allocation fails.
  CObject* CreateObject() const;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)     \
 public:                                \
  static CRuntimeClass* GetThisClass(); \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnCreate)                  \
  CRuntimeClass* class_name::GetThisClass() {                                               \
    static CRuntimeClass runtimeClass = {#class_name, static_cast<int>(sizeof(class_name)), \
                                         &base_class_name::GetThisClass, pfnCreate};        \
    return &runtimeClass;                                                                   \
  }                                                                                         \
  CRuntimeClass* class_name::GetRuntimeClass() const { return GetThisClass(); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
  CObject* class_name::CreateObject() { return new class_name; } \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)

// The root of the framework's class tree. Not copyable.
class AFX_API CObject {
 public:
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
  virtual ~CObject() = default;

  static CRuntimeClass* GetThisClass();
  virtual CRuntimeClass* GetRuntimeClass() const;
  // The object's class is pClass or derives from it.
  BOOL IsKindOf(const CRuntimeClass* pClass) const;

 protected:
  CObject() = default;
};

// Extra data of a WM_NOTIFY command routed through OnCmdMsg.
struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

// Filled by OnCmdMsg instead of calling, when the caller asks who handles.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
  const AFX_MSGMAP_ENTRY* pEntry;
};

// Command codes of OnCmdMsg: a WM_COMMAND notification code as it is (0 for
// menus and accelerators), or MAKELONG(code, WM_NOTIFY) for notifications.
#ifndef CN_COMMAND
#define CN_COMMAND 0
#endif

// Objects that receive messages through a message map.
class AFX_API CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;

  // Routes a command to its handler in the message map chain: nID is the
  // control or command identifier, nCode as above; pExtra is null for
  // WM_COMMAND and an AFX_NOTIFY* for WM_NOTIFY (its pResult receives the
  // handler's result). With pHandlerInfo, only reports the handler found.
  // TRUE when a handler was found.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);
  // Routes an event of the hosted ActiveX control idCtrl to its handler in
  // the event sink map chain (afx_olecontrol.h). TRUE when a handler took
  // it.
  virtual BOOL OnEvent(UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo);

 protected:
  // The root table (no entries, no base).
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
  // The root event sink map (no entries, no base; afx_olecontrol.h).
  static const AFX_EVENTSINKMAP* GetThisEventSinkMap();
  virtual const AFX_EVENTSINKMAP* GetEventSinkMap() const;

  // The first entry in the chain for a plain window message (not WM_COMMAND
  // or WM_NOTIFY); null when none.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage) const;
};
