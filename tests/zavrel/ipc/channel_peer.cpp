// The peer helper program of the channel tests.
//
//   channel_peer game <hall window> <file>
//     The game end: creates its channel, connects to the hall window, writes
//     its channel window's handle (decimal) to <file>, then answers the
//     hall's instructions (peer_protocol.h) until its channel ends.
//   channel_peer flood <target window> <peer window> <count> <seed>
//     A hostile third process: sends <count> random WM_COPYDATA messages to
//     the target window (random kinds, sizes 0 to 64 KB, random heads, random
//     wParam), none of which is a well-formed record claiming to come from
//     <peer window>.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "afx/afxwin.h"
#include "tests/zavrel/ipc/peer_protocol.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/ipc/channel_service.h"
#include "zavrel/ipc/ipc_send_copy_data.h"

namespace {

HWND ParseHandle(const char* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 10)));
}

class Game : public IChannelEventSink, public IChannelMessageSink {
 public:
  explicit Game(HWND hall) : m_hall(hall) {}

  bool Start() {
    m_channel = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
    if (!m_channel) return false;
    m_channel->SetChannelEventSink(static_cast<IChannelEventSink*>(this));
    m_channel->SetChannelMessageSink(static_cast<IChannelEventSink*>(this));
    // The hall does not know this end yet: the request is dropped there, but
    // the channel window exists and the peer is set.
    m_channel->Connect(m_hall);
    return ChannelWindow() != nullptr;
  }

  HWND ChannelWindow() const { return m_channel ? static_cast<CChannelService*>(m_channel)->GetSafeHwnd() : nullptr; }

