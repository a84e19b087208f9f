// CWinThread and CWinApp: the thread objects of the framework (MFC's names).
// Windows only.
//
// Each thread may have one current thread object, which AfxGetThread()
// returns on that thread. A host makes the object of its user-interface
// thread by constructing a CWinApp there (usually as a global, as an MFC
// application does): the constructor makes it the current thread object of
// the constructing thread and the application object (AfxGetApp()); its
// destructor undoes both. m_pMainWnd is the thread's main window, which
// AfxGetMainWnd() returns; the framework clears it when that window is
// destroyed. Neither object owns the main window.
#pragma once

#include "afx/afx_cmd_target.h"
#include "afx/afx_port.h"

class CWnd;

class AFX_API CWinThread : public CCmdTarget {
 public:
  CWinThread();
  // Stops being the current thread object of any thread.
  ~CWinThread() override;

  // The thread's main window (not owned; may be null).
  CWnd* m_pMainWnd;
  // The thread's active window (not owned; may be null).
  CWnd* m_pActiveWnd;
  // The thread this object is bound to, as the pseudo handle of
  // GetCurrentThread (meaningful on that thread only; nothing to close);
  // null until bound.
  HANDLE m_hThread;
  DWORD m_nThreadID;
  // Whether the thread's runner deletes the object when the thread ends.
  BOOL m_bAutoDelete;

  virtual CWnd* GetMainWnd();

  // Thread start and end for Run's callers; the defaults do nothing
  // (InitInstance returns TRUE, ExitInstance returns the WM_QUIT code).
  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // The message loop: runs until WM_QUIT, calling OnIdle while the queue is
  // empty, PreTranslateMessage before each message; returns ExitInstance().
  virtual int Run();
  // Takes and dispatches one message; FALSE on WM_QUIT.
  virtual BOOL PumpMessage();
  // Idle work (lCount counts calls since the last message): the calling
  // thread's temporary window, device-context and GDI objects are deleted.
  // TRUE asks for more calls.
  virtual BOOL OnIdle(LONG lCount);
  // Offers the message to the window objects from its target window up to
  // the top; TRUE when one of them handled it.
  virtual BOOL PreTranslateMessage(MSG* pMsg);

 protected:
  // Makes this object the calling thread's current thread object.
  void BindToCurrentThread();

 private:
  int m_nExitCode = 0;
};

class AFX_API CWinApp : public CWinThread {
 public:
  // Becomes the application object and the constructing thread's current
  // thread object. lpszAppName is kept as given (not copied; may be null).
  explicit CWinApp(LPCSTR lpszAppName = nullptr);
  ~CWinApp() override;

  LPCSTR m_pszAppName;
  // The host executable's instance handle.
  HINSTANCE m_hInstance;
};

// The calling thread's current thread object; null when it has none.
AFX_API CWinThread* AfxGetThread();
// The application object; null when none is constructed.
AFX_API CWinApp* AfxGetApp();
// The current thread object's main window (GetMainWnd()); null when there is
// no thread object or no main window.
AFX_API CWnd* AfxGetMainWnd();
