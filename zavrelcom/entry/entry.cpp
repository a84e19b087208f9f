#include "zavrelcom/entry/entry.h"

#include "afx/afx_module.h"
#include "zavrelcom/chat/message_proxy.h"
#include "zavrelcom/emotion/emotion_dlg.h"
#include "zavrelcom/face/user_face_res.h"
#include "zavrelcom/rank/game_rank_manager.h"
#include "zavrelcom/server/component.h"

namespace {

struct CreatableClass {
  const GUID* clsid;
  HRESULT (*create)(const GUID& iid, void** out);
};

// In the order the class ids are tried.
const CreatableClass kClasses[] = {
    {&CLSID_MessageProxy, &CreateComponent<CMessageProxy>},
    {&CLSID_EmotionDlg, &CreateComponent<CEmotionDlg>},
    {&CLSID_GameRankManager, &CreateComponent<CGameRankManager>},
    {&CLSID_UserFaceRes, &CreateComponent<CUserFaceRes>},
};

}  // namespace

HRESULT STDAPICALLTYPE DllGetClassObject(const GUID& clsid, const GUID& iid, void** out) {
  for (const CreatableClass& c : kClasses) {
    if (SameGuid(*c.clsid, clsid)) return c.create(iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }

HRESULT STDAPICALLTYPE DllRegisterServer() { return E_FAIL; }

HRESULT STDAPICALLTYPE DllUnregisterServer() { return E_FAIL; }

BOOL ZavrelComEntry(AFX_EXTENSION_MODULE& module, HINSTANCE hInstance, DWORD dwReason) {
  if (dwReason == DLL_PROCESS_ATTACH) {
    if (!AfxInitExtensionModule(module, hInstance)) return FALSE;
    // The framework's list owns it; AfxTermExtensionModule deletes it.
    new CDynLinkLibrary(module);
  } else if (dwReason == DLL_PROCESS_DETACH) {
    AfxTermExtensionModule(module);
  }
  return TRUE;
}
