#include "zavrelcom/chat/message_proxy.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "afx/afx_gdi.h"
#include "support/anipic/animated_picture.h"
#include "support/base/win_owners.h"
#include "support/dravik/ini_file.h"
#include "support/dravik/ximage.h"
#include "zavrelcom/server/dbcs_text.h"

// The rich edit control as the chat composition's writer.
class CMessageRunWriter : public IChatRunWriter {
 public:
  explicit CMessageRunWriter(CMessageProxy& proxy) : m_proxy(proxy) {}

  void WriteRun(const char* text, std::size_t length, ChatColor color) override {
    m_proxy.AppendPlainRun(std::string(text, length).c_str(), color);
  }
  void WriteTag(std::uint32_t userId, const std::string& tagText, ChatColor color) override {
    m_proxy.WriteTag(userId, tagText.c_str(), color);
  }
  void WriteLink(const std::string& text, const std::string& href) override {
    m_proxy.WriteLink(text.c_str(), href.c_str());
  }
  void WriteEmoticon(int index) override { m_proxy.InsertEmotion(index); }
  void WriteIcon(ChatIcon icon) override {
    switch (icon) {
      case ChatIcon::System:
        m_proxy.InsertLineIcon(m_proxy.m_pSystemIcon.get());
        break;
      case ChatIcon::Player:
        m_proxy.InsertLineIcon(m_proxy.m_pPlayerIcon.get());
        break;
      case ChatIcon::Speaker:
        m_proxy.InsertLineIcon(m_proxy.m_pSpeakerIcon.get());
        break;
    }
  }

 private:
  CMessageProxy& m_proxy;
};

namespace {

bool HasText(const char* text) { return text && *text; }

void ColorTable(const COLORREF* colors, ChatColor* out) {
  for (int i = 0; i < kChatColorCount; ++i) out[i] = colors[i];
}

CHARFORMAT2A ColorFormat(COLORREF color) {
  CHARFORMAT2A format;
  std::memset(&format, 0, sizeof(format));
  format.cbSize = sizeof(format);
  format.dwMask = CFM_COLOR;
  format.crTextColor = color;
  return format;
}

}  // namespace

CMessageProxy::CMessageProxy() {
  for (int i = 0; i < kChatColorCount; ++i) m_Colors[i] = kDefaultChatColors[i];
}

CMessageProxy::~CMessageProxy() = default;

bool CMessageProxy::SetRichEditCtrl(CRichEditCtrl* ctrl) {
  if (!ctrl) return false;
  m_pRichEdit = ctrl;
  const HWND hwnd = ctrl->GetSafeHwnd();
  if (hwnd) {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    SetWindowLongPtrA(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(ES_NOHIDESEL)) | ES_READONLY | ES_AUTOVSCROLL);
  }
  return true;
}

bool CMessageProxy::SetColors(const COLORREF* colors) {
  if (!colors) return false;
  std::memcpy(m_Colors, colors, sizeof(m_Colors));
  return true;
}

bool CMessageProxy::LoadEmotions(const char* folder) {
  m_Emotions.RemoveAll();
  m_EmotionCodes.Clear();
  const CString base = folder ? folder : "";
  CIniFile ini(base + "\\config.ini", 4096);
  int count = static_cast<int>(ini.GetInt("emotion", "Count", 0));
  if (count < 0) count = 0;
  m_Emotions.SetSize(count);
  for (int i = 0; i < count; ++i) {
    tagEmotion& e = m_Emotions[i];
    std::memset(&e, 0, sizeof(e));
    char section[32];
    std::snprintf(section, sizeof(section), "%s%d", "em", i);
    CString value;
    ini.GetString(section, "emotion", value, "");
    DbcsCopy(e.szCode, sizeof(e.szCode), value);
    ini.GetString(section, "path", value, "");
    DbcsCopy(e.szPath, sizeof(e.szPath), base + "\\" + value);
    ini.GetString(section, "name", value, "");
    DbcsCopy(e.szName, sizeof(e.szName), value);
    m_EmotionCodes.Add(e.szCode);
  }
  return true;
}

