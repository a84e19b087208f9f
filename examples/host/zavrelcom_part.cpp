// ZavrelCom.dll, loaded by name and entered through DllGetClassObject only.
#include <windows.h>

#include <cstdio>

#include "host_parts.h"
#include "zavrelcom/rank/game_rank_manager.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(const GUID&, const GUID&, void**);

}  // namespace

int UseZavrelCom() {
  HMODULE library = LoadLibraryA("ZavrelCom.dll");
  if (!library) {
    std::printf("ZavrelCom.dll: not loaded (error %lu)\n", GetLastError());
    return 1;
  }
  auto getClassObject =
      reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
  int failures = 0;
  IGameRankManager* ranks = nullptr;
  const HRESULT hr = getClassObject
                         ? getClassObject(CLSID_GameRankManager, IID_IGameRankManager, reinterpret_cast<void**>(&ranks))
                         : E_FAIL;
  std::printf("rank manager: 0x%08lX\n", static_cast<unsigned long>(hr));
  if (hr == S_OK && ranks) {
    ranks->LoadRanks("C:\\no such folder");  // a missing file: an empty table
    std::printf("rank for 100: %s\n", ranks->GetRank(100) ? "found" : "(none)");
    ranks->Release();
  } else {
    ++failures;
  }
  FreeLibrary(library);  // after the last component is released
  return failures;
}