  void End() {
    if (m_channel) m_channel->Release();
    m_channel = nullptr;
  }

  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {{&IID_IChannelEventSink, static_cast<IChannelEventSink*>(this)},
                                    {&IID_IChannelMessageSink, static_cast<IChannelMessageSink*>(this)},
                                    {&IID_IUnknownEx, static_cast<IChannelEventSink*>(this)}};
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }

  bool OnChannelConnect(HWND) override { return m_channel->SendData(peer::kReport, peer::kGotConnect); }
  bool OnChannelConnectReply(HWND) override { return m_channel->SendData(peer::kReport, peer::kGotConnectReply); }
  bool OnChannelClose(HWND, bool) override {
    PostQuitMessage(m_closingItself ? 35 : peer::kExitClosedByPeer);
    return true;
  }

  bool OnChannelMessage(const IPC_Head* pHead, const void* pBody, WORD wDataSize, HWND) override {
    if (pHead->wMainCmdID == peer::kInstruct) {
      Execute(pHead->wSubCmdID, pBody, wDataSize);
      return true;
    }
    // Echo: main, sub, then as much of the body as fits.
    std::vector<unsigned char> echo(4 + static_cast<std::size_t>(wDataSize));
    std::memcpy(echo.data(), &pHead->wMainCmdID, 2);
    std::memcpy(echo.data() + 2, &pHead->wSubCmdID, 2);
    if (wDataSize) std::memcpy(echo.data() + 4, pBody, wDataSize);
    const WORD size = static_cast<WORD>(echo.size() > IPC_PACKAGE ? IPC_PACKAGE : echo.size());
    return m_channel->SendData(peer::kReport, peer::kEcho, echo.data(), size);
  }

 private:
  void Execute(WORD what, const void* pBody, WORD wDataSize) {
    switch (what) {
      case peer::kSend: {
        if (wDataSize != sizeof(peer::SendOrder)) return;
        peer::SendOrder order;
        std::memcpy(&order, pBody, sizeof(order));
        std::vector<unsigned char> body(order.bodySize);
        for (unsigned i = 0; i < order.count; ++i) {
          for (unsigned k = 0; k < order.bodySize; ++k) body[k] = peer::BodyByte(i, k);
          m_channel->SendData(order.main, static_cast<WORD>(i), body.data(), order.bodySize);
        }
        break;
      }
      case peer::kClose:
        m_closingItself = true;
        m_channel->CloseChannel(true, true);
        break;
      case peer::kRelease:
        // Inside the channel's own callback: allowed.
        End();
        PostQuitMessage(peer::kExitReleased);
        break;
      case peer::kReconnect:
        m_channel->Connect(m_hall);
        break;
      case peer::kMalformed:
        SendMalformed();
        break;
      case peer::kThirdWindow: {
        CWnd third;
        const RECT rect = {0, 0, 0, 0};
        if (third.CreateEx(0, nullptr, "third", WS_POPUP, rect, nullptr, 0)) {
          CIPCSendCopyData sender(m_hall, third.GetSafeHwnd());
          sender.SendData(7, 99);
        }
        m_channel->SendData(peer::kEndMark, 0);
        break;
      }
      case peer::kBoundary: {
        std::vector<unsigned char> big(IPC_PACKAGE + 1, 0x5A);
        unsigned char results[2];
        results[0] = m_channel->SendData(7, 1, big.data(), IPC_PACKAGE) ? 1 : 0;
        results[1] = m_channel->SendData(7, 2, big.data(), IPC_PACKAGE + 1) ? 1 : 0;
        m_channel->SendData(peer::kReport, peer::kBoundaryResults, results, sizeof(results));
        break;
      }
      default:
        break;
    }
  }

  // Each of these comes from the hall's peer window, so only the record
  // checks stand between it and the hall's sinks.
  void SendMalformed() {
    CIPCSendCopyData raw(m_hall, ChannelWindow());
    std::vector<unsigned char> rec(IPC_BUFFER + 16, 0x11);
    auto head = [&](WORD version, WORD size, WORD main, WORD sub) {
      const IPC_Head h = {version, size, main, sub};
      std::memcpy(rec.data(), &h, sizeof(h));
    };
    head(IPC_VER, 8, 7, 1);
    raw.Send(m_hall, 2, rec.data(), 8);               // wrong kind
    raw.Send(m_hall, 0, rec.data(), 8);               // wrong kind
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 4);  // shorter than a head
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 0);
    raw.Send(m_hall, IPC_IDENTIFIER, nullptr, 0);
    head(2, 8, 7, 2);
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 8);  // version 2
    head(0, 8, 7, 3);
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 8);  // version 0
    head(IPC_VER, 20, 7, 4);
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 24);  // size says 20, cbData 24
    head(IPC_VER, 24, 7, 5);
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 20);  // size says 24, cbData 20
    head(IPC_VER, IPC_BUFFER + 1, 7, 6);
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), IPC_BUFFER + 1);  // body of 40961
    head(IPC_VER, 8, IPC_MAIN_CONTROL, 3);
    raw.Send(m_hall, IPC_IDENTIFIER, rec.data(), 9);  // a close record, one byte too long
    raw.SendData(peer::kEndMark, 0);
  }

  HWND m_hall;
  IChannelService* m_channel = nullptr;
  bool m_closingItself = false;
};

// Nothing ended the game in time: quit, so no process is left behind.
void CALLBACK OnSafetyTimer(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(peer::kExitTimeout); }