std::unique_ptr<CImageDataObject> CMessageProxy::MakeLineIcon(const char* folder, const char* file) {
  auto icon = std::make_unique<CImageDataObject>();
  CString path;
  path.Format("%s\\%s", folder ? folder : "", file);
  CxImage image(0);
  image.Load(path, 0);
  image.IncreaseBpp(24);
  image.SetTransIndex(0);
  image.SetTransColor(CxImage::RGBtoRGBQUAD(0xFF00FF));
  const int width = static_cast<int>(image.GetWidth());
  const int height = static_cast<int>(image.GetHeight());
  CClientDC screen(nullptr);
  CBitmap bitmap;
  if (bitmap.CreateCompatibleBitmap(&screen, width, height)) {
    CDC dc;
    if (dc.CreateCompatibleDC(&screen)) {
      CBitmap* old = dc.SelectObject(&bitmap);
      dc.FillSolidRect(0, 0, width, height, m_Colors[kIconBackColor]);
      image.Draw(dc.GetSafeHdc(), 0, 0, width, height, nullptr, false);
      dc.SelectObject(old);
    }
    icon->SetBitmap(static_cast<HBITMAP>(bitmap.Detach()));
  }
  return icon;
}

bool CMessageProxy::LoadLineIcons(const char* folder) {
  m_pSystemIcon.reset();
  m_pPlayerIcon.reset();
  m_pSpeakerIcon.reset();
  m_pSystemIcon = MakeLineIcon(folder, "system.bmp");
  m_pPlayerIcon = MakeLineIcon(folder, "player.bmp");
  m_pSpeakerIcon = MakeLineIcon(folder, "speaker.bmp");
  return true;
}

bool CMessageProxy::ClearMessages() {
  if (!m_pRichEdit) return false;
  m_pRichEdit->SetSel(0, -1);
  m_pRichEdit->ReplaceSel("", FALSE);
  m_MessageItems.RemoveAll();
  return true;
}

void CMessageProxy::SetAutoScroll(bool on) { m_bAutoScroll = on; }

bool CMessageProxy::IsAttached() { return m_pRichEdit != nullptr; }

bool CMessageProxy::IsReady() { return m_pRichEdit != nullptr; }

bool CMessageProxy::InsertTime(COLORREF color) {
  if (!m_pRichEdit) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  AppendPlainRun(FormatChatTime(now.wHour, now.wMinute, now.wSecond).c_str(), color);
  return true;
}

bool CMessageProxy::InsertSystemMessage(const char* text) {
  if (!m_pRichEdit || !HasText(text)) return false;
  CMessageRunWriter writer(*this);
  ChatColor colors[kChatColorCount];
  ColorTable(m_Colors, colors);
  ComposeSystemLine(writer, colors, text, m_EmotionCodes);
  return true;
}

bool CMessageProxy::InsertRichText(const char* text, COLORREF color, bool newLine) {
  if (!m_pRichEdit || !HasText(text)) return false;
  CMessageRunWriter writer(*this);
  ComposeMarkup(writer, text, color, m_EmotionCodes);
  if (newLine) AppendPlainRun("\r\n", color);
  return true;
}

bool CMessageProxy::InsertPlainText(const char* text, COLORREF color, bool newLine) {
  if (!m_pRichEdit || !HasText(text)) return false;
  AppendPlainRun(text, color);
  if (newLine) AppendPlainRun("\r\n", color);
  return true;
}

bool CMessageProxy::InsertUserMessage(const tagChatUser* user, const char* text, COLORREF color) {
  if (!m_pRichEdit || !user || !HasText(text)) return false;
  CMessageRunWriter writer(*this);
  ChatColor colors[kChatColorCount];
  ColorTable(m_Colors, colors);
  ComposeUserLine(writer, colors, user->dwUserID, user->szName, text, color, m_EmotionCodes);
  return true;
}

