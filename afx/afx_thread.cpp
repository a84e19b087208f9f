#include "afx/afx_thread.h"

#include <map>
#include <mutex>

#include "afx/afx_gdi.h"
#include "afx/afx_module.h"
#include "afx/afx_wnd.h"

namespace {

// Thread id -> current thread object, and the application object.
struct ThreadRegistry {
  std::mutex lock;
  std::map<DWORD, CWinThread*> threads;
  CWinApp* app = nullptr;
};

ThreadRegistry& Registry() {
  static ThreadRegistry registry;
  return registry;
}

}  // namespace

CWinThread::CWinThread()
    : m_pMainWnd(nullptr), m_pActiveWnd(nullptr), m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE) {}

CWinThread::~CWinThread() {
  ThreadRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (auto it = r.threads.begin(); it != r.threads.end();) {
    if (it->second == this)
      it = r.threads.erase(it);
    else
      ++it;
  }
}

void CWinThread::BindToCurrentThread() {
  m_nThreadID = GetCurrentThreadId();
  m_hThread = GetCurrentThread();
  ThreadRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.threads[m_nThreadID] = this;
}

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }

BOOL CWinThread::InitInstance() { return TRUE; }

int CWinThread::ExitInstance() { return m_nExitCode; }

int CWinThread::Run() {
  for (;;) {
    MSG msg;
    LONG lIdleCount = 0;
    while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(lIdleCount++)) {
    }
    if (!PumpMessage()) return ExitInstance();
  }
}

BOOL CWinThread::PumpMessage() {
  MSG msg;
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0) {
    m_nExitCode = static_cast<int>(msg.wParam);
    return FALSE;
  }
  if (got == -1) return FALSE;
  if (!PreTranslateMessage(&msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return TRUE;
}

BOOL CWinThread::OnIdle(LONG lCount) {
  if (lCount == 0) {
    CWnd::DeleteTempMap();
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
  }
  return FALSE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
  if (!pMsg) return FALSE;
  for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = GetParent(hWnd)) {
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd && pWnd->PreTranslateMessage(pMsg)) return TRUE;
  }
  return FALSE;
}

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName), m_hInstance(AfxGetInstanceHandle()) {
  BindToCurrentThread();
  ThreadRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.app = this;
}

CWinApp::~CWinApp() {
  ThreadRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  if (r.app == this) r.app = nullptr;
}

CWinThread* AfxGetThread() {
  ThreadRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.threads.find(GetCurrentThreadId());
  return it == r.threads.end() ? nullptr : it->second;
}

CWinApp* AfxGetApp() {
  ThreadRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.app;
}

CWnd* AfxGetMainWnd() {
  CWinThread* pThread = AfxGetThread();
  return pThread ? pThread->GetMainWnd() : nullptr;
}
