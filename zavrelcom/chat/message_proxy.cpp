#include "zavrelcom/chat/message_proxy.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "afx/afx_gdi.h"
#include "base/no_throw.h"
#include "base/win_owners.h"
#include "support/anipic/animated_picture.h"
#include "support/dravik/ini_file.h"
#include "support/dravik/ximage.h"
#include "zavrelcom/server/dbcs_text.h"

// The rich edit control as the chat composition's writer, for one line.
// The control sends the host its notifications (EN_CHANGE, EN_SELCHANGE,
// ...) during the EM_* calls; a host that clears the messages there ends
// the line: nothing after the clear is written.
class CMessageRunWriter : public IChatRunWriter {
 public:
  explicit CMessageRunWriter(CMessageProxy& proxy) : m_proxy(proxy), m_clears(proxy.m_nClears) {}

  void WriteRun(const char* text, std::size_t length, ChatColor color) override {
    if (Ended()) return;
    m_proxy.AppendPlainRun(std::string(text, length).c_str(), color, m_clears);
  }
  void WriteTag(std::uint32_t userId, const std::string& tagText, ChatColor color) override {
    if (Ended()) return;
    m_proxy.WriteTag(userId, tagText.c_str(), color, m_clears);
  }
  void WriteLink(const std::string& text, const std::string& href) override {
    if (Ended()) return;
    m_proxy.WriteLink(text.c_str(), href.c_str(), m_clears);
  }
  void WriteEmoticon(int index) override {
    if (Ended()) return;
    m_proxy.InsertEmotion(index, m_clears);
  }
  void WriteIcon(ChatIcon icon) override {
    if (Ended()) return;
    switch (icon) {
      case ChatIcon::System:
        m_proxy.InsertLineIcon(m_proxy.m_pSystemIcon.get(), m_clears);
        break;
      case ChatIcon::Player:
        m_proxy.InsertLineIcon(m_proxy.m_pPlayerIcon.get(), m_clears);
        break;
      case ChatIcon::Speaker:
        m_proxy.InsertLineIcon(m_proxy.m_pSpeakerIcon.get(), m_clears);
        break;
    }
  }

  // Writes one chat line through compose(writer, colors, codes), with the
  // proxy held for the line (a host may release it in a notification) and
  // the colours and emoticon table as they stand when the line starts.
  template <class Compose>
  static bool Line(CMessageProxy& proxy, Compose&& compose);

 private:
  bool Ended() const { return m_proxy.m_nClears != m_clears; }

  CMessageProxy& m_proxy;
  const unsigned m_clears;
};

namespace {

bool HasText(const char* text) { return text && *text; }

// The highest index below count of the sections "em<i>" the file holds,
// plus one: the records present, so an absurd Count allocates nothing.
int PresentEmotionRecords(const char* iniPath, int count) {
  if (count <= 0) return 0;
  std::vector<char> names(4096);
  for (;;) {
    const DWORD n = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), iniPath);
    if (n + 2 < names.size() || names.size() >= (1u << 26)) break;
    names.resize(names.size() * 4);
  }
  int present = 0;
  for (const char* name = names.data(); *name; name += std::strlen(name) + 1) {
    if ((name[0] != 'e' && name[0] != 'E') || (name[1] != 'm' && name[1] != 'M')) continue;
    const char* digits = name + 2;
    if (!*digits || (digits[0] == '0' && digits[1])) continue;  // "%d" spells no leading zero
    long long index = 0;
    const char* d = digits;
    for (; *d >= '0' && *d <= '9' && index < count; ++d) index = index * 10 + (*d - '0');
    if (*d || index >= count) continue;
    if (index + 1 > present) present = static_cast<int>(index + 1);
  }
  return present;
}

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

template <class Compose>
bool CMessageRunWriter::Line(CMessageProxy& proxy, Compose&& compose) {
  return NoThrow(false, [&] {
    CallReference hold(&proxy);
    const std::shared_ptr<const EmoticonMatcher> codes = proxy.m_EmotionCodes;
    CMessageRunWriter writer(proxy);
    ChatColor colors[kChatColorCount];
    ColorTable(proxy.m_Colors, colors);
    compose(writer, colors, *codes);
    return true;
  });
}

