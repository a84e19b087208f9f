// The phases that use ZavrelCom.dll, loaded by name as a host loads it:
// chat lines with emoticons, links and name tags; the emoticon picker; the
// four components made, used and released.
#include <cstring>
#include <string>
#include <vector>

#include "afx/afx_richedit.h"
#include "base/win_owners.h"
#include "bench/soak/soak_phases.h"
#include "support/anipic/animated_picture.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"
#include "zavrelcom/chat/message_proxy.h"
#include "zavrelcom/emotion/emotion.h"
#include "zavrelcom/emotion/emotion_dlg.h"
#include "zavrelcom/face/user_face_res.h"
#include "zavrelcom/rank/game_rank_manager.h"

namespace soak {

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(const GUID&, const GUID&, void**);

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// ZavrelCom.dll and AniPic.dll, loaded once for the process (as the hall
// keeps them), with the animated picture's class registered for this
// process only.
class ComLibraries {
 public:
  static ComLibraries& Get() {
    static ComLibraries libraries;
    return libraries;
  }
  bool Load(const std::string& dir, std::string& error) {
    if (m_getClassObject) return true;
    m_zavrelCom.reset(LoadLibraryA((dir + "ZavrelCom.dll").c_str()));
    if (!m_zavrelCom.valid()) {
      error = "cannot load ZavrelCom.dll";
      return false;
    }
    m_getClassObject = Entry<GetClassObjectFn>(m_zavrelCom.get(), "DllGetClassObject");
    m_aniPic.reset(LoadLibraryA((dir + "AniPic.dll").c_str()));
    auto aniPicClassObject = m_aniPic.valid() ? Entry<GetClassObjectFn>(m_aniPic.get(), "DllGetClassObject") : nullptr;
    UniqueComPtr<IClassFactory> factory;
    if (!m_getClassObject || !aniPicClassObject ||
        FAILED(aniPicClassObject(CLSID_AnimatedPicture, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))) ||
        FAILED(CoRegisterClassObject(CLSID_AnimatedPicture, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &m_cookie))) {
      error = "cannot use ZavrelCom.dll and AniPic.dll";
      m_getClassObject = nullptr;
      return false;
    }
    return true;
  }
  template <class Interface>
  Interface* Make(const GUID& clsid, const GUID& iid) {
    Interface* out = nullptr;
    if (!m_getClassObject || m_getClassObject(clsid, iid, reinterpret_cast<void**>(&out)) != S_OK) return nullptr;
    return out;
  }

 private:
  ComLibraries() = default;
  ~ComLibraries() {
    if (m_cookie) CoRevokeClassObject(m_cookie);
  }
  UniqueModule m_zavrelCom;
  UniqueModule m_aniPic;
  GetClassObjectFn m_getClassObject = nullptr;
  DWORD m_cookie = 0;
};

// A tagChatUser with its name inside the record.
class ChatUser {
 public:
  ChatUser(DWORD id, const std::string& name) : m_bytes(sizeof(DWORD) + name.size() + 1, '\0') {
    std::memcpy(&m_bytes[0], &id, sizeof(id));
    std::memcpy(&m_bytes[sizeof(DWORD)], name.c_str(), name.size() + 1);
  }
  const tagChatUser* get() const { return reinterpret_cast<const tagChatUser*>(m_bytes.data()); }

 private:
  std::string m_bytes;
};

constexpr int kEmoticons = 6;

// The emoticon folder (config.ini, animated GIFs, the grid picture) and the
// line icons, written once.
bool WriteChatFiles(const HallEnvironment& env, std::string& error) {
  const std::string emotion = env.folder + "\\emotion";
  const std::string chat = env.folder + "\\chat";
  CreateDirectoryA(emotion.c_str(), nullptr);
  CreateDirectoryA(chat.c_str(), nullptr);
  std::string ini = "[emotion]\r\nCount=" + std::to_string(kEmoticons) + "\r\nPagePath=grid.bmp\r\n";
  const std::vector<COLORREF> palette = {RGB(255, 255, 255), RGB(255, 200, 0), RGB(200, 0, 0), RGB(0, 0, 0)};
  for (int i = 0; i < kEmoticons; ++i) {
    ini += "[em" + std::to_string(i) + "]\r\nemotion=/e" + std::to_string(i) + "\r\npath=e" + std::to_string(i) +
           ".gif\r\nname=face" + std::to_string(i) + "\r\n";
    std::vector<picture_files::GifFrame> frames(2);
    for (int f = 0; f < 2; ++f) {
      frames[f].indices.assign(16 * 16, static_cast<BYTE>(1 + f));
      frames[f].indices[static_cast<size_t>(i)] = 3;
    }
    if (!testkit::WriteFileBytes(emotion + "\\e" + std::to_string(i) + ".gif",
                                 picture_files::Gif(16, 16, palette, frames))) {
      error = "cannot write the emoticon pictures";
      return false;
    }
  }
  const std::vector<COLORREF> grid(239 * 213, RGB(240, 240, 240));
  const std::vector<COLORREF> icon(16 * 16, RGB(255, 0, 255));
  bool written = testkit::WriteFileBytes(emotion + "\\config.ini", ini) &&
                 testkit::WriteFileBytes(emotion + "\\grid.bmp", picture_files::Bmp24(239, 213, grid));
  for (const char* name : {"system.bmp", "player.bmp", "speaker.bmp"})
    written = written && testkit::WriteFileBytes(chat + "\\" + name, picture_files::Bmp24(16, 16, icon));
  if (!written) error = "cannot write the chat files";
  return written;
}