bool CMessageProxy::InsertPrivateMessage(const tagChatUser* from, const tagChatUser* to, const char* text,
                                         COLORREF color) {
  if (!m_pRichEdit || !from || !to || !HasText(text)) return false;
  CMessageRunWriter writer(*this);
  ChatColor colors[kChatColorCount];
  ColorTable(m_Colors, colors);
  ComposePrivateLine(writer, colors, from->dwUserID, from->szName, to->dwUserID, to->szName, text, color,
                     m_EmotionCodes);
  return true;
}

bool CMessageProxy::InsertSpeakerMessage(const tagChatUser* user, const char* text) {
  if (!m_pRichEdit || !user || !HasText(text)) return false;
  CMessageRunWriter writer(*this);
  ChatColor colors[kChatColorCount];
  ColorTable(m_Colors, colors);
  ComposeSpeakerLine(writer, colors, user->dwUserID, user->szName, text, m_EmotionCodes);
  return true;
}

bool CMessageProxy::GetMessageItem(int cp, tagMessageItem* out) {
  for (INT_PTR i = 0; i < m_MessageItems.GetSize(); ++i) {
    const tagMessageItem& item = m_MessageItems[i];
    if (item.cpMin <= cp && cp <= item.cpMax) {
      if (out) *out = item;
      return true;
    }
  }
  return false;
}

void CMessageProxy::AfterInsert(const CHARRANGE& saved) {
  if (saved.cpMin != saved.cpMax) {
    CHARRANGE restore = saved;
    m_pRichEdit->SetSel(restore);
  } else if (m_bAutoScroll) {
    m_pRichEdit->PostMessage(WM_VSCROLL, SB_BOTTOM, 0);
  }
}

void CMessageProxy::AppendRun(const char* text, CHARFORMAT2A& format) {
  CHARRANGE saved;
  m_pRichEdit->GetSel(saved);
  m_pRichEdit->SetSel(-1, -1);
  m_pRichEdit->SetSelectionCharFormat(format);
  m_pRichEdit->ReplaceSel(text, FALSE);
  AfterInsert(saved);
}

void CMessageProxy::AppendPlainRun(const char* text, COLORREF color) {
  CHARFORMAT2A format = ColorFormat(color);
  AppendRun(text, format);
}

LONG CMessageProxy::EndPosition() {
  CHARRANGE saved;
  m_pRichEdit->GetSel(saved);
  m_pRichEdit->SetSel(-1, -1);
  CHARRANGE end;
  m_pRichEdit->GetSel(end);
  m_pRichEdit->SetSel(saved);
  return end.cpMin;
}

void CMessageProxy::WriteTag(DWORD userId, const char* tagText, COLORREF color) {
  CHARFORMAT2A format = ColorFormat(color);
  format.dwMask = CFM_COLOR | CFM_PROTECTED;
  format.dwEffects = CFE_PROTECTED;
  tagMessageItem item;
  std::memset(&item, 0, sizeof(item));
  item.cpMin = EndPosition();
  AppendRun(tagText, format);
  item.cpMax = EndPosition();
  item.nType = 1;
  std::snprintf(item.szData, sizeof(item.szData), "%lu", static_cast<unsigned long>(userId));
  m_MessageItems.Add(item);
}

void CMessageProxy::WriteLink(const char* text, const char* href) {
  CHARFORMAT2A format;
  std::memset(&format, 0, sizeof(format));
  format.cbSize = sizeof(format);
  format.dwMask = CFM_LINK;
  format.dwEffects = CFE_LINK;
  tagMessageItem item;
  std::memset(&item, 0, sizeof(item));
  item.cpMin = EndPosition();
  AppendRun(text, format);
  item.cpMax = EndPosition();
  item.nType = 0;
  DbcsCopy(item.szData, sizeof(item.szData), href);
  m_MessageItems.Add(item);
}

