// The C creation functions exported by Zavrel.dll (unmangled names).
//
// Each makes its component and answers the requested interface at the
// requested version (query rule of query_rule.h), or null. No exception
// leaves them. The caller owns the component and ends it with Release.
#pragma once

#include "afx/afx_port.h"
#include "zavrel/zavrel_api.h"

extern "C" {
// A channel service: IChannelService, IChannelMessageSink, IUnknownEx.
ZAVREL_API void* CreateChannelService(const GUID& Guid, DWORD dwInterfaceVer);
// A game rank table: IGameRankTable, IUnknownEx.
ZAVREL_API void* CreateGameRankManager(const GUID& Guid, DWORD dwInterfaceVer);
}
