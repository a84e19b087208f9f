// The phases that use Zavrel.dll: animations and the number drawer, sound,
// video windows, the browser dialog, the network service through every
// proxy kind, the copy-data channel with a game process, configuration
// files, and both kinds of timer.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/win_owners.h"
#include "bench/soak/soak_phases.h"
#include "support/tessor/xml_parser.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/support/videoctl/videoctl_registration.h"
#include "tests/testkit/testkit.h"
#include "tests/zavrel/media/sound_files.h"
#include "tests/zavrel/net/net_lab.h"
#include "zavrel/component/create_functions.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/config/av_config_xml_handler.h"
#include "zavrel/config/game_hall_config_xml_handler.h"
#include "zavrel/config/server_list_xml_handler.h"
#include "zavrel/config/url_factory.h"
#include "zavrel/datafile/csv_file.h"
#include "zavrel/datafile/ini_file.h"
#include "zavrel/ipc/channel_service.h"
#include "zavrel/media/browser_dialog.h"
#include "zavrel/media/dx_sound_player.h"
#include "zavrel/media/local_video_window.h"
#include "zavrel/media/midi_player.h"
#include "zavrel/media/number_drawer.h"
#include "zavrel/media/remote_video_window.h"
#include "zavrel/media/xanimate.h"
#include "zavrel/media/xgif_animate.h"
#include "zavrel/net/client_service.h"
#include "zavrel/timer/mm_timer.h"
#include "zavrel/timer/ui_timer.h"

namespace soak {

namespace {

// ---------------------------------------------------------------- animation

// A game screen: a spinning coin (CxAnimate), an animated GIF
// (CxGifAnimate) and a score (CNumberDrawer), painted by the window.
class TableView : public CWnd, public CxAnimateListener, public CxGifAnimateListener {
 public:
  CxAnimate coin;
  CxGifAnimate flag;
  CNumberDrawer score;
  int coinSteps = 0;
  int flagSteps = 0;
  int paints = 0;

 protected:
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, RGB(0, 96, 48));
    score.Draw(&dc, 4, 4);
    coin.Draw(&dc, 4, 30);
    flag.Draw(&dc, 40, 30);
    ++paints;
  }
  void OnAnimateUpdate(const CRect& rect) override {
    ++coinSteps;
    InvalidateRect(&rect, FALSE);
  }
  void OnGifAnimateUpdate(const CRect& rect) override {
    ++flagSteps;
    InvalidateRect(&rect, FALSE);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TableView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

class AnimationPhase : public Phase {
 public:
  explicit AnimationPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "animation"; }

  bool Start(std::string& error) override {
    m_strip = m_env.folder + "\\coin.bmp";
    m_gif = m_env.folder + "\\flag.gif";
    m_digits = m_env.folder + "\\digits.bmp";
    std::vector<COLORREF> strip(64 * 16), digits(120 * 16);
    for (size_t i = 0; i < strip.size(); ++i) strip[i] = RGB(60 * (i % 64 / 16), 200, 0);
    for (size_t i = 0; i < digits.size(); ++i) digits[i] = (i % 120) % 12 < 6 ? RGB(255, 0, 255) : RGB(255, 215, 0);
    std::vector<picture_files::GifFrame> frames(3);
    for (int f = 0; f < 3; ++f) frames[f].indices.assign(20 * 20, static_cast<BYTE>(f));
    const bool written =
        testkit::WriteFileBytes(m_strip, picture_files::Bmp24(64, 16, strip)) &&
        testkit::WriteFileBytes(m_digits, picture_files::Bmp24(120, 16, digits)) &&
        testkit::WriteFileBytes(
            m_gif, picture_files::Gif(20, 20, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 0, 0)}, frames));
    if (!written) error = "cannot write the animation pictures";
    return written;
  }

  bool Cycle(std::string& error) override {
    auto view = std::make_unique<TableView>();
    if (!view->CreateEx(0, nullptr, "table", WS_CHILD | WS_VISIBLE, CRect(0, 250, 200, 330), m_env.hall, 200)) {
      error = "cannot make the table view";
      return false;
    }
    const POINT coinCell = {16, 16}, digitCell = {12, 16};
    bool loaded = view->coin.Load(m_strip, coinCell) && view->flag.Load(m_gif) &&
                  view->score.LoadNumberImage(m_digits, digitCell);
    view->score.SetTransColor(RGB(255, 0, 255));
    view->score.SetNumber(-1234567890123LL + m_round++);
    view->coin.SetListener(view.get());
    view->flag.SetListener(view.get());
    view->coin.Loop(true);
    view->flag.Loop(true);
    view->coin.Play(true, 50);
    view->flag.Play(50);
    TableView* v = view.get();
    const bool stepped = loaded && PumpFor([v] { return v->coinSteps >= 3 && v->flagSteps >= 3 && v->paints >= 2; });
    view->coin.Stop();
    view->flag.Stop();
    // A copy of a playing animation runs on its own timer until it goes.
    view->coin.Play(true, 50);
    { CxAnimate copy(view->coin); }
    view->coin.Stop();
    view->DestroyWindow();
    view.reset();
    PumpUntilIdle();
    if (!stepped) {
      error = "the animations did not step and paint";
      return false;
    }
    return true;
  }

 private:
  HallEnvironment& m_env;
  std::string m_strip, m_gif, m_digits;
  long long m_round = 0;
};

