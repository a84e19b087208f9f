// UniqueSocket: the owner of a Winsock socket (closesocket on destruction),
// on the project's one owner type. Windows only.
#pragma once

#include <winsock2.h>

#include "base/unique_owner.h"

// INVALID_SOCKET is ~0.
using UniqueSocket = UniqueOwner<CloseWith<SOCKET, ::closesocket, -1>>;
