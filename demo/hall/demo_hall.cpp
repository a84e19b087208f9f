// demo_hall: a short hall session on Zavrel.dll, end to end.
//
//   demo_hall.exe LOGIN_PORT [LINGER_MS]
//
// Run from a directory that holds Zavrel.dll, Nuvrell.dll, demo_game.exe
// and the sample data (ServerList.xml, GameHallConfig.xml, AVConfig.xml,
// Config\Urls.ini, GameRank.ini, ddz\GameRank.ini, and the skin pictures
// skin\digits.bmp and skin\coin.bmp that demo-pictures writes). It reads the
// configuration, opens the hall's window (the players' total score in digit
// pictures and a spinning coin), connects to the local hall server on
// LOGIN_PORT, prints the players it announces with their rank titles, prints
// web addresses, talks to the demo game over a channel, survives a drop and
// reconnects. One line per step; exit 0 when every step passed, 1 (with the
// failed step) if not. With LINGER_MS the window stays open that long after
// the session (for a screenshot).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "afx/afx_wnd.h"
#include "demo/common/channel_sinks.h"
#include "demo/hall/browser_page.h"
#include "demo/hall/chat_window.h"
#include "support/tessor/xml_parser.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/config/av_config_xml_handler.h"
#include "zavrel/config/game_hall_config_xml_handler.h"
#include "zavrel/config/game_rank_table.h"
#include "zavrel/config/server_list_xml_handler.h"
#include "zavrel/config/url_factory.h"
#include "zavrel/ipc/channel_service.h"
#include "zavrel/media/number_drawer.h"
#include "zavrel/media/xanimate.h"
#include "zavrel/net/client_service.h"
#include "zavrel/util/file_utility.h"

namespace {

// The hall server's messages (main command 1).
constexpr WORD MDM_HALL = 1;
constexpr WORD SUB_WELCOME = 1;   // text
constexpr WORD SUB_PLAYER = 2;    // "name|game|score"
constexpr WORD SUB_LIST_END = 3;  // no body needed
constexpr WORD SUB_READY = 100;   // hall -> server: the session's work is done

constexpr WORD GAME_DDZ = 2001;  // the game whose ranks live in "ddz\"

int g_step = 0;
int g_failures = 0;

void Step(const char* title) {
  std::printf("\n[%d] %s\n", ++g_step, title);
  std::fflush(stdout);
}

void Line(const std::string& text) {
  std::printf("    %s\n", text.c_str());
  std::fflush(stdout);
}

bool Check(bool ok, const std::string& what) {
  if (!ok) {
    std::printf("    失败：%s\n", what.c_str());
    std::fflush(stdout);
    ++g_failures;
  }
  return ok;
}

// The hall's window: the players' total score drawn with digit pictures and
// a coin spinning on the animation's timer.
class HallWindow : public CWnd, public CxAnimateListener {
 public:
  static constexpr COLORREF kTable = RGB(0, 96, 56);  // the coin picture's background too
  static constexpr COLORREF kDigitKey = RGB(255, 0, 255);
  static constexpr COLORREF kDigitGold = RGB(255, 204, 51);  // demo-pictures draws the digits in it
  static constexpr int kScoreX = 90, kScoreY = 26, kCoinX = 90, kCoinY = 70;

  bool digitsLoaded = false;
  bool coinLoaded = false;
  int coinSteps = 0;

  // Loads the pictures (relative names: beside demo_hall.exe) and shows the
  // window with the coin spinning.
  bool Open() {
    const POINT digitCell = {12, 16};
    digitsLoaded = m_score.LoadNumberImage("skin\\digits.bmp", digitCell, nullptr);
    m_score.SetTransColor(kDigitKey);
    const POINT coinCell = {32, 32};
    coinLoaded = m_coin.Load("skin\\coin.bmp", coinCell, nullptr) && m_coin.GetFrameCount() == 8;
    m_coin.SetListener(this);
    m_coin.SetAnimateID(1);
    m_coin.Loop(true);
    if (!CreateEx(0, nullptr, "演示大厅", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 420, 170, nullptr,
                  nullptr)) {
      return false;
    }
    m_coin.Play(true, 12);
    return true;
  }

