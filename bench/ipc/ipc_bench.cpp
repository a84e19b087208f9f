// Records per second from the hall to a game process:
//   ours: CChannelService -> CChannelService (queued, handed on to a sink),
//   peer: raw SendMessage(WM_COPYDATA) of the same bytes to a window whose
//         handler does nothing.
// Prints: BENCH ipc_channel ours=<rec/s> peer=<rec/s> ratio=<ours/peer>
//
//   ipc_bench [records]              the hall: runs both, prints the line
//   ipc_bench game <hall> <control> <records>
//   ipc_bench raw <control> <records>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "afx/afxwin.h"
#include "base/message_pump.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/ipc/channel_service.h"
#include "zavrel/ipc/ipc_record.h"

namespace {

constexpr UINT WM_BENCH_READY = WM_APP + 1;  // lParam: the receiver's window
constexpr UINT WM_BENCH_DONE = WM_APP + 2;   // lParam: records received
constexpr WORD kBodySize = 1024;
const RECT kZero = {0, 0, 0, 0};

HWND ParseHandle(const char* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 10)));
}
std::string HandleText(HWND h) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
}

double Seconds() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The hall's window for the receivers' notifications.
class ControlWnd : public CWnd {
 public:
  HWND receiver = nullptr;
  LPARAM done = -1;

 protected:
  afx_msg LRESULT OnReady(WPARAM, LPARAM lParam) {
    receiver = reinterpret_cast<HWND>(lParam);
    return 0;
  }
  afx_msg LRESULT OnDone(WPARAM, LPARAM lParam) {
    done = lParam;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ControlWnd, CWnd)
ON_MESSAGE(WM_BENCH_READY, OnReady)
ON_MESSAGE(WM_BENCH_DONE, OnDone)
END_MESSAGE_MAP()

// A child process, ended and closed when the owner goes.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!m_h) return;
    if (WaitForSingleObject(m_h, 5000) != WAIT_OBJECT_0) TerminateProcess(m_h, 1);
    CloseHandle(m_h);
  }
  bool Start(std::string line) {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    m_h = pi.hProcess;
    return true;
  }

 private:
  HANDLE m_h = nullptr;
};

std::string SelfPath() {
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof(path));
  return path;
}

// --- the game ends -----------------------------------------------------------

class CountingSink : public IChannelMessageSink {
 public:
  unsigned long count = 0;
  unsigned long target = 0;
  HWND control = nullptr;
  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {{&IID_IChannelMessageSink, static_cast<IChannelMessageSink*>(this)},
                                    {&IID_IUnknownEx, static_cast<IChannelMessageSink*>(this)}};
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }
  bool OnChannelMessage(const IPC_Head*, const void*, WORD, HWND) override {
    if (++count == target) ::PostMessageA(control, WM_BENCH_DONE, 0, static_cast<LPARAM>(count));
    return true;
  }
};

int RunGame(HWND hall, HWND control, unsigned long records) {
  CountingSink sink;
  sink.target = records;
  sink.control = control;
  auto* channel = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
  if (!channel) return 2;
  channel->SetChannelMessageSink(&sink);
  channel->Connect(hall);
  PostMessageA(control, WM_BENCH_READY, 0,
               reinterpret_cast<LPARAM>(static_cast<CChannelService*>(channel)->GetSafeHwnd()));
  // Until the hall closes the channel (or a minute passes).
  PumpMessagesUntil([&] { return !channel->IsConnect(false) && sink.count > 0; }, 60000);
  channel->Release();
  return 0;
}

// Does nothing with a record but count it.
class RawReceiver : public CWnd {
 public:
  unsigned long count = 0;
  unsigned long target = 0;
  HWND control = nullptr;

