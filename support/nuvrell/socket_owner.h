// UniqueSocket: the owner of a Winsock socket (closesocket on destruction),
// on the project's one owner type. Windows only.
#pragma once

#include <winsock2.h>

#include "base/unique_owner.h"

namespace owner_traits {

struct WinsockSocket {
  using Type = SOCKET;
  static Type Empty() noexcept { return INVALID_SOCKET; }
  static void Close(Type s) noexcept { ::closesocket(s); }
};

}  // namespace owner_traits

using UniqueSocket = UniqueOwner<owner_traits::WinsockSocket>;
