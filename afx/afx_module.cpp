#include "afx/afx_module.h"

#include <cstdint>

#include "base/valid_memory.h"

namespace {

AFX_MODULE_STATE& ModuleState() {
  static AFX_MODULE_STATE state = [] {
    AFX_MODULE_STATE s;
    s.m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
    s.m_hCurrentResourceHandle = s.m_hCurrentInstanceHandle;
    return s;
  }();
  return state;
}

}  // namespace

int CDynLinkLibraryList::GetCount() const {
  int n = 0;
  for (CDynLinkLibrary* p = m_pHead; p; p = p->m_pNextDLL) ++n;
  return n;
}

void CDynLinkLibraryList::AddHead(CDynLinkLibrary* pLibrary) {
  pLibrary->m_pNextDLL = m_pHead;
  m_pHead = pLibrary;
}

bool CDynLinkLibraryList::Remove(CDynLinkLibrary* pLibrary) {
  for (CDynLinkLibrary** link = &m_pHead; *link; link = &(*link)->m_pNextDLL) {
    if (*link == pLibrary) {
      *link = pLibrary->m_pNextDLL;
      pLibrary->m_pNextDLL = nullptr;
      return true;
    }
  }
  return false;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem) {
  ModuleState().m_libraryList.AddHead(this);
}

CDynLinkLibrary::~CDynLinkLibrary() { ModuleState().m_libraryList.Remove(this); }

AFX_MODULE_STATE* AfxGetModuleState() { return &ModuleState(); }

HINSTANCE AfxGetInstanceHandle() { return ModuleState().m_hCurrentInstanceHandle; }

HINSTANCE AfxGetResourceHandle() { return ModuleState().m_hCurrentResourceHandle; }

void AfxSetResourceHandle(HINSTANCE hInstResource) { ModuleState().m_hCurrentResourceHandle = hInstResource; }

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
  if (state.bInitialized) return TRUE;
  if (!hModule) return FALSE;
  state.hModule = hModule;
  state.hResource = hModule;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
  if (!state.bInitialized) return;
  CDynLinkLibraryList& list = ModuleState().m_libraryList;
  CDynLinkLibrary* p = list.GetHead();
  while (p) {
    CDynLinkLibrary* next = p->m_pNextDLL;
    if (bAll || p->m_hModule == state.hModule) delete p;
    p = next;
  }
  state.bInitialized = FALSE;
}

HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType) {
  AFX_MODULE_STATE& s = ModuleState();
  if (s.m_hCurrentResourceHandle && FindResourceA(s.m_hCurrentResourceHandle, lpszName, lpszType))
    return s.m_hCurrentResourceHandle;
  for (CDynLinkLibrary* p = s.m_libraryList.GetHead(); p; p = p->m_pNextDLL) {
    if (p->m_hResource && FindResourceA(p->m_hResource, lpszName, lpszType)) return p->m_hResource;
  }
  return nullptr;
}

BOOL AfxIsValidAddress(const void* lp, UINT_PTR nBytes, BOOL bReadWrite) {
  return base::IsValidMemory(lp, nBytes, bReadWrite != FALSE) ? TRUE : FALSE;
}