// -------------------------------------------------------------------- sound

// A chime through CMidiPlayer (PlaySoundA; a player per round), or an
// effect through the hall's one CDxSoundPlayer (DirectMusic, kept for the
// run: Wine 8.0's DirectMusic performance keeps one handle per InitAudio and
// one per downloaded segment after CloseDown, a player per round would
// measure that), each played into the harness's sound device and stopped.
class SoundPhase : public Phase {
 public:
  SoundPhase(HallEnvironment& env, bool effects) : m_env(env), m_effects(effects) {}
  const char* Name() const override { return m_effects ? "effects" : "sound"; }

  bool Start(std::string& error) override {
    m_wave = m_env.folder + "\\chip.wav";
    if (!testkit::WriteFileBytes(m_wave, sound_files::WaveFile(sound_files::Tone(880, 6000, 60)))) {
      error = "cannot write the wave file";
      return false;
    }
    if (!m_effects) return true;
    m_fx = std::make_unique<CDxSoundPlayer>();
    const HRESULT result = m_fx->Init(m_env.hall->GetSafeHwnd(), false);
    if (result != S_OK) error = "the effects player did not start: " + std::to_string(static_cast<long>(result));
    return result == S_OK;
  }

  bool Cycle(std::string& error) override {
    HRESULT result = S_OK;
    if (!m_effects) {
      CMidiPlayer chime;
      result = static_cast<HRESULT>(chime.PlaySoundFile(m_wave.c_str()));
      chime.StopSoundFile();
    } else {
      // Loaded once; later loads select it again.
      result = m_fx->LoadSound(m_wave.c_str(), true, false);
      m_fx->SetVolume(80);
      if (result == S_OK) result = m_fx->Play();
      if (result == S_OK) result = m_fx->Stop(m_wave.c_str(), 0);
    }
    PumpUntilIdle();
    if (result != S_OK) {
      error = std::string(Name()) + " did not play: " + std::to_string(static_cast<long>(result));
      return false;
    }
    return true;
  }

  void Finish() override { m_fx.reset(); }

 private:
  HallEnvironment& m_env;
  bool m_effects;
  std::string m_wave;
  std::unique_ptr<CDxSoundPlayer> m_fx;
};

// -------------------------------------------------------------------- video

class LoginListener : public IAVListner {
 public:
  int logins = 0;
  void OnLoginResult(long) override { ++logins; }
  void OnRecvAudioResult(long, long) override {}
  void OnRecvVideoResult(long, long) override {}
};

class VideoPhase : public Phase {
 public:
  explicit VideoPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "video"; }

  bool Start(std::string& error) override {
    if (!videoctl_test::EnsureRegistered()) {
      error = "cannot register VideoCtl.dll";
      return false;
    }
    return true;
  }

  bool Cycle(std::string& error) override {
    const RECT rect = {210, 0, 386, 144};
    bool worked = false;
    {
      CLocalVideoWindow local;
      LoginListener listener;
      if (local.Create(nullptr, "local", WS_CHILD | WS_VISIBLE, rect, m_env.hall, 8067, nullptr)) {
        local.SetAVListner(&listener);
        local.Login(0x7F000001UL, 8000, 10001, "pw", 0);
        worked = PumpFor([&] { return listener.logins == 1; }, 5000) && local.IsLogin() &&
                 local.StartVideoCapture(1, 320, 240) != 0;
        local.StopVideoCapture();
        local.Logout();
        local.SetAVListner(nullptr);
        local.DestroyWindow();
      }
      CRemoteVideoWindow remote;
      if (remote.Create("remote", WS_CHILD | WS_VISIBLE, rect, m_env.hall, 12)) {
        remote.PutUserID(10002);
        worked = worked && remote.GetUserID() == 10002;
        remote.DestroyWindow();
      } else {
        worked = false;
      }
    }
    PumpUntilIdle();
    ClearStandInLog();
    if (!worked) error = "the video windows did not work";
    return worked;
  }

 private:
  // The stand-in control logs every call for the tests to read, where the
  // hall's real control keeps nothing: emptied each round, so that the
  // soak counts the video windows and not the log.
  static void ClearStandInLog() {
    const HMODULE control = GetModuleHandleA("VideoCtl.dll");
    const auto clear =
        control ? reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(control, "VideoCtlClearLog")))
                : nullptr;
    if (clear) clear();
  }

  HallEnvironment& m_env;
};

