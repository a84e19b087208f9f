#include "afx/afx_cmd_target.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pfnGetBaseClass ? c->m_pfnGetBaseClass() : nullptr) {
    if (c == pBaseClass) return TRUE;
  }
  return FALSE;
}

CObject* CRuntimeClass::CreateObject() const {
  if (!m_pfnCreateObject) return nullptr;
  try {
    return m_pfnCreateObject();
  } catch (...) {
    return nullptr;
  }
}

CRuntimeClass* CObject::GetThisClass() {
  static CRuntimeClass runtimeClass = {"CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr};
  return &runtimeClass;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage) const {
  if (nMessage == WM_COMMAND || nMessage == WM_NOTIFY) return nullptr;
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->nMessage == nMessage) return e;
    }
  }
  return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  const UINT code32 = static_cast<UINT>(nCode);
  UINT nMsg = HIWORD(code32);
  const WORD code = LOWORD(code32);
  if (nMsg == 0) nMsg = WM_COMMAND;
  if (nMsg != WM_COMMAND && nMsg != WM_NOTIFY) return FALSE;
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->nMessage != nMsg || static_cast<WORD>(e->nCode) != code || nID < e->nID || nID > e->nLastID) continue;
      if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = e;
        return TRUE;
      }
      if (nMsg == WM_NOTIFY) {
        AFX_NOTIFY* notify = static_cast<AFX_NOTIFY*>(pExtra);
        const LRESULT r = e->pfn(this, WM_NOTIFY, nID, reinterpret_cast<LPARAM>(notify ? notify->pNMHDR : nullptr));
        if (notify && notify->pResult) *notify->pResult = r;
      } else {
        e->pfn(this, WM_COMMAND, MAKEWPARAM(nID, code), 0);
      }
      return TRUE;
    }
  }
  return FALSE;
}