// Chat lines into the hall's rich edit control through one message proxy
// (kept for the run, as the hall keeps its chat window), then ClearMessages.
class ChatPhase : public Phase {
 public:
  explicit ChatPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "chat"; }

  bool Start(std::string& error) override {
    if (!WriteChatFiles(m_env, error) || !ComLibraries::Get().Load(m_env.binaryDir, error)) return false;
    if (!AfxInitRichEdit2() ||
        !m_edit.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, CRect(0, 0, 420, 240), m_env.hall, 100)) {
      error = "cannot make the rich edit control";
      return false;
    }
    m_proxy = ComLibraries::Get().Make<IMessageProxy>(CLSID_MessageProxy, IID_IMessageProxy);
    if (!m_proxy || !m_proxy->SetRichEditCtrl(&m_edit)) {
      error = "no message proxy";
      return false;
    }
    static const COLORREF colors[6] = {RGB(255, 255, 255), RGB(0, 0, 255),     RGB(255, 0, 0),
                                       RGB(255, 0, 0),     RGB(160, 255, 160), RGB(160, 255, 255)};
    m_proxy->SetColors(colors);
    m_proxy->SetAutoScroll(true);
    m_proxy->LoadEmotions((m_env.folder + "\\emotion").c_str());
    m_proxy->LoadLineIcons((m_env.folder + "\\chat").c_str());
    return true;
  }

  bool Cycle(std::string& error) override {
    const ChatUser ming(10001, "ming"), fang(10002, "fang"), horn(10003, "horn");
    bool written = true;
    for (int line = 0; line < m_env.chatLines; ++line) {
      const std::string n = std::to_string(line);
      switch (line % 4) {
        case 0:
          written =
              m_proxy->InsertTime(RGB(128, 128, 128)) &&
              m_proxy->InsertSystemMessage(("notice " + n + " <a href=\"http://127.0.0.1/rules\">rules</a>").c_str());
          break;
        case 1:
          written = m_proxy->InsertUserMessage(ming.get(), ("hello /e0 line " + n + " /e1").c_str(), RGB(0, 0, 0));
          break;
        case 2:
          written = m_proxy->InsertPrivateMessage(fang.get(), ming.get(), ("psst /e2 " + n).c_str(), RGB(0, 96, 160));
          break;
        default:
          written = m_proxy->InsertSpeakerMessage(horn.get(), ("loud /e3/e4 " + n).c_str());
          break;
      }
      if (!written) break;
    }
    tagMessageItem item;
    std::memset(&item, 0, sizeof(item));
    bool found = false;
    for (int cp = 0; cp < 200 && !found; ++cp) found = m_proxy->GetMessageItem(cp, &item);
    // The emoticons animate and the scrolls land while the hall's loop runs.
    PumpUntilIdle();
    const bool cleared = m_proxy->ClearMessages();
    PumpUntilIdle();
    if (!written || !found || !cleared || m_edit.GetTextLength() != 0) {
      error = "chat lines were not written and cleared";
      return false;
    }
    return true;
  }

  void Finish() override {
    if (m_proxy) m_proxy->Release();
    m_proxy = nullptr;
    if (m_edit.GetSafeHwnd()) m_edit.DestroyWindow();
  }

 private:
  HallEnvironment& m_env;
  CRichEditCtrl m_edit;
  IMessageProxy* m_proxy = nullptr;
};