CMessageProxy::CMessageProxy() : m_EmotionCodes(std::make_shared<EmoticonMatcher>()) {
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
  return NoThrow(true, [&] {
    LoadEmotionTable(folder);
    return true;
  });
}

void CMessageProxy::LoadEmotionTable(const char* folder) {
  m_Emotions.RemoveAll();
  // A line being written keeps the table it started with.
  m_EmotionCodes = std::make_shared<EmoticonMatcher>();
  auto codes = std::make_shared<EmoticonMatcher>();
  const CString base = folder ? folder : "";
  const CString iniPath = base + "\\config.ini";
  CIniFile ini(iniPath, 4096);
  int count = static_cast<int>(ini.GetInt("emotion", "Count", 0));
  count = PresentEmotionRecords(iniPath, count);
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
    codes->Add(e.szCode);
  }
  m_EmotionCodes = std::move(codes);
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
  return NoThrow(true, [&] {
    m_pSystemIcon.reset();
    m_pPlayerIcon.reset();
    m_pSpeakerIcon.reset();
    m_pSystemIcon = MakeLineIcon(folder, "system.bmp");
    m_pPlayerIcon = MakeLineIcon(folder, "player.bmp");
    m_pSpeakerIcon = MakeLineIcon(folder, "speaker.bmp");
    return true;
  });
}

bool CMessageProxy::ClearMessages() {
  if (!m_pRichEdit) return false;
  // A line being written ends here; a clear asked for from a notification
  // of this clear is this clear.
  ++m_nClears;
  if (m_bClearing) return true;
  return NoThrow(false, [&] {
    CallReference hold(this);
    m_bClearing = true;
    m_pRichEdit->SetSel(0, -1);
    m_pRichEdit->ReplaceSel("", FALSE);
    m_MessageItems.RemoveAll();
    m_bClearing = false;
    return true;
  });
}

void CMessageProxy::SetAutoScroll(bool on) { m_bAutoScroll = on; }

bool CMessageProxy::IsAttached() { return m_pRichEdit != nullptr; }

bool CMessageProxy::IsReady() { return m_pRichEdit != nullptr; }

bool CMessageProxy::InsertTime(COLORREF color) {
  if (!m_pRichEdit) return false;
  return NoThrow(false, [&] {
    CallReference hold(this);
    SYSTEMTIME now;
    GetLocalTime(&now);
    AppendPlainRun(FormatChatTime(now.wHour, now.wMinute, now.wSecond).c_str(), color, m_nClears);
    return true;
  });
}

bool CMessageProxy::InsertSystemMessage(const char* text) {
  if (!m_pRichEdit || !HasText(text)) return false;
  return CMessageRunWriter::Line(
      *this, [&](auto& writer, auto colors, auto& codes) { ComposeSystemLine(writer, colors, text, codes); });
}

bool CMessageProxy::InsertRichText(const char* text, COLORREF color, bool newLine) {
  if (!m_pRichEdit || !HasText(text)) return false;
  return CMessageRunWriter::Line(*this, [&](auto& writer, auto /*colors*/, auto& codes) {
    std::size_t budget = kMaxEmoticonsPerLine;
    ComposeMarkup(writer, text, color, codes, &budget);
    if (newLine) writer.WriteRun("\r\n", 2, color);
  });
}

bool CMessageProxy::InsertPlainText(const char* text, COLORREF color, bool newLine) {
  if (!m_pRichEdit || !HasText(text)) return false;
  return NoThrow(false, [&] {
    CallReference hold(this);
    const unsigned clears = m_nClears;
    AppendPlainRun(text, color, clears);
    if (newLine) AppendPlainRun("\r\n", color, clears);
    return true;
  });
}

bool CMessageProxy::InsertUserMessage(const tagChatUser* user, const char* text, COLORREF color) {
  if (!m_pRichEdit || !user || !HasText(text)) return false;
  return CMessageRunWriter::Line(*this, [&](auto& writer, auto colors, auto& codes) {
    ComposeUserLine(writer, colors, user->dwUserID, user->szName, text, color, codes);
  });
}

bool CMessageProxy::InsertPrivateMessage(const tagChatUser* from, const tagChatUser* to, const char* text,
                                         COLORREF color) {
  if (!m_pRichEdit || !from || !to || !HasText(text)) return false;
  return CMessageRunWriter::Line(*this, [&](auto& writer, auto colors, auto& codes) {
    ComposePrivateLine(writer, colors, from->dwUserID, from->szName, to->dwUserID, to->szName, text, color, codes);
  });
}

