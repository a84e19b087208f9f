#include "zavrel/component/create_functions.h"

#include "zavrel/component/create_component.h"
#include "zavrel/config/game_rank_table.h"
#include "zavrel/ipc/channel_service.h"

void* CreateChannelService(const GUID& Guid, DWORD dwInterfaceVer) {
  return CreateComponentInterface<CChannelService>(Guid, dwInterfaceVer);
}

void* CreateGameRankManager(const GUID& Guid, DWORD dwInterfaceVer) {
  return CreateComponentInterface<CGameRankTable>(Guid, dwInterfaceVer);
}