// ------------------------------------------------------------------ browser

// A browser dialog that closes itself as soon as it is up.
class ClosingBrowserDialog : public CBrowserDialog {
 public:
  using CBrowserDialog::CBrowserDialog;

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CBrowserDialog::OnInitDialog();
    PostMessage(WM_COMMAND, IDCANCEL);
    return result;
  }
};

class BrowserPhase : public Phase {
 public:
  explicit BrowserPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "browser"; }

  bool Start(std::string& error) override {
    m_page = m_env.folder + "\\notice.html";
    if (!testkit::WriteFileBytes(m_page, "<html><body>notice</body></html>")) {
      error = "cannot write the page";
      return false;
    }
    return true;
  }

  bool Cycle(std::string& error) override {
    bool shown = false;
    {
      CBrowserDialog dlg(m_env.hall);
      if (dlg.Create(CBrowserDialog::IDD, m_env.hall)) {
        dlg.SetWebPageSize(400, 300);
        dlg.SetURL(m_page.c_str());
        dlg.ShowWindow(SW_SHOW);
        PumpUntilIdle();
        shown = true;
        dlg.DestroyWindow();
      }
    }
    // Upload mode: the dialog tells the hall before it ends.
    const int closes = m_env.hall->uploadCloses;
    {
      ClosingBrowserDialog dlg(m_env.hall);
      dlg.SetUpLoad();
      dlg.DoModal();
    }
    PumpUntilIdle();
    if (!shown || m_env.hall->uploadCloses != closes + 1) {
      error = "the browser dialog did not open and close";
      return false;
    }
    return true;
  }

 private:
  HallEnvironment& m_env;
  std::string m_page;
};

// ---------------------------------------------------------------------- net

// The hall's login service: counts what arrives; reconnects quickly after
// the server's drop, once per connect.
class SoakService : public CClientService {
 public:
  int messages = 0;
  int connects = 0;
  int failures = 0;
  int closes = 0;
  int closesToReconnect = 0;

  void StartRound(int reconnects) {
    closesToReconnect = reconnects;
    m_nReconnectInterval = 20;
    EnableReconnect();
  }
  void EndRound() {
    DisableReconnect();
    StopReconnectTimer();
    StopService();
  }
  bool OnSocketClose(IClientSocket* pIClientSocket, bool bCloseByServer) override {
    ++closes;
    if (closesToReconnect-- <= 0) DisableReconnect();
    return CClientService::OnSocketClose(pIClientSocket, bCloseByServer);
  }

 protected:
  bool OnConnectSucced() override {
    ++connects;
    return true;
  }
  bool OnConnectFailed(LPCSTR pszErrorDesc) override {
    ++failures;
    return CClientService::OnConnectFailed(pszErrorDesc);
  }
  bool OnNetMessage(CMD_Command, void*, WORD) override {
    ++messages;
    return true;
  }
};

struct ProxyUse {
  BYTE kind;
  const char* service;  // empty: direct
  const char* user;
  const char* pass;
};

const ProxyUse kProxies[] = {
    {ProxyType_None, "", "", ""},
    {ProxyType_Socks4, "dante", "", ""},
    {ProxyType_Socks4A, "socks4a", "zavrel", ""},
    {ProxyType_Socks5, "socks5auth", "zavrel", "pa55word"},
    {ProxyType_Http10, "http", "zavrel", "pa55word"},
    {ProxyType_Http11, "httpopen", "", ""},
};

