#include "support/ormlace/skin_message_box.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

SkinMessageBoxHook g_pfnHook = nullptr;
void* g_pHookContext = nullptr;

// The boxes of this thread that close by themselves, innermost last.
struct AutoClose {
  UINT_PTR timer;
  std::string caption;
  int answer;  // the default button's identifier
  bool fired;
};
thread_local std::vector<AutoClose*> t_autoClose;

struct FindBox {
  const char* caption;
  HWND found;
};

BOOL CALLBACK FindBoxWindow(HWND hWnd, LPARAM lParam) {
  auto* find = reinterpret_cast<FindBox*>(lParam);
  char className[16] = {};
  char caption[512] = {};
  GetClassNameA(hWnd, className, sizeof(className));
  GetWindowTextA(hWnd, caption, sizeof(caption));
  if (std::strcmp(className, "#32770") == 0 && std::strcmp(caption, find->caption) == 0 && IsWindowVisible(hWnd)) {
    find->found = hWnd;
    return FALSE;
  }
  return TRUE;
}

// Presses the default button of the innermost box whose timer this is.
void CALLBACK AutoCloseTimer(HWND, UINT, UINT_PTR idEvent, DWORD) {
  for (auto it = t_autoClose.rbegin(); it != t_autoClose.rend(); ++it) {
    AutoClose* box = *it;
    if (box->timer != idEvent) continue;
    FindBox find{box->caption.c_str(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindBoxWindow, reinterpret_cast<LPARAM>(&find));
    if (!find.found) return;  // not shown yet: try again on the next tick
    KillTimer(nullptr, box->timer);
    box->fired = true;
    PostMessageA(find.found, WM_COMMAND, MAKEWPARAM(box->answer, BN_CLICKED), 0);
    return;
  }
}

}  // namespace

extern "C" {

int SkinMessageBoxDefaultAnswer(UINT uType) {
  static const int kOk[] = {IDOK};
  static const int kOkCancel[] = {IDOK, IDCANCEL};
  static const int kAbortRetryIgnore[] = {IDABORT, IDRETRY, IDIGNORE};
  static const int kYesNoCancel[] = {IDYES, IDNO, IDCANCEL};
  static const int kYesNo[] = {IDYES, IDNO};
  static const int kRetryCancel[] = {IDRETRY, IDCANCEL};
  static const int kCancelTryContinue[] = {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
  const int* buttons = kOk;
  int count = 1;
  switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL:
      buttons = kOkCancel, count = 2;
      break;
    case MB_ABORTRETRYIGNORE:
      buttons = kAbortRetryIgnore, count = 3;
      break;
    case MB_YESNOCANCEL:
      buttons = kYesNoCancel, count = 3;
      break;
    case MB_YESNO:
      buttons = kYesNo, count = 2;
      break;
    case MB_RETRYCANCEL:
      buttons = kRetryCancel, count = 2;
      break;
    case MB_CANCELTRYCONTINUE:
      buttons = kCancelTryContinue, count = 3;
      break;
    default:
      break;
  }
  int index = 0;
  switch (uType & MB_DEFMASK) {
    case MB_DEFBUTTON2:
      index = 1;
      break;
    case MB_DEFBUTTON3:
      index = 2;
      break;
    default:
      break;
  }
  return buttons[index < count ? index : 0];
}

int ShowSkinMessageBox(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType, int nAutoCloseSeconds) {
  const char* text = pszText ? pszText : "";
  const char* caption = pszCaption ? pszCaption : "";
  if (g_pfnHook) return g_pfnHook(g_pHookContext, hOwner, text, caption, uType, nAutoCloseSeconds);
  if (hOwner && !IsWindow(hOwner)) hOwner = nullptr;

  AutoClose autoClose{0, caption, SkinMessageBoxDefaultAnswer(uType), false};
  if (nAutoCloseSeconds > 0) {
    // A box not up yet when the timer fires is looked for again on its next tick.
    autoClose.timer = SetTimer(nullptr, 0, nAutoCloseSeconds * 1000U, AutoCloseTimer);
    if (autoClose.timer) t_autoClose.push_back(&autoClose);
  }
  const int result = MessageBoxA(hOwner, text, caption, uType);
  if (autoClose.timer) {
    if (!autoClose.fired) KillTimer(nullptr, autoClose.timer);
    for (auto it = t_autoClose.begin(); it != t_autoClose.end(); ++it) {
      if (*it == &autoClose) {
        t_autoClose.erase(it);
        break;
      }
    }
  }
  return result;
}

void SetSkinMessageBoxHook(SkinMessageBoxHook pfnHook, void* pContext) {
  g_pfnHook = pfnHook;
  g_pHookContext = pfnHook ? pContext : nullptr;
}

SkinMessageBoxHook GetSkinMessageBoxHook(void** ppContext) {
  if (ppContext) *ppContext = g_pHookContext;
  return g_pfnHook;
}

}  // extern "C"