void CMessageProxy::InsertEmotion(int index) {
  if (index < 0 || index >= m_Emotions.GetSize()) return;
  UniqueComPtr<IRichEditOle> ole(m_pRichEdit->GetIRichEditOle());
  if (!ole.valid()) return;
  UniqueComPtr<ILockBytes> bytes;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()))) return;
  UniqueComPtr<IStorage> storage;
  if (FAILED(StgCreateDocfileOnILockBytes(bytes.get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0,
                                          storage.put()))) {
    return;
  }
  UniqueComPtr<IOleClientSite> site;
  if (FAILED(ole.get()->GetClientSite(site.put())) || !site.valid()) return;

  // A failure of the component ends the insertion silently.
  UniqueComPtr<IUnknown> unknown;
  if (FAILED(CoCreateInstance(CLSID_AnimatedPicture, nullptr, CLSCTX_ALL, IID_IUnknown,
                              reinterpret_cast<void**>(unknown.put())))) {
    return;
  }
  if (FAILED(OleRun(unknown.get()))) return;
  UniqueComPtr<IAnimatedPicture> picture;
  if (FAILED(unknown.get()->QueryInterface(IID_IAnimatedPicture, reinterpret_cast<void**>(picture.put())))) return;
  const tagEmotion& emotion = m_Emotions[index];
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, emotion.szPath, -1, nullptr, 0);
  if (wideLength <= 0) return;
  UniqueBstr path(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength - 1)));
  if (!path.valid()) return;
  MultiByteToWideChar(CP_ACP, 0, emotion.szPath, -1, path.get(), wideLength);
  if (FAILED(picture.get()->LoadFromFile(path.get()))) return;
  UniqueComPtr<IOleObject> object;
  if (FAILED(unknown.get()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.put())))) return;
  OleSetContainedObject(object.get(), TRUE);
  // Its site, as an OLE container gives it: the picture steps its frames
  // while it has one, and redraws the control through it.
  object.get()->SetClientSite(site.get());
  CLSID clsid;
  if (FAILED(object.get()->GetUserClassID(&clsid))) return;

  REOBJECT reobject;
  std::memset(&reobject, 0, sizeof(reobject));
  reobject.cbStruct = sizeof(reobject);
  reobject.cp = REO_CP_SELECTION;
  reobject.clsid = clsid;
  reobject.poleobj = object.get();
  reobject.pstg = storage.get();
  reobject.polesite = site.get();
  reobject.sizel.cx = reobject.sizel.cy = 0;
  reobject.dvaspect = DVASPECT_CONTENT;
  reobject.dwFlags = REO_BELOWBASELINE;
  reobject.dwUser = 0;

  CHARRANGE saved;
  m_pRichEdit->GetSel(saved);
  m_pRichEdit->SetSel(-1, -1);
  if (FAILED(ole.get()->InsertObject(&reobject))) return;
  SHORT frames = 0;
  picture.get()->GetFrameCount(&frames);
  RedrawWindow(m_pRichEdit->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  AfterInsert(saved);
}

void CMessageProxy::InsertLineIcon(CImageDataObject* icon) {
  if (!icon) return;
  UniqueComPtr<IRichEditOle> ole(m_pRichEdit->GetIRichEditOle());
  if (!ole.valid()) return;
  UniqueComPtr<IOleClientSite> site;
  if (FAILED(ole.get()->GetClientSite(site.put())) || !site.valid()) return;
  REOBJECT reobject;
  if (!icon->GetReObject(&reobject, site.get())) return;
  CHARRANGE saved;
  m_pRichEdit->GetSel(saved);
  m_pRichEdit->SetSel(-1, -1);
  ole.get()->InsertObject(&reobject);
  AfterInsert(saved);
}