class NetPhase : public Phase {
 public:
  explicit NetPhase(HallEnvironment& env, int lifetimeSeconds) : m_lifetime(lifetimeSeconds) { (void)env; }
  const char* Name() const override { return "net"; }

  bool Start(std::string& error) override {
    m_lab = std::make_unique<netlab::NetLab>();
    // Every connection: one message, then the server drops it.
    m_lab->Hall("hall", "send 1 4 4 8\ndrop\n");
    m_lab->Dante("dante");
    m_lab->Socks4a("socks4a", "zavrel");
    m_lab->Microsocks("socks5auth", "zavrel", "pa55word");
    m_lab->Tinyproxy("http", "zavrel", "pa55word");
    m_lab->Tinyproxy("httpopen");
    if (!m_lab->Start(20000, m_lifetime)) {
      error = "the local servers did not start: " + m_lab->Error();
      return false;
    }
    try {
      m_service = std::make_unique<SoakService>();
    } catch (const char* message) {
      // The service throws the loader's message when Nuvrell.dll is missing.
      error = std::string("no client service: ") + (message ? message : "");
      return false;
    }
    return true;
  }

  // Through each proxy kind: connect, the server's drop, the reconnect by
  // the service's timer, the second drop.
  bool Cycle(std::string& error) override {
    for (const ProxyUse& use : kProxies) {
      tagProxyInfo info;
      std::memset(&info, 0, sizeof(info));
      info.cbProxyType = use.kind;
      if (*use.service) {
        info.wProxyPort = m_lab->Port(use.service);
        std::strcpy(info.szProxyServer, "127.0.0.1");
        std::strcpy(info.szUserName, use.user);
        std::strcpy(info.szPassword, use.pass);
      }
      SoakService& s = *m_service;
      s.SetProxy(info);
      s.StartRound(1);
      const int messages = s.messages, closes = s.closes, connects = s.connects;
      const bool started = s.StartService("127.0.0.1", m_lab->Port("hall"));
      const bool done = started && PumpFor([&] { return s.messages >= messages + 2 && s.closes >= closes + 2; });
      s.EndRound();
      PumpUntilIdle();
      if (!done || s.connects != connects + 2) {
        error = std::string("no connect, drop and reconnect through proxy kind ") + std::to_string(use.kind) +
                " (connects " + std::to_string(s.connects - connects) + ", messages " +
                std::to_string(s.messages - messages) + ", failures " + std::to_string(s.failures) + ")";
        return false;
      }
    }
    return true;
  }

  void Finish() override {
    m_service.reset();
    m_lab.reset();
  }

 private:
  int m_lifetime;
  std::unique_ptr<netlab::NetLab> m_lab;
  std::unique_ptr<SoakService> m_service;
};

// ------------------------------------------------------------------ channel

// The hall's end of the channel: counts the events and records.
class ChannelSinks : public IChannelEventSink, public IChannelMessageSink {
 public:
  int connectReplies = 0;
  int closes = 0;
  int echoes = 0;

  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {{&IID_IChannelEventSink, static_cast<IChannelEventSink*>(this)},
                                    {&IID_IChannelMessageSink, static_cast<IChannelMessageSink*>(this)},
                                    {&IID_IUnknownEx, static_cast<IChannelEventSink*>(this)}};
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }
  bool OnChannelConnect(HWND) override { return true; }
  bool OnChannelConnectReply(HWND) override {
    ++connectReplies;
    return true;
  }
  bool OnChannelClose(HWND, bool) override {
    ++closes;
    return true;
  }
  bool OnChannelMessage(const IPC_Head* pHead, const void*, WORD, HWND) override {
    // The game's echo of a record (its report 101/4).
    if (pHead->wMainCmdID == 101 && pHead->wSubCmdID == 4) ++echoes;
    return true;
  }
};

