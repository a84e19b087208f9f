// The class factory of the stand-ins' in-process servers. Windows only.
//
// One static object per class: it makes its objects with a function, and
// its references count as server locks (ComServerCounts::locks), so that
// DllCanUnloadNow keeps the module while a client holds the factory. A
// licensed factory also answers IClassFactory2 (no runtime key needed, the
// licence verified); CreateInstanceLic hands the key to the function.
#pragma once

#include <objbase.h>
#include <ocidl.h>

#include "base/com_object.h"
#include "base/com_server.h"

class ComClassFactory final : public IClassFactory2 {
 public:
  // Makes an object and queries it for riid into *ppv (see ComHandOver);
  // licence: null from CreateInstance, the key ("" for none) from
  // CreateInstanceLic. ppv is never null.
  using Create = HRESULT (*)(REFIID riid, void** ppv, const wchar_t* licence);

  ComClassFactory(ComServerCounts& counts, Create create, bool licensed = false)
      : m_counts(counts), m_create(create), m_licensed(licensed) {}
  ComClassFactory(const ComClassFactory&) = delete;
  ComClassFactory& operator=(const ComClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    IClassFactory2* self = this;
    return ComQuery(
        riid, ppv,
        {{&IID_IUnknown, self}, {&IID_IClassFactory, self}, {&IID_IClassFactory2, m_licensed ? self : nullptr}});
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    ++m_counts.locks;
    return 2;  // a static object
  }
  STDMETHODIMP_(ULONG) Release() override {
    --m_counts.locks;
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override {
    return Make(pUnkOuter, riid, ppv, nullptr);
  }
  STDMETHODIMP LockServer(BOOL fLock) override {
    fLock ? ++m_counts.locks : --m_counts.locks;
    return S_OK;
  }
  STDMETHODIMP GetLicInfo(LICINFO* pLicInfo) override {
    if (!pLicInfo) return E_POINTER;
    pLicInfo->fRuntimeKeyAvail = FALSE;
    pLicInfo->fLicVerified = TRUE;
    return S_OK;
  }
  STDMETHODIMP RequestLicKey(DWORD, BSTR* pBstrKey) override {
    if (pBstrKey) *pBstrKey = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP CreateInstanceLic(IUnknown* pUnkOuter, IUnknown*, REFIID riid, BSTR bstrKey, PVOID* ppvObj) override {
    return Make(pUnkOuter, riid, ppvObj, bstrKey ? bstrKey : L"");
  }

 private:
  HRESULT Make(IUnknown* pUnkOuter, REFIID riid, void** ppv, const wchar_t* licence) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    return m_create(riid, ppv, licence);
  }

  ComServerCounts& m_counts;
  Create m_create;
  bool m_licensed;
};

// DllGetClassObject's answer: the factory for the class, queried for riid.
inline HRESULT ComServerClassObject(ComClassFactory* factory, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, ppv);
}