  void SetScore(long long score) {
    m_nScore = score;
    m_score.SetNumber(score);
    if (GetSafeHwnd()) Invalidate(FALSE);
  }
  long long Score() const { return m_nScore; }

  void SetStatus(const std::string& text) {
    m_status = text;
    if (GetSafeHwnd()) Invalidate(FALSE);
  }

  // Paints now and counts the pixels of the digits' colour in the score's
  // cells, read back from the window.
  int DigitPixelsShown() {
    if (!GetSafeHwnd()) return 0;
    RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CClientDC dc(this);
    const int width = static_cast<int>(std::to_string(m_nScore).size()) * 12;
    int count = 0;
    for (int y = kScoreY; y < kScoreY + 16; ++y) {
      for (int x = kScoreX; x < kScoreX + width; ++x) count += dc.GetPixel(x, y) == kDigitGold;
    }
    return count;
  }

 protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, kTable);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    // Latin labels: the display of the test machines has no Chinese font.
    dc.TextOut(20, kScoreY, CString("SCORE"));
    m_score.Draw(&dc, kScoreX, kScoreY);
    dc.TextOut(20, kCoinY + 8, CString("COIN"));
    m_coin.Draw(&dc, kCoinX, kCoinY);
    dc.SetTextColor(RGB(200, 230, 210));
    dc.TextOut(20, 114, CString(m_status.c_str()));
  }
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }

  void OnAnimateUpdate(const CRect& rect) override {
    ++coinSteps;
    if (GetSafeHwnd()) InvalidateRect(&rect, FALSE);
  }

  DECLARE_MESSAGE_MAP()

 private:
  CNumberDrawer m_score;
  CxAnimate m_coin;
  long long m_nScore = 0;
  std::string m_status;
};

