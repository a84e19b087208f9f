#include "zavrel/component/create_functions.h"

#include "zavrel/component/create_component.h"

// The channel service and the game rank table are not part of the library
// yet: both creation functions answer null, as for a refused query.
void* CreateChannelService(const GUID&, DWORD) { return nullptr; }

void* CreateGameRankManager(const GUID&, DWORD) { return nullptr; }