bool CMessageProxy::InsertSpeakerMessage(const tagChatUser* user, const char* text) {
  if (!m_pRichEdit || !user || !HasText(text)) return false;
  return CMessageRunWriter::Line(*this, [&](auto& writer, auto colors, auto& codes) {
    ComposeSpeakerLine(writer, colors, user->dwUserID, user->szName, text, codes);
  });
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

void CMessageProxy::AfterInsert(const CHARRANGE& saved, unsigned clears) {
  if (m_nClears != clears) return;  // the text the selection was in is gone
  if (saved.cpMin != saved.cpMax) {
    CHARRANGE restore = saved;
    m_pRichEdit->SetSel(restore);
  } else if (m_bAutoScroll) {
    m_pRichEdit->PostMessage(WM_VSCROLL, SB_BOTTOM, 0);
  }
}

bool CMessageProxy::AppendRun(const char* text, CHARFORMAT2A& format, unsigned clears) {
  CHARRANGE saved;
  m_pRichEdit->GetSel(saved);
  m_pRichEdit->SetSel(-1, -1);
  if (m_nClears != clears) return false;
  m_pRichEdit->SetSelectionCharFormat(format);
  if (m_nClears != clears) return false;
  m_pRichEdit->ReplaceSel(text, FALSE);
  AfterInsert(saved, clears);
  return m_nClears == clears;
}

void CMessageProxy::AppendPlainRun(const char* text, COLORREF color, unsigned clears) {
  CHARFORMAT2A format = ColorFormat(color);
  AppendRun(text, format, clears);
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

void CMessageProxy::WriteTag(DWORD userId, const char* tagText, COLORREF color, unsigned clears) {
  CHARFORMAT2A format = ColorFormat(color);
  format.dwMask = CFM_COLOR | CFM_PROTECTED;
  format.dwEffects = CFE_PROTECTED;
  tagMessageItem item;
  std::memset(&item, 0, sizeof(item));
  item.cpMin = EndPosition();
  if (!AppendRun(tagText, format, clears)) return;
  item.cpMax = EndPosition();
  if (m_nClears != clears) return;  // the span is gone
  item.nType = 1;
  std::snprintf(item.szData, sizeof(item.szData), "%lu", static_cast<unsigned long>(userId));
  m_MessageItems.Add(item);
}

void CMessageProxy::WriteLink(const char* text, const char* href, unsigned clears) {
  CHARFORMAT2A format;
  std::memset(&format, 0, sizeof(format));
  format.cbSize = sizeof(format);
  format.dwMask = CFM_LINK;
  format.dwEffects = CFE_LINK;
  tagMessageItem item;
  std::memset(&item, 0, sizeof(item));
  item.cpMin = EndPosition();
  if (!AppendRun(text, format, clears)) return;
  item.cpMax = EndPosition();
  if (m_nClears != clears) return;
  item.nType = 0;
  DbcsCopy(item.szData, sizeof(item.szData), href);
  m_MessageItems.Add(item);
}

void CMessageProxy::InsertEmotion(int index, unsigned clears) {
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
  // The path is read now: the table may change under later calls.
  char pathText[sizeof(m_Emotions[index].szPath)];
  std::memcpy(pathText, m_Emotions[index].szPath, sizeof(pathText));
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, pathText, -1, nullptr, 0);
  if (wideLength <= 0) return;
  UniqueBstr path(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength - 1)));
  if (!path.valid()) return;
  MultiByteToWideChar(CP_ACP, 0, pathText, -1, path.get(), wideLength);
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
  if (m_nClears != clears) return;
  if (FAILED(ole.get()->InsertObject(&reobject))) {
    // Nothing was inserted: the user's selection comes back all the same.
    AfterInsert(saved, clears);
    return;
  }
  SHORT frames = 0;
  picture.get()->GetFrameCount(&frames);
  RedrawWindow(m_pRichEdit->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  AfterInsert(saved, clears);
}

void CMessageProxy::InsertLineIcon(CImageDataObject* icon, unsigned clears) {
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
  if (m_nClears != clears) return;
  ole.get()->InsertObject(&reobject);
  AfterInsert(saved, clears);
}