int RunGame(int argc, char** argv) {
  if (argc != 4) return peer::kExitBadArguments;
  Game game(ParseHandle(argv[2]));
  if (!game.Start()) return peer::kExitBadArguments;
  // Hand the channel window to the hall (written whole, then renamed).
  const std::string file = argv[3];
  const std::string temp = file + ".tmp";
  if (FILE* f = std::fopen(temp.c_str(), "wb")) {
    std::fprintf(f, "%llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(game.ChannelWindow())));
    std::fclose(f);
    MoveFileExA(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  SetTimer(nullptr, 0, 300000, &OnSafetyTimer);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  game.End();
  return static_cast<int>(msg.wParam);
}

// One flooding thread: count random messages from its own generator.
unsigned long FloodFrom(HWND target, HWND peerWnd, HWND own, unsigned long count, unsigned seed) {
  std::mt19937 rng(seed);
  // Random bytes to take messages from; each message is then given a head.
  std::vector<unsigned char> pool(2 * 65536 + 64);
  for (auto& b : pool) b = static_cast<unsigned char>(rng());
  std::vector<unsigned char> msg(65536 + 8);

  unsigned long sent = 0;
  for (unsigned long i = 0; i < count; ++i) {
    // Sizes 0 to 64 KB, mostly small (as the format's records are).
    const unsigned pick = rng() % 10;
    DWORD size = pick < 5 ? rng() % 65 : pick < 9 ? rng() % 4097 : rng() % 65537;
    std::memcpy(msg.data(), pool.data() + rng() % 65536, size);

    ULONG_PTR kind = IPC_IDENTIFIER;
    const unsigned k = rng() % 8;
    if (k == 0) kind = rng();
    if (k == 1) kind = 2;
    if (k == 2) kind = static_cast<ULONG_PTR>(0x100000001ull);  // 1 in the low 32 bits only
    IPC_Head head = {};
    if (size >= sizeof(head)) {
      std::memcpy(&head, msg.data(), sizeof(head));
      if (rng() % 2) head.wVersion = IPC_VER;
      const unsigned s = rng() % 4;
      if (s == 0) head.wDataSize = static_cast<WORD>(size);
      if (s == 1) head.wDataSize = static_cast<WORD>(size + 1);
      if (rng() % 4 == 0) head.wMainCmdID = IPC_MAIN_CONTROL;
      std::memcpy(msg.data(), &head, sizeof(head));
    }
    HWND from = nullptr;
    switch (rng() % 4) {
      case 0:
        from = own;
        break;
      case 1:
        from = peerWnd;
        break;
      case 2:
        from = reinterpret_cast<HWND>(static_cast<UINT_PTR>(rng()));
        break;
      default:
        break;
    }
    const bool wellFormed = kind == IPC_IDENTIFIER && size >= sizeof(head) && size <= IPC_BUFFER &&
                            head.wVersion == IPC_VER && head.wDataSize == size;
    if (wellFormed && from == peerWnd) {
      // A well-formed record under the peer's handle cannot be told from the
      // peer's own: spoil it, as the hostile sender's records are meant to be
      // refused.
      head.wVersion = 2;
      std::memcpy(msg.data(), &head, sizeof(head));
    }
    COPYDATASTRUCT cds;
    cds.dwData = kind;
    cds.cbData = size;
    cds.lpData = size ? msg.data() : nullptr;
    if (!IsWindow(target)) break;
    SendMessageA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds));
    ++sent;
  }
  return sent;
}

int RunFlood(int argc, char** argv) {
  if (argc != 6) return peer::kExitBadArguments;
  HWND target = ParseHandle(argv[2]);
  HWND peerWnd = ParseHandle(argv[3]);
  const unsigned long count = std::strtoul(argv[4], nullptr, 10);
  const unsigned seed = static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10));

  CWnd own;
  const RECT rect = {0, 0, 0, 0};
  own.CreateEx(0, nullptr, "flood", WS_POPUP, rect, nullptr, 0);
  HWND ownWnd = own.GetSafeHwnd();

  // Several senders at once, so the target always has messages waiting.
  constexpr unsigned kThreads = 4;
  std::vector<std::thread> threads;
  std::vector<unsigned long> sent(kThreads, 0);
  for (unsigned t = 0; t < kThreads; ++t) {
    const unsigned long share = count / kThreads + (t < count % kThreads ? 1 : 0);
    threads.emplace_back([&, t, share] { sent[t] = FloodFrom(target, peerWnd, ownWnd, share, seed + t); });
  }
  unsigned long total = 0;
  for (unsigned t = 0; t < kThreads; ++t) {
    threads[t].join();
    total += sent[t];
  }
  std::printf("flood sent %lu\n", total);
  return total == count ? static_cast<int>(peer::kExitFloodDone) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "game") == 0) return RunGame(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "flood") == 0) return RunFlood(argc, argv);
  return peer::kExitBadArguments;
}
