// Zavrel.dll, linked by name: the network service, the copy-data channel and
// the game rank table.
#include <cstdio>
#include <string>

#include "host_parts.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/component/interface_ids.h"
#include "zavrel/config/game_rank_table.h"
#include "zavrel/ipc/channel_interfaces.h"
#include "zavrel/net/client_service.h"

namespace {

// The host's own service: the library calls these hooks on the UI thread.
class CHallService : public CClientService {
 protected:
  bool OnConnectSucced() override { return true; }
  bool OnNetMessage(CMD_Command, void*, WORD) override { return true; }
};

}  // namespace

int UseZavrel() {
  int failures = 0;
  try {
    CHallService service;  // loads Nuvrell.dll; throws its message when it cannot
    service.SetClassName("CHallService");
    std::printf("service: %s, connected %d\n", service.GetClassName().c_str(), service.IsConnected() ? 1 : 0);
  } catch (const char* message) {
    std::printf("service: %s\n", message);
    ++failures;
  }

  auto* channel = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
  std::printf("channel: %s\n", channel ? "made" : "refused");
  if (channel) {
    channel->Release();
  } else {
    ++failures;
  }

  auto* ranks = static_cast<IGameRankTable*>(CreateGameRankManager(IID_IGameRankTable, ZAVREL_INTERFACE_VERSION));
  std::printf("rank table: %s\n", ranks ? "made" : "refused");
  if (ranks) {
    const char* title = ranks->GetRankTitle(1, 100);  // no GameRank.ini beside Zavrel.dll: no title
    std::printf("rank title: %s\n", title ? title : "(none)");
    ranks->Release();
  } else {
    ++failures;
  }
  return failures;
}
