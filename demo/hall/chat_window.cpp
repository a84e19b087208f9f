#include "demo/hall/chat_window.h"

#include <cstring>
#include <vector>

#include "afx/afx_button.h"
#include "afx/afx_richedit.h"
#include "afx/afx_wnd.h"
#include "base/win_owners.h"
#include "support/anipic/animated_picture.h"
#include "zavrelcom/chat/message_proxy.h"
#include "zavrelcom/emotion/emotion_dlg.h"

namespace {

constexpr UINT kOutputId = 101, kInputId = 102, kEmotionId = 103, kSendId = 104;
constexpr int kWidth = 660, kHeight = 360;
const COLORREF kTimeColor = RGB(128, 128, 128);
const COLORREF kTextColor = RGB(0, 0, 0);

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(const GUID&, const GUID&, void**);

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A tagChatUser with its name held in the record.
class ChatUser {
 public:
  ChatUser(DWORD id, const char* name) : m_bytes(sizeof(DWORD) + std::strlen(name) + 1, '\0') {
    std::memcpy(m_bytes.data(), &id, sizeof(id));
    std::memcpy(m_bytes.data() + sizeof(DWORD), name, std::strlen(name) + 1);
  }
  const tagChatUser* get() const { return reinterpret_cast<const tagChatUser*>(m_bytes.data()); }

 private:
  std::vector<char> m_bytes;
};

const ChatUser& Me() {
  static const ChatUser me(10000, "我");
  return me;
}

}  // namespace

class ChatWindow::Impl : public CWnd {
 public:
  Impl() = default;
  ~Impl() override;

  bool Open(const std::string& dir, int x, int y);
  void ShowPicker(int hover);
  bool PickEmoticon(int index);
  void Send();
  std::string InputText() const;
  int ObjectCount() const;

  std::string m_error;

 protected:
  LRESULT OnEmotionSelected(WPARAM wParam, LPARAM lParam);
  void OnEmotionButton();
  void OnSendButton();
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  DECLARE_MESSAGE_MAP()

 private:
  bool LoadLibraries(const std::string& dir);
  void WriteSampleLines();

  UniqueModule m_zavrelCom;
  UniqueModule m_aniPic;
  DWORD m_dwClassCookie = 0;
  bool m_bOle = false;
  IMessageProxy* m_pProxy = nullptr;
  IEmotionDlg* m_pPicker = nullptr;
  CRichEditCtrl m_output;
  CWnd m_input;
  CButton m_emotionButton;
  CButton m_sendButton;
  std::string m_lastLink;
};

BEGIN_MESSAGE_MAP(ChatWindow::Impl, CWnd)
ON_MESSAGE(WM_EMOTION_SELECTED, OnEmotionSelected)
ON_BN_CLICKED(kEmotionId, OnEmotionButton)
ON_BN_CLICKED(kSendId, OnSendButton)
END_MESSAGE_MAP()

ChatWindow::Impl::~Impl() {
  if (m_pPicker) m_pPicker->Release();  // destroys the picker's window too
  if (m_pProxy) m_pProxy->Release();
  if (GetSafeHwnd()) DestroyWindow();
  if (m_dwClassCookie) CoRevokeClassObject(m_dwClassCookie);
  if (m_bOle) OleUninitialize();
}

bool ChatWindow::Impl::LoadLibraries(const std::string& dir) {
  m_bOle = SUCCEEDED(OleInitialize(nullptr));
  m_zavrelCom.reset(LoadLibraryA((dir + "\\ZavrelCom.dll").c_str()));
  if (!m_zavrelCom.valid()) {
    m_error = "无法加载 ZavrelCom.dll";
    return false;
  }
  auto getClassObject = Entry<GetClassObjectFn>(m_zavrelCom.get(), "DllGetClassObject");
  if (!getClassObject ||
      FAILED(getClassObject(CLSID_MessageProxy, IID_IMessageProxy, reinterpret_cast<void**>(&m_pProxy))) ||
      FAILED(getClassObject(CLSID_EmotionDlg, IID_IEmotionDlg, reinterpret_cast<void**>(&m_pPicker)))) {
    m_error = "ZavrelCom.dll 没有给出消息代理或表情框";
    return false;
  }
  // The emoticon pictures' class, for this process.
  m_aniPic.reset(LoadLibraryA((dir + "\\AniPic.dll").c_str()));
  auto aniPicClassObject = m_aniPic.valid() ? Entry<GetClassObjectFn>(m_aniPic.get(), "DllGetClassObject") : nullptr;
  UniqueComPtr<IClassFactory> factory;
  if (!aniPicClassObject ||
      FAILED(aniPicClassObject(CLSID_AnimatedPicture, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))) ||
      FAILED(CoRegisterClassObject(CLSID_AnimatedPicture, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                   &m_dwClassCookie))) {
    m_error = "无法使用 AniPic.dll（表情图片）";
    return false;
  }
  return true;
}

