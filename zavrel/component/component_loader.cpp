#include "zavrel/component/component_loader.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "base/win_owners.h"

namespace {

// A module of the table; freed when the table goes at unload.
struct ModuleEntry {
  UniqueModule module;
  std::string strName;  // the name it was loaded under; empty until loaded
};

// Module file name -> entry. Made on first use, destroyed when Zavrel unloads.
std::unordered_map<std::string, std::unique_ptr<ModuleEntry>>& ModuleTable() {
  static std::unordered_map<std::string, std::unique_ptr<ModuleEntry>> table;
  return table;
}

// Failure texts handed to catchers. Each distinct text is kept once until
// Zavrel unloads, so a thrown pointer outlives the loader that threw it.
char* KeepMessage(const CString& text) {
  static std::mutex lock;
  static std::unordered_map<std::string, std::unique_ptr<char[]>> kept;
  std::lock_guard<std::mutex> guard(lock);
  std::unique_ptr<char[]>& slot = kept[text.str()];
  if (!slot) {
    slot.reset(new char[text.str().size() + 1]);
    text.str().copy(slot.get(), text.str().size());
    slot[text.str().size()] = '\0';
  }
  return slot.get();
}

// The message thrown when memory runs out: the load failure with the
// system's out-of-memory code, written into a buffer that exists from the
// start, since nothing can be allocated for it.
char* OutOfMemoryMessage(const std::string& module) {
  static char text[512];
  std::snprintf(text, sizeof(text), "%s 加载失败，错误代码：%ld ！", module.c_str(),
                static_cast<long>(ERROR_NOT_ENOUGH_MEMORY));
  return text;
}

}  // namespace

CComponentLoader::CComponentLoader(const IID& iid, DWORD dwInterfaceVer, const std::string& strModuleFile,
                                   const std::string& strCreateProc)
    : m_strCreateProc(strCreateProc), m_strModuleFile(strModuleFile), m_pIID(&iid), m_dwInterfaceVer(dwInterfaceVer) {
  // Out of memory the module gets no entry, and Create reports that it
  // cannot be loaded.
  try {
    std::unique_ptr<ModuleEntry>& entry = ModuleTable()[m_strModuleFile];
    if (!entry) entry = std::make_unique<ModuleEntry>();
  } catch (const std::bad_alloc&) {
  }
}

CComponentLoader::~CComponentLoader() {
  if (m_pInterface) {
    m_pInterface->Release();
    m_pInterface = nullptr;
  }
}

void CComponentLoader::Fail() { throw KeepMessage(m_strLastError); }

bool CComponentLoader::Create() {
  // Only the failure message leaves: running out of memory is reported as
  // a load failure with the system's out-of-memory code.
  try {
    return CreateComponent();
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryMessage(m_strModuleFile);
  }
}

bool CComponentLoader::CreateComponent() {
  if (m_pInterface) {
    m_pInterface->Release();
    m_pInterface = nullptr;
  }

  auto& table = ModuleTable();
  auto found = table.find(m_strModuleFile);
  if (found == table.end() || !found->second) {
    m_strLastError.Format("%s 加载失败，错误代码：%ld ！", m_strModuleFile.c_str(), static_cast<long>(GetLastError()));
    Fail();
  }
  ModuleEntry& entry = *found->second;

  if (!entry.module) {
    entry.module.reset(LoadLibraryA(m_strModuleFile.c_str()));
    if (entry.module) entry.strName = m_strModuleFile;
  }
  if (!entry.module) {
    m_strLastError.Format("%s 加载失败，错误代码：%ld ！", m_strModuleFile.c_str(), static_cast<long>(GetLastError()));
    Fail();
  }

  auto proc = reinterpret_cast<ComponentCreateProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(entry.module.get(), m_strCreateProc.c_str())));
  if (!proc) {
    m_strLastError.Format("%s 组件创建函数 %s 不存在，错误代码：%u ！", entry.strName.c_str(), m_strCreateProc.c_str(),
                          static_cast<unsigned>(GetLastError()));
    Fail();
  }

  m_pInterface = static_cast<IUnknownEx*>(proc(m_pIID, m_dwInterfaceVer));
  if (!m_pInterface) {
    m_strLastError.Format("%s 组件创建函数 %s 创建组件失败 ！", entry.strName.c_str(), m_strCreateProc.c_str());
    Fail();
  }
  return true;
}