// The emoticon picker: made, shown, a cell picked, destroyed.
class PickerPhase : public Phase {
 public:
  explicit PickerPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "picker"; }

  bool Start(std::string& error) override {
    if (!WriteChatFiles(m_env, error) || !ComLibraries::Get().Load(m_env.binaryDir, error)) return false;
    m_picker = ComLibraries::Get().Make<IEmotionDlg>(CLSID_EmotionDlg, IID_IEmotionDlg);
    if (!m_picker) error = "no emoticon picker";
    return m_picker != nullptr;
  }

  bool Cycle(std::string& error) override {
    const int picks = m_env.hall->emotionPicks;
    m_picker->CreateDlg(m_env.hall);
    m_picker->LoadEmotions((m_env.folder + "\\emotion\\").c_str());
    m_picker->ShowDlg(40, 40);
    const HWND dlg = m_picker->GetHwnd();
    // The third cell of the first row.
    const int x = 3 + 2 * 26 + 10, y = 10;
    if (dlg) {
      SendMessageA(dlg, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
      SendMessageA(dlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      SendMessageA(dlg, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    PumpUntilIdle();
    const bool picked = m_env.hall->emotionPicks == picks + 1 && m_env.hall->lastEmotionCode == "/e2";
    const bool destroyed = m_picker->DestroyDlg();
    PumpUntilIdle();
    if (!dlg || !picked || !destroyed || m_picker->GetHwnd()) {
      error = "the picker did not open, pick and close";
      return false;
    }
    return true;
  }

  void Finish() override {
    if (m_picker) m_picker->Release();
    m_picker = nullptr;
  }

 private:
  HallEnvironment& m_env;
  IEmotionDlg* m_picker = nullptr;
};

// Each of ZavrelCom's four components made, used a little and released.
class ComponentsPhase : public Phase {
 public:
  explicit ComponentsPhase(HallEnvironment& env) : m_env(env) {}
  const char* Name() const override { return "components"; }

  bool Start(std::string& error) override {
    if (!WriteChatFiles(m_env, error) || !ComLibraries::Get().Load(m_env.binaryDir, error)) return false;
    const std::string faces = m_env.folder + "\\faces";
    CreateDirectoryA(faces.c_str(), nullptr);
    bool written = testkit::WriteFileBytes(m_env.folder + "\\Rank.ini",
                                           "[Rank]\r\nnovice=0\r\nplayer=100\r\nexpert=700\r\nmaster=5000\r\n");
    for (const char* name : {"1-1.png", "1-2.png", "2-1.png", "2-2.png", "default.png"}) {
      std::vector<DWORD> argb(24 * 24, picture_files::Argb(255, RGB(0, 128, 255)));
      written = written && picture_files::SaveWithGdiplus(faces + "\\" + name, 24, 24, argb, L"image/png");
    }
    if (!written) error = "cannot write the rank and face files";
    return written;
  }

  bool Cycle(std::string& error) override {
    ComLibraries& com = ComLibraries::Get();
    auto* proxy = com.Make<IMessageProxy>(CLSID_MessageProxy, IID_IMessageProxy);
    auto* picker = com.Make<IEmotionDlg>(CLSID_EmotionDlg, IID_IEmotionDlg);
    auto* ranks = com.Make<IGameRankManager>(CLSID_GameRankManager, IID_IGameRankManager);
    auto* faces = com.Make<IUserFaceRes1>(CLSID_UserFaceRes, IID_IUserFaceRes1);
    bool used = proxy && picker && ranks && faces;
    if (used) {
      proxy->LoadEmotions((m_env.folder + "\\emotion").c_str());
      used = !proxy->IsAttached();
      // The last Release destroys the picker's window too.
      picker->CreateDlg(m_env.hall);
      picker->LoadEmotions((m_env.folder + "\\emotion").c_str());
      used = used && picker->GetHwnd() != nullptr;
      ranks->LoadRanks(m_env.folder.c_str());
      const tagGameRank* rank = ranks->GetRank(750);
      used = used && rank && std::strcmp(rank->szTitle, "expert") == 0;
      faces->LoadFaces((m_env.folder + "\\faces").c_str());
      used = used && faces->GetFaceCount() == 2;
      HBITMAP bitmap = faces->GetFaceBitmap(1, 0);
      used = used && bitmap != nullptr;
      if (bitmap) DeleteObject(bitmap);
      testkit::MemorySurface surface(48, 48);
      faces->DrawFace(0, 1, &surface.dc, 0, 0, 48, 48);
      char name[MAX_PATH];
      used = used && faces->GetFaceFileName(0, 0, name) != nullptr;
    }
    const bool released = (!proxy || proxy->Release() == 0) & (!picker || picker->Release() == 0) &
                          (!ranks || ranks->Release() == 0) & (!faces || faces->Release() == 0);
    PumpUntilIdle();
    if (!used || !released) {
      error = "a component was not made, used and released";
      return false;
    }
    return true;
  }

 private:
  HallEnvironment& m_env;
};

}  // namespace

std::unique_ptr<Phase> MakeChatPhase(HallEnvironment& env) { return std::make_unique<ChatPhase>(env); }
std::unique_ptr<Phase> MakePickerPhase(HallEnvironment& env) { return std::make_unique<PickerPhase>(env); }
std::unique_ptr<Phase> MakeComponentsPhase(HallEnvironment& env) { return std::make_unique<ComponentsPhase>(env); }

}  // namespace soak
