// CComponentLoader: obtains a component from another module at run time.
//
// The module is loaded once per process: one process-wide table maps module
// file names to their handles, shared by every loader, and keeps each module
// loaded until Zavrel unloads. Create() throws its failure message as a
// char* pointing to text that lives until Zavrel unloads, so a catcher may
// read it after the loader is gone. Windows only.
#pragma once

#include <string>

#include "afx/afx_string.h"
#include "zavrel/component/unknown_ex.h"
#include "zavrel/zavrel_api.h"

// A creation function exported by a module for the loader: returns the
// requested interface, or null when the module cannot make the component or
// does not offer that interface at that version.
typedef void* (*ComponentCreateProc)(const GUID* pGuid, DWORD dwInterfaceVer);

class ZAVREL_API CComponentLoader {
 public:
  // Stores the four values and makes sure the module table has an entry for
  // the module file name. Loads nothing. piid must outlive the loader.
  CComponentLoader(const IID& iid, DWORD dwInterfaceVer, const std::string& strModuleFile,
                   const std::string& strCreateProc);
  CComponentLoader(const CComponentLoader&) = delete;
  CComponentLoader& operator=(const CComponentLoader&) = delete;
  // Releases the held interface; the module stays loaded.
  ~CComponentLoader();

  // Releases any held interface, then loads the module (once per process),
  // finds the creation function and makes the component. True on success;
  // otherwise throws the failure message (char*), also kept in
  // GetLastErrorMessage() (except when memory runs out: then the first
  // message, with ERROR_NOT_ENOUGH_MEMORY, and nothing else ever leaves):
  //   "%s 加载失败，错误代码：%ld ！"            module file, system error
  //   "%s 组件创建函数 %s 不存在，错误代码：%u ！"  module, function, error
  //   "%s 组件创建函数 %s 创建组件失败 ！"        module, function
  bool Create();

  // The held interface (not owned by the caller), null before Create.
  IUnknownEx* GetInterface() const { return m_pInterface; }
  template <class T>
  T* GetInterface() const {
    return static_cast<T*>(m_pInterface);
  }

  // The text of the last failure, empty when none.
  const CString& GetLastErrorMessage() const { return m_strLastError; }

 private:
  bool CreateComponent();
  [[noreturn]] void Fail();

  std::string m_strCreateProc;
  std::string m_strModuleFile;
  const IID* m_pIID;
  DWORD m_dwInterfaceVer;
  IUnknownEx* m_pInterface = nullptr;
  CString m_strLastError;
};