BEGIN_MESSAGE_MAP(HallWindow, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// The hall's connection to the login server.
class HallService : public CClientService {
 public:
  int connections = 0;
  int drops = 0;
  bool listComplete = false;
  std::vector<std::string> welcomes;
  IGameRankTable* ranks = nullptr;
  HallWindow* window = nullptr;

  bool OnSocketClose(IClientSocket* pIClientSocket, bool bCloseByServer) override {
    ++drops;
    Line("与服务器的连接断开，1 秒后重连");
    return CClientService::OnSocketClose(pIClientSocket, bCloseByServer);
  }

 protected:
  bool OnConnectSucced() override {
    ++connections;
    Line("已连接登录服务器（第 " + std::to_string(connections) + " 次）");
    return true;
  }

  bool OnConnectFailed(LPCSTR pszErrorDesc) override {
    Line(std::string("连接失败：") + (pszErrorDesc ? pszErrorDesc : ""));
    return CClientService::OnConnectFailed(pszErrorDesc);
  }

  bool OnNetMessage(CMD_Command Command, void* pBuffer, WORD wDataSize) override {
    const std::string body(static_cast<const char*>(pBuffer), pBuffer ? wDataSize : 0);
    if (Command.wMainCmdID != MDM_HALL) return false;
    switch (Command.wSubCmdID) {
      case SUB_WELCOME:
        welcomes.push_back(body);
        Line("服务器：" + body);
        return true;
      case SUB_PLAYER:
        ShowPlayer(body);
        return true;
      case SUB_LIST_END:
        listComplete = true;
        return true;
      default:
        return false;
    }
  }

  // The demo reconnects after 1 s instead of 30.
  void StartReconnectTimer() override { CClientService::StartReconnectTimer(1000); }

 private:
  void ShowPlayer(const std::string& body) {
    const std::size_t a = body.find('|');
    const std::size_t b = body.find('|', a == std::string::npos ? a : a + 1);
    if (a == std::string::npos || b == std::string::npos) {
      Line("无法识别的玩家记录：" + body);
      return;
    }
    const std::string name = body.substr(0, a);
    const WORD game = static_cast<WORD>(std::strtoul(body.substr(a + 1, b - a - 1).c_str(), nullptr, 10));
    const long long score = std::strtoll(body.substr(b + 1).c_str(), nullptr, 10);
    const char* title = ranks ? ranks->GetRankTitle(game, score) : nullptr;
    char line[512];
    std::snprintf(line, sizeof(line), "玩家 %-8s 游戏 %-5u 积分 %-11lld 称号 %s", name.c_str(), game, score,
                  title ? title : "（无）");
    Line(line);
    if (window) window->SetScore(window->Score() + score);
  }
};

void ReadConfiguration(const std::string& dir, std::string& loginAddr, WORD loginPort) {
  Step("读取配置文件");
  XMLParser parser;
  CServerList_xmlHandler servers;
  if (Check(parser.parseXMLFile(servers, dir + "ServerList.xml"), "ServerList.xml: " + parser.getLastError())) {
    for (const ServerConfigItem& s : servers.GetLoginAddr())
      Line("登录服务器 " + s.name + " " + s.addr + ":" + std::to_string(s.port));
    for (const ServerConfigItem& s : servers.GetShopAddr())
      Line("商城服务器 " + s.name + " " + s.addr + ":" + std::to_string(s.port));
    for (const ServerConfigItem& s : servers.GetFriendAddr())
      Line("好友服务器 " + s.name + " " + s.addr + ":" + std::to_string(s.port));
    for (const ServerConfigItem& s : servers.GetSecretAddr())
      Line("密钥服务器 " + s.name + " " + s.addr + ":" + std::to_string(s.port));
  }
  if (Check(!servers.GetLoginAddr().empty(), "服务器列表中没有登录服务器")) {
    loginAddr = servers.GetLoginAddr()[0].addr;
    Line("登录服务器端口改为本地服务器的端口 " + std::to_string(loginPort));
  }

  CGameHallConfig_xmlHandler hall;
  if (Check(parser.parseXMLFile(hall, dir + "GameHallConfig.xml"), "GameHallConfig.xml: " + parser.getLastError()))
    Line("代理编号 " + std::to_string(hall.GetAgentID()) + "，标题 " + hall.GetAgentName());

  CAVConfig_xmlHandler av;
  if (Check(parser.parseXMLFile(av, dir + "AVConfig.xml"), "AVConfig.xml: " + parser.getLastError())) {
    char line[256];
    std::snprintf(line, sizeof(line), "音频设备 采集 %d 播放 %d；视频设备 %d", av.audioCaptureDeviceID,
                  av.audioPlayerDeviceID, av.videoCaptureDeviceID);
    Line(line);
    const VideoEncodeSetting* settings[] = {&av.videoConfig, &av.pictureFirst, &av.networkFirst};
    const char* names[] = {"常规", "画质优先", "网络优先"};
    for (int i = 0; i < 3; ++i) {
      std::snprintf(line, sizeof(line), "视频%s：模式 %d 质量 %d 码率 %d 尺寸 %dx%d", names[i],
                    settings[i]->encoderMode, settings[i]->quality, settings[i]->bitrate, settings[i]->outputWidth,
                    settings[i]->outputHeight);
      Line(line);
    }
  }
}

void PrintUrls() {
  Step("生成网址（Config\\Urls.ini）");
  CUrlFactory& urls = CUrlFactory::getSingleton();
  Line("大厅首页   " + std::string(urls.MakeHallIndex()));
  Line("论坛       " + std::string(urls.MakeGameForumUrl()));
  Line("个人主页   " + std::string(urls.MakeIndexUrl(10086, "abc123")));
  Line("游戏介绍   " + std::string(urls.MakeGameIntroUrl(GAME_DDZ)));
  Line("游戏下载   " + std::string(urls.MakeGameDownloadUrl(GAME_DDZ)));
  Line("头像下载   " + std::string(urls.MakeUserFaceDownloadUrl(10086)));
  Line("网银充值   " + std::string(urls.MakeFullMoneyByNetBankUrl(1024)));
  Line("本地广告   " + std::string(urls.MakeLocalBannerAdUrl()));
  for (const auto& item : urls.GetExpressList()) Line("快捷信息   " + item.first + " = " + item.second);
  Check(!std::string(urls.MakeHallIndex()).empty(), "Urls.ini 没有 HallIndex");
}

// Starts the game, connects the two channels and exchanges three records.
void TalkToGame(const std::string& dir) {
  Step("启动演示游戏，建立进程间通道");
  auto* channel = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
  if (!Check(channel != nullptr, "CreateChannelService 返回空")) return;
  DemoChannelSinks sinks;
  bool replied = false, closed = false;
  std::vector<std::string> answers;
  sinks.onConnectReply = [&](HWND) { replied = true; };
  sinks.onClose = [&](HWND) { closed = true; };
  sinks.onRecord = [&](const IPC_Head& head, const char* body, WORD size) {
    if (head.wMainCmdID == DEMO_MAIN_GAME && head.wSubCmdID == DEMO_SUB_REPLY) {
      answers.emplace_back(body ? body : "", size);
      Line("大厅收到游戏的记录：" + answers.back());
    }
  };
  channel->SetChannelEventSink(sinks.Unknown());
  channel->SetChannelMessageSink(sinks.Unknown());

  // The hall's window first: no peer yet, so the request cannot be sent.
  channel->Connect(nullptr);
  HWND hallWnd = static_cast<CChannelService*>(channel)->GetSafeHwnd();
  const std::string windowFile = dir + "demo_game.hwnd";
  DeleteFileA(windowFile.c_str());
  std::string command = "\"" + dir + "demo_game.exe\" " +
                        std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hallWnd))) + " \"" +
                        windowFile + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!Check(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi) != FALSE,
             "无法启动 demo_game.exe")) {
    channel->Release();
    return;
  }
  CloseHandle(pi.hThread);
  Line("游戏进程已启动，大厅通道窗口 " + std::to_string(reinterpret_cast<UINT_PTR>(hallWnd)));

  HWND gameWnd = nullptr;
  PumpMessagesUntil(
      [&] {
        FILE* f = std::fopen(windowFile.c_str(), "rb");
        if (!f) return false;
        unsigned long long value = 0;
        const bool ok = std::fscanf(f, "%llu", &value) == 1;
        std::fclose(f);
        gameWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
        return ok && IsWindow(gameWnd);
      },
      20000);
  if (Check(gameWnd != nullptr, "游戏没有交出通道窗口")) {
    channel->Connect(gameWnd);
    if (Check(PumpMessagesUntil([&] { return replied; }, 10000), "游戏没有应答连接")) {
      Line("通道已连接（游戏已应答）");
      const char* moves[] = {"出牌 红桃A", "出牌 黑桃K", "叫地主 3分"};
      for (const char* move : moves) {
        Line(std::string("大厅发送：") + move);
        channel->SendData(DEMO_MAIN_GAME, DEMO_SUB_PLAY, move, static_cast<WORD>(std::string(move).size()));
      }
      Check(PumpMessagesUntil([&] { return answers.size() == 3; }, 10000), "没有收到游戏的三条回复");
    }
  }
  channel->CloseChannel(true, false);
  Line("大厅关闭通道");
  const bool exited = PumpMessagesUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (!exited) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  Check(exited && code == 0, "游戏进程没有正常结束");
  if (exited && code == 0) Line("游戏进程已结束（退出码 0）");
  channel->Release();
  DeleteFileA(windowFile.c_str());
  (void)closed;
}

}  // namespace

