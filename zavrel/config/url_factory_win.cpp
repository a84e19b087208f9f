// The parts of CUrlFactory that need Windows: the instance beside Zavrel.dll
// and the shell.
#include "zavrel/config/url_factory.h"

#include <shellapi.h>

#include "zavrel/util/file_utility.h"

CUrlFactory& CUrlFactory::getSingleton() {
  static CUrlFactory instance;
  return instance;
}

CUrlFactory* CUrlFactory::getSingletonPtr() { return &getSingleton(); }

CUrlFactory::CUrlFactory() : CUrlFactory(FileUtility::GetCurrentWorkingDirectory()) {}

void CUrlFactory::OpenURL(const CString& strUrl) {
  ShellExecuteA(nullptr, nullptr, strUrl.GetString(), nullptr, nullptr, SW_SHOWNORMAL);
}
