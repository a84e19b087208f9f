// demo_game: the game program that the demo hall starts.
//
//   demo_game.exe HALL_WINDOW WINDOW_FILE
//
// Makes its channel, asks the hall's channel window to connect, hands its own
// channel window to the hall through WINDOW_FILE, then answers every move the
// hall sends until the hall closes the channel (or 30 s pass).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo/common/channel_sinks.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/ipc/channel_service.h"

namespace {

void Say(const char* format, const std::string& text = std::string()) {
  std::printf("    [游戏] ");
  std::printf(format, text.c_str());
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_game HALL_WINDOW WINDOW_FILE\n");
    return 2;
  }
  HWND hall = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[1], nullptr, 10)));
  if (!IsWindow(hall)) {
    Say("大厅的通道窗口无效");
    return 1;
  }

  auto* channel = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
  if (!channel) {
    Say("创建通道失败");
    return 1;
  }
  DemoChannelSinks sinks;
  bool closed = false;
  int moves = 0;
  sinks.onConnect = [&](HWND) { Say("大厅请求连接，已应答"); };
  sinks.onClose = [&](HWND) {
    Say("大厅关闭了通道");
    closed = true;
  };
  sinks.onRecord = [&](const IPC_Head& head, const char* body, WORD size) {
    if (head.wMainCmdID != DEMO_MAIN_GAME || head.wSubCmdID != DEMO_SUB_PLAY) return;
    const std::string move(body ? body : "", size);
    ++moves;
    Say("收到大厅的记录：%s", move);
    const std::string answer = "已收到第" + std::to_string(moves) + "步：" + move;
    channel->SendData(DEMO_MAIN_GAME, DEMO_SUB_REPLY, answer.data(), static_cast<WORD>(answer.size()));
  };
  channel->SetChannelEventSink(sinks.Unknown());
  channel->SetChannelMessageSink(sinks.Unknown());

  // The hall drops this first request (the game is not its peer yet); what
  // matters is that the channel window exists and its peer is the hall.
  channel->Connect(hall);
  HWND own = static_cast<CChannelService*>(channel)->GetSafeHwnd();
  FILE* f = std::fopen(argv[2], "wb");
  if (!own || !f) {
    Say("无法交出通道窗口");
    if (f) std::fclose(f);
    channel->Release();
    return 1;
  }
  std::fprintf(f, "%llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(own)));
  std::fclose(f);
  Say("通道窗口已就绪");

  const bool ended = PumpMessagesUntil([&] { return closed; }, 30000);
  channel->Release();
  if (!ended) {
    Say("30 秒内大厅没有关闭通道");
    return 1;
  }
  return 0;
}