class ChannelPhase : public Phase {
 public:
  explicit ChannelPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "channel"; }
  bool Start(std::string&) override { return true; }

  bool Cycle(std::string& error) override {
    ChannelSinks sinks;
    auto* hall = static_cast<IChannelService*>(CreateChannelService(IID_IChannelService, ZAVREL_INTERFACE_VERSION));
    if (!hall) {
      error = "no channel service";
      return false;
    }
    hall->SetChannelEventSink(static_cast<IChannelEventSink*>(&sinks));
    hall->SetChannelMessageSink(static_cast<IChannelEventSink*>(&sinks));
    hall->Connect(nullptr);
    const HWND hallWnd = static_cast<CChannelService*>(hall)->GetSafeHwnd();
    const std::string file = m_env.folder + "\\game.hwnd";
    DeleteFileA(file.c_str());
    std::string command = "\"" + m_env.binaryDir + "channel_peer.exe\" game " +
                          std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hallWnd))) + " \"" +
                          file + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    bool worked = false;
    DWORD exitCode = 0;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      const UniqueHandle process(pi.hProcess);
      const UniqueHandle thread(pi.hThread);
      HWND gameWnd = nullptr;
      const bool handed = PumpFor(
          [&] {
            const std::string text = testkit::ReadFileBytes(file);
            if (text.empty()) return false;
            gameWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text.c_str(), nullptr, 10)));
            return true;
          },
          20000);
      if (handed && hall->Connect(gameWnd) && PumpFor([&] { return sinks.connectReplies == 1; })) {
        const char body[] = "seat 3, table 12";
        for (WORD i = 0; i < 8; ++i) hall->SendData(7, i, body, sizeof(body));
        worked = PumpFor([&] { return sinks.echoes == 8; });
      }
      // The game ends: released inside its own channel callback.
      hall->SendData(100, 3);
      const bool ended = PumpFor([&] { return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; }, 10000);
      if (!ended) TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);
      GetExitCodeProcess(process.get(), &exitCode);
      worked = worked && ended && exitCode == 34;
    }
    PumpUntilIdle();
    hall->Release();
    PumpUntilIdle();
    if (!worked) error = "the game did not connect, echo and end (exit " + std::to_string(exitCode) + ")";
    return worked;
  }

 private:
  HallEnvironment& m_env;
};

// ------------------------------------------------------------------- config

class ConfigPhase : public Phase {
 public:
  explicit ConfigPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "config"; }

  bool Start(std::string& error) override {
    const std::string& d = m_env.folder;
    CreateDirectoryA((d + "\\Config").c_str(), nullptr);
    std::string ini, csv = "id,name,score\r\n";
    for (int i = 0; i < 200; ++i) {
      ini += "[room" + std::to_string(i) + "]\r\nname=room " + std::to_string(i) +
             "\r\nseats=" + std::to_string(i % 8 + 2) + "\r\n";
      csv += std::to_string(i) + ",player " + std::to_string(i) + "," + std::to_string(i * 37) + "\r\n";
    }
    const bool written =
        testkit::WriteFileBytes(d + "\\rooms.ini", ini) && testkit::WriteFileBytes(d + "\\scores.csv", csv) &&
        testkit::WriteFileBytes(d + "\\ServerList.xml",
                                "<?xml version=\"1.0\"?><ServerList><LoginServer><Server name=\"login\" "
                                "addr=\"127.0.0.1\" port=\"9101\"/></LoginServer><ShopServer><Server name=\"shop\" "
                                "addr=\"127.0.0.1\" port=\"9201\"/></ShopServer></ServerList>") &&
        testkit::WriteFileBytes(d + "\\GameHallConfig.xml",
                                "<?xml version=\"1.0\"?><GameHallConfig><Config sp_id=\"1024\" "
                                "Title=\"hall\"/></GameHallConfig>") &&
        testkit::WriteFileBytes(
            d + "\\AVConfig.xml",
            "<?xml version=\"1.0\"?><AVConfig><AudioConfig CaptureDeviceID=\"1\" "
            "PlayerDeviceID=\"2\"/><VideoConfig CaptureDeviceID=\"0\" Quality=\"80\"/></AVConfig>") &&
        testkit::WriteFileBytes(d + "\\Config\\Urls.ini",
                                "[Domain]\r\nWWW=http://www.hall.example/\r\n[WWW]\r\nHallIndex=hall/index.html\r\n");
    if (!written) error = "cannot write the configuration files";
    return written;
  }

  bool Cycle(std::string& error) override {
    const std::string& d = m_env.folder;
    CIniFile ini;
    ini.SetPath(d + "\\rooms.ini");
    const bool iniRead = ini.ReadFile() && ini.GetValueI("room7", "seats") == 9;
    CSVFile csv;
    const bool csvRead = csv.open((d + "\\scores.csv").c_str()) && csv.getRowSize() >= 200 &&
                         csv.readString(11, csv.getFieldIndex("score") + 1) == "333";
    XMLParser parser;
    CServerList_xmlHandler servers;
    CGameHallConfig_xmlHandler hallConfig;
    CAVConfig_xmlHandler av;
    const bool xmlRead = parser.parseXMLFile(servers, d + "\\ServerList.xml") && servers.GetLoginAddr().size() == 1 &&
                         parser.parseXMLFile(hallConfig, d + "\\GameHallConfig.xml") &&
                         hallConfig.GetAgentID() == 1024 && parser.parseXMLFile(av, d + "\\AVConfig.xml");
    CUrlFactory urls(d + "\\");
    const bool urlsRead = !urls.GetExpressList().empty() || urls.LoadConfig(d + "\\Config\\Urls.ini");
    if (!iniRead || !csvRead || !xmlRead || !urlsRead) {
      error = std::string("configuration not read:") + (iniRead ? "" : " ini") + (csvRead ? "" : " csv") +
              (xmlRead ? "" : " xml") + (urlsRead ? "" : " urls");
      return false;
    }
    return true;
  }

 private:
  HallEnvironment& m_env;
};