 protected:
  afx_msg BOOL OnCopyData(CWnd*, COPYDATASTRUCT*) {
    if (++count == target) ::PostMessageA(control, WM_BENCH_DONE, 0, static_cast<LPARAM>(count));
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(RawReceiver, CWnd)
ON_WM_COPYDATA()
END_MESSAGE_MAP()

int RunRaw(HWND control, unsigned long records) {
  RawReceiver wnd;
  wnd.target = records;
  wnd.control = control;
  if (!wnd.CreateEx(0, nullptr, nullptr, WS_CHILD, kZero, CWnd::GetDesktopWindow(), 10)) return 2;
  PostMessageA(control, WM_BENCH_READY, 0, reinterpret_cast<LPARAM>(wnd.GetSafeHwnd()));
  PumpMessagesUntil([&] { return wnd.count >= wnd.target; }, 60000);
  PumpMessagesUntil([] { return false; }, 200);  // let the hall see the end
  return 0;
}

// --- the hall ----------------------------------------------------------------

double MeasureOurs(unsigned long records) {
  ControlWnd control;
  control.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0);
  auto* hall = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
  hall->Connect(nullptr);
  HWND hallWnd = static_cast<CChannelService*>(hall)->GetSafeHwnd();
  Child game;
  if (!game.Start("\"" + SelfPath() + "\" game " + HandleText(hallWnd) + " " + HandleText(control.GetSafeHwnd()) + " " +
                  std::to_string(records)))
    return 0;
  if (!PumpMessagesUntil([&] { return control.receiver != nullptr; }, 30000)) return 0;
  hall->Connect(control.receiver);
  PumpMessagesUntil([] { return false; }, 100);  // the handshake settles

  std::vector<unsigned char> body(kBodySize, 0x42);
  const double t0 = Seconds();
  for (unsigned long i = 0; i < records; ++i) hall->SendData(1, static_cast<WORD>(i), body.data(), kBodySize);
  const bool ok = PumpMessagesUntil([&] { return control.done >= 0; }, 60000);
  const double t1 = Seconds();
  hall->Release();  // closes the channel: the game ends
  return ok ? records / (t1 - t0) : 0;
}

double MeasurePeer(unsigned long records) {
  ControlWnd control;
  control.CreateEx(0, nullptr, nullptr, WS_POPUP, kZero, nullptr, 0);
  CWnd sender;
  sender.CreateEx(0, nullptr, nullptr, WS_CHILD, kZero, CWnd::GetDesktopWindow(), 10);
  Child raw;
  if (!raw.Start("\"" + SelfPath() + "\" raw " + HandleText(control.GetSafeHwnd()) + " " + std::to_string(records)))
    return 0;
  if (!PumpMessagesUntil([&] { return control.receiver != nullptr; }, 30000)) return 0;

  // The same bytes as a channel record: head and 1 KB body.
  std::vector<unsigned char> record(IPC_BUFFER);
  std::vector<unsigned char> body(kBodySize, 0x42);
  const double t0 = Seconds();
  for (unsigned long i = 0; i < records; ++i) {
    const WORD size = IPCBuildRecord(record.data(), 1, static_cast<WORD>(i), body.data(), kBodySize);
    COPYDATASTRUCT cds = {IPC_IDENTIFIER, size, record.data()};
    SendMessageA(control.receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.GetSafeHwnd()),
                 reinterpret_cast<LPARAM>(&cds));
  }
  const bool ok = PumpMessagesUntil([&] { return control.done >= 0; }, 60000);
  const double t1 = Seconds();
  return ok ? records / (t1 - t0) : 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "game") == 0)
    return RunGame(ParseHandle(argv[2]), ParseHandle(argv[3]), std::strtoul(argv[4], nullptr, 10));
  if (argc == 4 && std::strcmp(argv[1], "raw") == 0)
    return RunRaw(ParseHandle(argv[2]), std::strtoul(argv[3], nullptr, 10));

  const unsigned long records = argc >= 2 ? std::strtoul(argv[1], nullptr, 10) : 3000;
  std::vector<double> ours, peer;
  for (int round = 0; round < 3; ++round) {
    ours.push_back(MeasureOurs(records));
    peer.push_back(MeasurePeer(records));
  }
  const double o = Median(ours), p = Median(peer);
  std::printf("BENCH ipc_channel ours=%.0f peer=%.0f ratio=%.2f\n", o, p, p > 0 ? o / p : 0.0);
  return o > 0 && p > 0 ? 0 : 1;
}
