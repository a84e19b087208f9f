// The test setup's registration of AniPic.dll in the test prefix: regsvr32
// run on the DLL beside the test program (idempotent; it stays registered
// for every later test of the prefix). And a process-local stand-in that
// makes the component look absent: a class object registered for its class
// id whose creation fails as for an unregistered class.
#pragma once

#include <string>

#include "afx/afx_port.h"

#include <ole2.h>

#include "base/win_owners.h"
#include "support/anipic/animated_picture.h"
#include "tests/testkit/testkit.h"

namespace anipic_test {

// Runs "regsvr32 /s [/u] AniPic.dll"; its exit code (-1 when it did not run
// or took longer than 60 s).
inline int RunRegsvr32(bool unregister) {
  std::string command =
      std::string("regsvr32.exe /s ") + (unregister ? "/u " : "") + "\"" + testkit::TestBinaryPath("AniPic.dll") + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return -1;
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

// A class object whose creation fails with REGDB_E_CLASSNOTREG.
class AbsentFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    if (out) *out = nullptr;
    ++attempts;
    return REGDB_E_CLASSNOTREG;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  int attempts = 0;
};

// While alive, the component is absent for this process.
class ComponentAbsent {
 public:
  ComponentAbsent() {
    CoRegisterClassObject(CLSID_AnimatedPicture, &m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
  }
  ComponentAbsent(const ComponentAbsent&) = delete;
  ComponentAbsent& operator=(const ComponentAbsent&) = delete;
  ~ComponentAbsent() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
  }
  int attempts() const { return m_factory.attempts; }

 private:
  AbsentFactory m_factory;
  DWORD m_cookie = 0;
};

}  // namespace anipic_test