// ------------------------------------------------------------------- timers

class UiTicks : public IUiTimerListener {
 public:
  std::vector<UINT> ids;
  std::vector<int> ticks;
  void OnTimerEx(UINT nIDEvent) override {
    for (size_t i = 0; i < ids.size(); ++i)
      if (ids[i] == nIDEvent) ++ticks[i];
  }
};

class MmTicks : public ImmTimerListener {
 public:
  std::atomic<int> periodic{0};
  std::atomic<int> oneShot{0};
  void OnTimer(UINT nIDEvent) override { ++(nIDEvent == 1 ? periodic : oneShot); }
};

class TimersPhase : public Phase {
 public:
  explicit TimersPhase(HallEnvironment&) {}
  const char* Name() const override { return "timers"; }
  bool Start(std::string&) override { return true; }

  bool Cycle(std::string& error) override {
    UiTicks ui;
    bool uiWorked = true;
    {
      CUiTimer timer;
      timer.RegisterListener(&ui);
      for (int i = 0; i < 3; ++i) {
        ui.ids.push_back(timer.SetTimer(5 + 5 * static_cast<UINT>(i)));
        ui.ticks.push_back(0);
        uiWorked = uiWorked && ui.ids.back() != 0;
      }
      uiWorked = uiWorked && PumpFor([&] { return ui.ticks[0] >= 2 && ui.ticks[1] >= 2 && ui.ticks[2] >= 2; });
      timer.KillTimer(ui.ids[0]);
      // The rest go with KillAllTimer, and the object.
      timer.KillAllTimer();
    }
    MmTicks mm;
    bool mmWorked = false;
    {
      CmmTimer timer;
      timer.RegisterListener(&mm);
      mmWorked = timer.SetTimer(1, 5, false) && timer.SetTimer(2, 5, true) &&
                 PumpFor([&] { return mm.periodic >= 3 && mm.oneShot >= 1; });
      timer.KillTimer(1);
      timer.KillAllTimer();
    }
    PumpUntilIdle();
    if (!uiWorked || !mmWorked) {
      error = std::string("the timers did not tick:") + (uiWorked ? "" : " ui") + (mmWorked ? "" : " multimedia");
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<Phase> MakeAnimationPhase(HallEnvironment& env) { return std::make_unique<AnimationPhase>(env); }
std::unique_ptr<Phase> MakeSoundPhase(HallEnvironment& env) { return std::make_unique<SoundPhase>(env, false); }
std::unique_ptr<Phase> MakeEffectsPhase(HallEnvironment& env) { return std::make_unique<SoundPhase>(env, true); }
std::unique_ptr<Phase> MakeVideoPhase(HallEnvironment& env) { return std::make_unique<VideoPhase>(env); }
std::unique_ptr<Phase> MakeBrowserPhase(HallEnvironment& env) { return std::make_unique<BrowserPhase>(env); }
std::unique_ptr<Phase> MakeNetPhase(HallEnvironment& env) {
  return std::make_unique<NetPhase>(env, env.serverLifetimeSeconds);
}
std::unique_ptr<Phase> MakeChannelPhase(HallEnvironment& env) { return std::make_unique<ChannelPhase>(env); }
std::unique_ptr<Phase> MakeConfigPhase(HallEnvironment& env) { return std::make_unique<ConfigPhase>(env); }
std::unique_ptr<Phase> MakeTimersPhase(HallEnvironment& env) { return std::make_unique<TimersPhase>(env); }

}  // namespace soak