bool ChatWindow::Impl::Open(const std::string& dir, int x, int y) {
  if (!LoadLibraries(dir) || !AfxInitRichEdit2()) {
    if (m_error.empty()) m_error = "没有 RichEdit 控件";
    return false;
  }
  if (!CreateEx(0, nullptr, "演示聊天", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, x, y, kWidth, kHeight, nullptr,
                nullptr)) {
    m_error = "无法创建聊天窗口";
    return false;
  }
  CRect client;
  GetClientRect(&client);
  const int inputTop = client.Height() - 30;
  m_output.Create(WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE, CRect(6, 6, client.Width() - 6, inputTop - 6),
                  this, kOutputId);
  m_output.SetEventMask(ENM_LINK);
  m_input.CreateEx(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 6, inputTop,
                   client.Width() - 150, 24, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kInputId)));
  m_emotionButton.Create("表情", WS_VISIBLE | BS_PUSHBUTTON,
                         CRect(client.Width() - 138, inputTop, client.Width() - 74, inputTop + 24), this, kEmotionId);
  m_sendButton.Create("发送", WS_VISIBLE | BS_PUSHBUTTON,
                      CRect(client.Width() - 68, inputTop, client.Width() - 6, inputTop + 24), this, kSendId);
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (CWnd* child :
       {static_cast<CWnd*>(&m_input), static_cast<CWnd*>(&m_emotionButton), static_cast<CWnd*>(&m_sendButton)}) {
    child->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }

  m_pProxy->SetRichEditCtrl(&m_output);
  m_pProxy->SetAutoScroll(true);
  m_pProxy->LoadEmotions((dir + "\\emotion").c_str());
  m_pProxy->LoadLineIcons((dir + "\\chat").c_str());
  m_pPicker->CreateDlg(this);
  m_pPicker->LoadEmotions((dir + "\\emotion\\").c_str());
  WriteSampleLines();
  return m_pPicker->GetHwnd() != nullptr;
}

void ChatWindow::Impl::WriteSampleLines() {
  const ChatUser ming(10001, "小明"), fang(10002, "阿芳"), horn(10003, "大喇叭");
  m_pProxy->InsertTime(kTimeColor);
  m_pProxy->InsertSystemMessage(
      "欢迎来到演示大厅！请先阅读<a href=\"http://127.0.0.1/rules\">大厅规则</a>，文明聊天。");
  m_pProxy->InsertTime(kTimeColor);
  m_pProxy->InsertUserMessage(ming.get(), "大家好/wx 今晚一起斗地主吧/dx", kTextColor);
  m_pProxy->InsertTime(kTimeColor);
  m_pProxy->InsertUserMessage(fang.get(), "好呀/ax/zy", RGB(0, 96, 160));
  m_pProxy->InsertTime(kTimeColor);
  m_pProxy->InsertPrivateMessage(fang.get(), ming.get(), "悄悄告诉你，我先去买饮料/hx", RGB(160, 0, 160));
  m_pProxy->InsertTime(kTimeColor);
  m_pProxy->InsertSpeakerMessage(horn.get(), "今晚八点比赛开始，奖品丰厚/jy/jy");
}

void ChatWindow::Impl::ShowPicker(int hover) {
  CRect button;
  m_emotionButton.GetWindowRect(&button);
  SIZE size;
  m_pPicker->GetDlgSize(&size);
  m_pPicker->ShowDlg(button.right - size.cx, button.top - size.cy);
  if (hover >= 0) {
    const int x = 2 + (hover % 9) * 26 + 12, y = 2 + (hover / 9) * 26 + 12;
    ::SendMessageA(m_pPicker->GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  }
}

bool ChatWindow::Impl::PickEmoticon(int index) {
  const std::string before = InputText();
  ShowPicker(index);
  const int x = 2 + (index % 9) * 26 + 12, y = 2 + (index / 9) * 26 + 12;
  ::SendMessageA(m_pPicker->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  ::SendMessageA(m_pPicker->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  return InputText().size() > before.size() && !::IsWindowVisible(m_pPicker->GetHwnd());
}

void ChatWindow::Impl::Send() {
  SendMessage(WM_COMMAND, MAKEWPARAM(kSendId, BN_CLICKED), reinterpret_cast<LPARAM>(m_sendButton.GetSafeHwnd()));
}

std::string ChatWindow::Impl::InputText() const {
  CString text;
  m_input.GetWindowText(text);
  return text.GetString();
}

int ChatWindow::Impl::ObjectCount() const {
  UniqueComPtr<IRichEditOle> ole(m_output.GetIRichEditOle());
  return ole.valid() ? ole.get()->GetObjectCount() : 0;
}

LRESULT ChatWindow::Impl::OnEmotionSelected(WPARAM, LPARAM lParam) {
  const auto* emotion = reinterpret_cast<const tagEmotion*>(lParam);
  if (!emotion) return 0;
  m_input.SetWindowText((InputText() + emotion->szCode).c_str());
  return 0;
}

void ChatWindow::Impl::OnEmotionButton() { ShowPicker(-1); }

void ChatWindow::Impl::OnSendButton() {
  const std::string text = InputText();
  if (text.empty()) return;
  m_pProxy->InsertTime(kTimeColor);
  m_pProxy->InsertUserMessage(Me().get(), text.c_str(), RGB(0, 128, 0));
  m_input.SetWindowText("");
}

BOOL ChatWindow::Impl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->idFrom == kOutputId && header->code == EN_LINK) {
    const auto* link = reinterpret_cast<const ENLINK*>(lParam);
    tagMessageItem item;
    if (link->msg == WM_LBUTTONDOWN && m_pProxy->GetMessageItem(link->chrg.cpMin, &item)) {
      m_lastLink = item.szData;
    }
    *pResult = 0;
    return TRUE;
  }
  return CWnd::OnNotify(wParam, lParam, pResult);
}

ChatWindow::ChatWindow() : m_impl(std::make_unique<Impl>()) {}
ChatWindow::~ChatWindow() = default;
bool ChatWindow::Open(const std::string& dir, int x, int y) { return m_impl->Open(dir, x, y); }
const std::string& ChatWindow::Error() const { return m_impl->m_error; }
void ChatWindow::ShowPicker(int hover) { m_impl->ShowPicker(hover); }
bool ChatWindow::PickEmoticon(int index) { return m_impl->PickEmoticon(index); }
void ChatWindow::Send() { m_impl->Send(); }
std::string ChatWindow::InputText() const { return m_impl->InputText(); }
int ChatWindow::ObjectCount() const { return m_impl->ObjectCount(); }
