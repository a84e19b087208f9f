#include "zavrel/component/create_functions.h"

#include "zavrel/component/create_component.h"
#include "zavrel/ipc/channel_service.h"

void* CreateChannelService(const GUID& Guid, DWORD dwInterfaceVer) {
  return CreateComponentInterface<CChannelService>(Guid, dwInterfaceVer);
}

// The game rank table is not part of the library yet: its creation function
// answers null, as for a refused query.
void* CreateGameRankManager(const GUID&, DWORD) { return nullptr; }