int main(int argc, char** argv) {
  // The browser mode: the browser dialog on the hall's local page.
  if (argc >= 2 && std::strcmp(argv[1], "--browser") == 0 && argc <= 3)
    return RunBrowserPage(FileUtility::GetCurrentWorkingDirectory(),
                          argc == 3 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 3000);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: demo_hall LOGIN_PORT [LINGER_MS]\n       demo_hall --browser [SHOW_MS]\n");
    return 2;
  }
  const WORD port = static_cast<WORD>(std::strtoul(argv[1], nullptr, 10));
  const DWORD lingerMs = argc == 3 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 0;
  const std::string dir = FileUtility::GetCurrentWorkingDirectory();
  std::printf("演示大厅（Zavrel.dll 位于 %s）\n", dir.c_str());

  std::string loginAddr;
  ReadConfiguration(dir, loginAddr, port);
  if (loginAddr.empty()) return 1;

  Step("打开大厅窗口：积分牌与金币动画");
  HallWindow window;
  const bool opened = Check(window.Open(), "无法创建大厅窗口");
  if (Check(window.digitsLoaded, "无法读取数字图片 skin\\digits.bmp"))
    Line("积分牌：数字图片 skin\\digits.bmp，每格 12x16，品红色透明");
  if (Check(window.coinLoaded, "无法把 skin\\coin.bmp 切成 8 帧"))
    Line("金币动画：skin\\coin.bmp 切成 8 帧，每秒 12 帧循环播放");
  window.SetStatus("Connecting to the login server...");

  Step("打开聊天窗口：消息代理、表情图片与表情选择框（ZavrelCom.dll）");
  ChatWindow chat;
  if (Check(chat.Open(dir, 40, 230), "无法打开聊天窗口：" + chat.Error())) {
    Line("聊天窗口写入系统公告、玩家发言、私聊、喇叭与时间，嵌入对象 " + std::to_string(chat.ObjectCount()) + " 个");
    if (Check(chat.PickEmoticon(3), "表情选择框没有把表情代码放进输入框")) {
      Line("选中表情：输入框为 " + chat.InputText());
    }
    chat.Send();
    chat.ShowPicker(5);
  }

  Step("连接登录服务器（自动重连，间隔 1 秒）");
  IGameRankTable* ranks =
      static_cast<IGameRankTable*>(CreateGameRankManager(IID_IGameRankTable, ZAVREL_INTERFACE_VERSION));
  Check(ranks != nullptr, "CreateGameRankManager 返回空");
  if (ranks) ranks->AddGameRank(GAME_DDZ, "ddz");
  HallService* service = nullptr;
  try {
    service = new HallService();
  } catch (char* message) {
    Line(std::string("无法创建网络服务：") + message);
    return 1;
  }
  service->ranks = ranks;
  service->window = &window;
  service->SetServiceName("登录服务");
  service->EnableReconnect();
  Check(service->StartService(loginAddr, port), "StartService 失败");

  Step("接收服务器消息，玩家称号来自 GameRank.ini");
  Check(PumpMessagesUntil([&] { return service->listComplete; }, 15000), "15 秒内没有收到玩家列表");

  window.SetStatus("Players received: the score is the sum of theirs");
  PrintUrls();
  TalkToGame(dir);

  Step("服务器有意断开连接，服务自动重连");
  const int before = service->connections;
  if (IClientSocket* socket = service->GetClientSocket()) socket->SendData(MDM_HALL, SUB_READY);
  Check(
      PumpMessagesUntil(
          [&] { return service->drops > 0 && service->connections > before && service->welcomes.size() >= 2; }, 20000),
      "断线后没有重新连接");

  Step("小结");
  Line("连接次数 " + std::to_string(service->connections) + "，断线次数 " + std::to_string(service->drops) +
       "，收到欢迎消息 " + std::to_string(service->welcomes.size()) + " 条");
  window.SetStatus("Session over: reconnected, " + std::to_string(service->connections) + " connections");
  Line("窗口积分 " + std::to_string(window.Score()));
  const int digitPixels = opened ? window.DigitPixelsShown() : 0;
  if (Check(digitPixels > 0, "窗口中看不到积分数字")) Line("窗口中的积分数字已画出");
  if (Check(window.coinSteps > 0, "金币动画没有走动")) Line("金币动画在走动");
  service->DisableReconnect();
  service->StopService();
  service->Release();
  if (ranks) ranks->Release();
  if (lingerMs && opened) {
    Line("窗口保持 " + std::to_string(lingerMs) + " 毫秒");
    PumpMessagesUntil([] { return false; }, lingerMs);
  }
  window.DestroyWindow();
  if (g_failures) {
    std::printf("\n演示失败：%d 项检查没有通过\n", g_failures);
    return 1;
  }
  std::printf("\n演示完成：全部步骤成功\n");
  return 0;
}
