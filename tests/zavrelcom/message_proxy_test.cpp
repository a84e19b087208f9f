// The message proxy writing into a real rich edit control (Wine's riched20):
// text and character format of each run read back, name tags and links,
// the items, the user's selection, the posted scrolls, line icons as
// embedded objects, and the emoticon table. The animated picture component
// is masked as absent for most cases (emoticon codes are matched and left
// out); the last cases register it with regsvr32 and see its objects.
#include "zavrelcom/chat/message_proxy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "afx/afx_richedit.h"
#include "tests/support/anipic/anipic_registration.h"
#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"

namespace {

const COLORREF kGreen = RGB(0, 160, 0);

// A tagChatUser with its name held in the record.
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

// The format of characters [from, to) of the control.
struct RangeFormat {
  COLORREF color;
  DWORD effects;
  DWORD mask;  // attributes the same all over the range
};

// The control's parent: hands every notification of the control (WM_COMMAND
// EN_*, WM_NOTIFY) to onNotify, as a host's handlers see them.
class NotifiedHost : public CWnd {
 public:
  std::function<void()> onNotify;
  int notifications = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if ((message == WM_COMMAND && lParam) || message == WM_NOTIFY) {
      ++notifications;
      if (onNotify) onNotify();
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// The control's IRichEditOle with InsertObject failing while fail is set;
// everything else is the real control's. Answered for EM_GETOLEINTERFACE
// by a subclass of the control (Install).
class FailingRichEditOle : public IRichEditOle {
 public:
  bool fail = true;
  int insertAttempts = 0;

  FailingRichEditOle() = default;
  FailingRichEditOle(const FailingRichEditOle&) = delete;
  FailingRichEditOle& operator=(const FailingRichEditOle&) = delete;
  ~FailingRichEditOle() {
    if (m_edit && IsWindow(m_edit)) {
      SetWindowLongPtrA(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
      RemovePropA(m_edit, "FailingRichEditOle");
    }
  }

  void Install(HWND edit) {
    m_edit = edit;
    SendMessageA(edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(m_real.put()));
    SetPropA(edit, "FailingRichEditOle", this);
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FailingRichEditOle::Proc)));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOle)) {
      *out = this;
      return S_OK;
    }
    return m_real.get()->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetClientSite(LPOLECLIENTSITE* site) override { return m_real.get()->GetClientSite(site); }
  LONG STDMETHODCALLTYPE GetObjectCount() override { return m_real.get()->GetObjectCount(); }
  LONG STDMETHODCALLTYPE GetLinkCount() override { return m_real.get()->GetLinkCount(); }
  HRESULT STDMETHODCALLTYPE GetObject(LONG i, REOBJECT* o, DWORD f) override {
    return m_real.get()->GetObject(i, o, f);
  }
  HRESULT STDMETHODCALLTYPE InsertObject(REOBJECT* o) override {
    ++insertAttempts;
    return fail ? E_FAIL : m_real.get()->InsertObject(o);
  }
  HRESULT STDMETHODCALLTYPE ConvertObject(LONG i, REFCLSID c, LPCSTR t) override {
    return m_real.get()->ConvertObject(i, c, t);
  }
  HRESULT STDMETHODCALLTYPE ActivateAs(REFCLSID a, REFCLSID b) override { return m_real.get()->ActivateAs(a, b); }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCSTR a, LPCSTR b) override { return m_real.get()->SetHostNames(a, b); }
  HRESULT STDMETHODCALLTYPE SetLinkAvailable(LONG i, BOOL a) override { return m_real.get()->SetLinkAvailable(i, a); }
  HRESULT STDMETHODCALLTYPE SetDvaspect(LONG i, DWORD a) override { return m_real.get()->SetDvaspect(i, a); }
  HRESULT STDMETHODCALLTYPE HandsOffStorage(LONG i) override { return m_real.get()->HandsOffStorage(i); }
  HRESULT STDMETHODCALLTYPE SaveCompleted(LONG i, LPSTORAGE s) override { return m_real.get()->SaveCompleted(i, s); }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override { return m_real.get()->InPlaceDeactivate(); }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL on) override { return m_real.get()->ContextSensitiveHelp(on); }
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE* r, DWORD o, LPDATAOBJECT* d) override {
    return m_real.get()->GetClipboardData(r, o, d);
  }
  HRESULT STDMETHODCALLTYPE ImportDataObject(LPDATAOBJECT d, CLIPFORMAT f, HGLOBAL m) override {
    return m_real.get()->ImportDataObject(d, f, m);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<FailingRichEditOle*>(GetPropA(hwnd, "FailingRichEditOle"));
    if (message == EM_GETOLEINTERFACE && lParam) {
      *reinterpret_cast<IRichEditOle**>(lParam) = self;
      return TRUE;
    }
    if (message == WM_NCDESTROY) RemovePropA(hwnd, "FailingRichEditOle");
    return CallWindowProcA(self->m_previous, hwnd, message, wParam, lParam);
  }

  UniqueComPtr<IRichEditOle> m_real;
  HWND m_edit = nullptr;
  WNDPROC m_previous = nullptr;
};

class MessageProxy : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { OleInitialize(nullptr); }

  void SetUp() override {
    absent = std::make_unique<anipic_test::ComponentAbsent>();
    ASSERT_TRUE(AfxInitRichEdit2());
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "chat", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
    ASSERT_TRUE(edit.Create(WS_VISIBLE | ES_MULTILINE | ES_NOHIDESEL, CRect(0, 0, 400, 300), &parent, 100));
    ASSERT_EQ(S_OK, CreateComponent<CMessageProxy>(IID_IMessageProxy, reinterpret_cast<void**>(&proxy)));
    ASSERT_TRUE(proxy->SetRichEditCtrl(&edit));
    DropScrolls();
  }

  void TearDown() override {
    if (proxy) {
      EXPECT_EQ(0u, proxy->Release());
    }
    edit.DestroyWindow();
    parent.DestroyWindow();
  }

  std::string Text() const { return std::string(edit.GetTextRange(0, -1).GetString()); }

  RangeFormat Format(long from, long to) {
    CHARRANGE saved;
    edit.GetSel(saved);
    edit.SetSel(from, to);
    CHARFORMAT2A cf;
    std::memset(&cf, 0, sizeof(cf));
    const DWORD mask = edit.GetSelectionCharFormat(cf);
    edit.SetSel(saved);
    EXPECT_NE(0u, mask & CFM_COLOR) << "more than one colour in " << from << ".." << to;
    return {cf.crTextColor, cf.dwEffects, mask};
  }

  // The WM_VSCROLL requests waiting in the queue for the control, taken.
  int DropScrolls() {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, edit.GetSafeHwnd(), WM_VSCROLL, WM_VSCROLL, PM_REMOVE)) {
      EXPECT_EQ(static_cast<WPARAM>(SB_BOTTOM), msg.wParam);
      ++count;
    }
    return count;
  }

  int ObjectCount() {
    UniqueComPtr<IRichEditOle> ole(edit.GetIRichEditOle());
    return ole.valid() ? ole.get()->GetObjectCount() : -1;
  }

  // The character position of embedded object i.
  LONG ObjectPosition(int i) {
    UniqueComPtr<IRichEditOle> ole(edit.GetIRichEditOle());
    REOBJECT object;
    std::memset(&object, 0, sizeof(object));
    object.cbStruct = sizeof(object);
    if (!ole.valid() || FAILED(ole.get()->GetObject(i, &object, REO_GETOBJ_NO_INTERFACES))) return -1;
    return object.cp;
  }

  // The class id of embedded object i (CLSID_NULL when none).
  CLSID ObjectClass(int i) {
    UniqueComPtr<IRichEditOle> ole(edit.GetIRichEditOle());
    REOBJECT object;
    std::memset(&object, 0, sizeof(object));
    object.cbStruct = sizeof(object);
    if (!ole.valid() || FAILED(ole.get()->GetObject(i, &object, REO_GETOBJ_NO_INTERFACES))) return CLSID_NULL;
    return object.clsid;
  }

  std::unique_ptr<anipic_test::ComponentAbsent> absent;
  NotifiedHost parent;
  CRichEditCtrl edit;
  IMessageProxy* proxy = nullptr;
};

// Writes an emoticon "config.ini" with the given [emN] sections.
void WriteEmotionConfig(const testkit::TempDir& dir, const std::vector<std::string>& codes, const char* count) {
  std::string ini = "[emotion]\r\nCount=" + std::string(count) + "\r\nPagePath=page.bmp\r\n";
  for (std::size_t i = 0; i < codes.size(); ++i) {
    ini += "[em" + std::to_string(i) + "]\r\nemotion=" + codes[i] + "\r\npath=e" + std::to_string(i) +
           ".gif\r\nname=n" + std::to_string(i) + "\r\n";
  }
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("config.ini"), ini));
}

}  // namespace

TEST_F(MessageProxy, AttachingChangesTheStyleAndEveryWriteNeedsAControlAndText) {
  const DWORD style = edit.GetStyle();
  EXPECT_EQ(0u, style & ES_NOHIDESEL);
  EXPECT_NE(0u, style & ES_READONLY);
  EXPECT_NE(0u, style & ES_AUTOVSCROLL);
  EXPECT_TRUE(proxy->IsAttached());
  EXPECT_TRUE(proxy->IsReady());
  EXPECT_FALSE(proxy->SetRichEditCtrl(nullptr));
  EXPECT_FALSE(proxy->SetColors(nullptr));

  const ChatUser tom(1, "Tom");
  EXPECT_FALSE(proxy->InsertSystemMessage(""));
  EXPECT_FALSE(proxy->InsertSystemMessage(nullptr));
  EXPECT_FALSE(proxy->InsertUserMessage(nullptr, "x", 0));
  EXPECT_FALSE(proxy->InsertUserMessage(tom.get(), "", 0));
  EXPECT_FALSE(proxy->InsertPrivateMessage(tom.get(), nullptr, "x", 0));
  EXPECT_FALSE(proxy->InsertSpeakerMessage(tom.get(), nullptr));
  EXPECT_FALSE(proxy->InsertRichText(nullptr, 0, true));
  EXPECT_FALSE(proxy->InsertPlainText("", 0, true));
  EXPECT_EQ("", Text());

  IMessageProxy* detached = nullptr;
  ASSERT_EQ(S_OK, CreateComponent<CMessageProxy>(IID_IMessageProxy, reinterpret_cast<void**>(&detached)));
  EXPECT_FALSE(detached->IsAttached());
  EXPECT_FALSE(detached->InsertTime(0));
  EXPECT_FALSE(detached->InsertPlainText("x", 0, false));
  EXPECT_FALSE(detached->ClearMessages());
  tagMessageItem item;
  EXPECT_FALSE(detached->GetMessageItem(0, &item));
  EXPECT_EQ(0u, detached->Release());
}

TEST_F(MessageProxy, PlayerLineRunsColoursAndTheProtectedNameTag) {
  const ChatUser tom(42, "Tom");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "hi there", kGreen));
  // No icons loaded: blank, tag, "说:", text, line end (one character).
  EXPECT_EQ(" [Tom]说:hi there\r", Text());
  const COLORREF blue = 0xFF0000;
  EXPECT_EQ(blue, Format(0, 1).color);
  const RangeFormat tag = Format(1, 6);
  EXPECT_EQ(blue, tag.color);
  EXPECT_NE(0u, tag.effects & CFE_PROTECTED);
  EXPECT_NE(0u, tag.mask & CFM_PROTECTED);
  EXPECT_EQ(0u, Format(0, 1).effects & CFE_PROTECTED);
  EXPECT_EQ(blue, Format(6, 8).color);
  EXPECT_EQ(kGreen, Format(8, 16).color);
  EXPECT_EQ(kGreen, Format(16, 17).color);

  tagMessageItem item;
  ASSERT_TRUE(proxy->GetMessageItem(1, &item));
  EXPECT_EQ(1, item.cpMin);
  EXPECT_EQ(6, item.cpMax);
  EXPECT_EQ(1, item.nType);
  EXPECT_STREQ("42", item.szData);
  EXPECT_TRUE(proxy->GetMessageItem(6, &item));  // both ends included
  EXPECT_FALSE(proxy->GetMessageItem(0, &item));
  EXPECT_FALSE(proxy->GetMessageItem(7, &item));
}

TEST_F(MessageProxy, PrivateAndSpeakerLinesWithTheirColours) {
  const COLORREF colors[6] = {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4), RGB(5, 5, 5), RGB(6, 6, 6)};
  ASSERT_TRUE(proxy->SetColors(colors));
  const ChatUser a(7, "A"), b(4294967295u, "\xD6\xD0");  // "中"
  ASSERT_TRUE(proxy->InsertPrivateMessage(a.get(), b.get(), "x", kGreen));
  ASSERT_TRUE(proxy->InsertSpeakerMessage(a.get(), "loud"));
  // " [A]对[中]说:x\r [A]说:loud\r": a GBK character is one position.
  EXPECT_EQ(" [A]\xB6\xD4[\xD6\xD0]\xCB\xB5:x\r [A]\xCB\xB5:loud\r", Text());
  EXPECT_EQ(RGB(2, 2, 2), Format(0, 10).color);
  EXPECT_EQ(kGreen, Format(10, 12).color);
  EXPECT_EQ(RGB(5, 5, 5), Format(12, 18).color);
  EXPECT_EQ(RGB(6, 6, 6), Format(18, 23).color);

  tagMessageItem item;
  ASSERT_TRUE(proxy->GetMessageItem(5, &item));  // "[中]" starts at 5
  EXPECT_EQ(5, item.cpMin);
  EXPECT_EQ(8, item.cpMax);
  EXPECT_STREQ("4294967295", item.szData);
  ASSERT_TRUE(proxy->GetMessageItem(14, &item));
  EXPECT_EQ(13, item.cpMin);
  EXPECT_STREQ("7", item.szData);
  // Where two items meet, the first written is found.
  ASSERT_TRUE(proxy->GetMessageItem(4, &item));
  EXPECT_EQ(1, item.cpMin);
}

TEST_F(MessageProxy, SystemNoticeWithALinkAndTheAmpersand) {
  ASSERT_TRUE(proxy->InsertSystemMessage("see <a href=\"http://x/?a=1&b=2\">here</a> & go"));
  EXPECT_EQ(" see here & go\r", Text());
  const RangeFormat link = Format(5, 9);
  EXPECT_NE(0u, link.effects & CFE_LINK);
  EXPECT_EQ(0x0000FFu, Format(1, 5).color);
  EXPECT_EQ(0u, Format(1, 5).effects & CFE_LINK);

  tagMessageItem item;
  ASSERT_TRUE(proxy->GetMessageItem(7, &item));
  EXPECT_EQ(0, item.nType);
  EXPECT_EQ(5, item.cpMin);
  EXPECT_EQ(9, item.cpMax);
  EXPECT_STREQ("http://x/?a=1&b=2", item.szData);

  // A link without text adds an item with cpMin == cpMax, one without href
  // an empty target.
  ASSERT_TRUE(proxy->InsertRichText("<a href='e'></a><a>t</a>", kGreen, false));
  ASSERT_TRUE(proxy->GetMessageItem(15, &item));
  EXPECT_EQ(15, item.cpMin);
  EXPECT_EQ(15, item.cpMax);
  EXPECT_STREQ("e", item.szData);
  ASSERT_TRUE(proxy->GetMessageItem(16, &item));
  EXPECT_STREQ("", item.szData);
  EXPECT_EQ(" see here & go\rt", Text());
}

TEST_F(MessageProxy, HostileMarkupIsWrittenAsFarAsItWasRead) {
  std::string deep = "top<b>";
  for (int i = 0; i < 1000; ++i) deep += "<i>";
  ASSERT_TRUE(proxy->InsertRichText(deep.c_str(), kGreen, true));
  ASSERT_TRUE(proxy->InsertRichText("a < b", kGreen, true));
  ASSERT_TRUE(proxy->InsertRichText("&lt;&#x41;&", kGreen, true));
  ASSERT_TRUE(proxy->InsertRichText("<a href='u'>open", kGreen, true));
  EXPECT_EQ("top\ra \r&lt;&#x41;&\ropen\r", Text());
}

TEST_F(MessageProxy, UserSelectionIsKeptAndNothingScrolls) {
  proxy->SetAutoScroll(true);
  ASSERT_TRUE(proxy->InsertPlainText("first line", kGreen, true));
  EXPECT_EQ(2, DropScrolls());  // the text and the line end
  edit.SetSel(2, 5);
  const ChatUser tom(1, "Tom");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "hello", kGreen));
  long from = 0, to = 0;
  edit.GetSel(from, to);
  EXPECT_EQ(2, from);
  EXPECT_EQ(5, to);
  EXPECT_EQ(0, DropScrolls());
  tagMessageItem item;
  ASSERT_TRUE(proxy->GetMessageItem(12, &item));  // the tag's position despite the selection
  EXPECT_EQ(12, item.cpMin);
  EXPECT_EQ(17, item.cpMax);
}

TEST_F(MessageProxy, OneScrollPostedPerRunWithAutoScroll) {
  const ChatUser tom(1, "Tom");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "a/b", kGreen));
  EXPECT_EQ(0, DropScrolls());  // off by default
  proxy->SetAutoScroll(true);
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "a/b", kGreen));
  EXPECT_EQ(5, DropScrolls());  // blank, tag, "说:", text, line end
  ASSERT_TRUE(proxy->InsertSystemMessage("x<a href='h'>y</a>z"));
  EXPECT_EQ(5, DropScrolls());  // blank, x, link, z, line end
  proxy->SetAutoScroll(false);
  ASSERT_TRUE(proxy->InsertTime(kGreen));
  EXPECT_EQ(0, DropScrolls());
}

TEST_F(MessageProxy, TimeStampOfTheLocalClock) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    ASSERT_TRUE(proxy->ClearMessages());
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    ASSERT_TRUE(proxy->InsertTime(kGreen));
    GetLocalTime(&after);
    if (before.wSecond != after.wSecond) continue;  // the second turned meanwhile
    char expected[32];
    std::snprintf(expected, sizeof(expected), "\xA3\xDB%02d:%02d:%02d\xA3\xDD", before.wHour, before.wMinute,
                  before.wSecond);
    EXPECT_EQ(expected, Text());
    EXPECT_EQ(kGreen, Format(0, 10).color);
    return;
  }
  FAIL() << "the clock kept turning";
}

TEST_F(MessageProxy, ClearEmptiesTextAndItems) {
  const ChatUser tom(1, "Tom");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "x", kGreen));
  tagMessageItem item;
  ASSERT_TRUE(proxy->GetMessageItem(2, &item));
  ASSERT_TRUE(proxy->ClearMessages());
  EXPECT_EQ("", Text());
  EXPECT_FALSE(proxy->GetMessageItem(2, &item));
}

TEST_F(MessageProxy, LineIconsAreEmbeddedAtTheStartOfEachLine) {
  const ChatUser tom(1, "Tom");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "before", kGreen));
  EXPECT_EQ(0, ObjectCount());  // no icons yet

  testkit::TempDir dir;
  const COLORREF magenta = RGB(255, 0, 255);
  const std::vector<COLORREF> pixels = {magenta, RGB(200, 0, 0), RGB(0, 200, 0), magenta};
  for (const char* name : {"system.bmp", "player.bmp", "speaker.bmp"}) {
    ASSERT_TRUE(testkit::WriteFileBytes(dir.file(name), picture_files::Bmp24(2, 2, pixels)));
  }
  ASSERT_TRUE(proxy->LoadLineIcons(dir.path().string().c_str()));
  const long start = edit.GetTextLengthEx(GTL_NUMCHARS | GTL_PRECISE, 1200);
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "after", kGreen));
  ASSERT_TRUE(proxy->InsertSystemMessage("note"));
  ASSERT_EQ(2, ObjectCount());
  EXPECT_EQ(start, ObjectPosition(0));
  const LONG second = ObjectPosition(1);
  EXPECT_EQ(" note\r", std::string(edit.GetTextRange(second + 1, -1).GetString()));
  // The tag comes after the icon and the blank.
  tagMessageItem item;
  ASSERT_TRUE(proxy->GetMessageItem(start + 2, &item));
  EXPECT_EQ(start + 2, item.cpMin);

  // Missing files still give (empty) icons; a missing folder too.
  ASSERT_TRUE(proxy->LoadLineIcons((dir.path().string() + "\\none").c_str()));
  ASSERT_TRUE(proxy->InsertSystemMessage("x"));
  EXPECT_GE(ObjectCount(), 2);
}

TEST_F(MessageProxy, EmoticonCodesAreTakenOutWhenTheComponentIsMissing) {
  testkit::TempDir dir;
  WriteEmotionConfig(dir, {"/smile", "/s", ""}, "3");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  const ChatUser tom(1, "Tom");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "Hi /smile/smile/sx/y", kGreen));
  EXPECT_EQ(" [Tom]\xCB\xB5:Hi x/y\r", Text());
  EXPECT_EQ(0, ObjectCount());
  EXPECT_EQ(3, absent->attempts());  // each creation was tried and failed silently
  // Plain text keeps its codes.
  ASSERT_TRUE(proxy->InsertPlainText("/smile", kGreen, false));
  EXPECT_EQ(" [Tom]\xCB\xB5:Hi x/y\r/smile", Text());
}

TEST_F(MessageProxy, EmoticonCodeCutTo15BytesKeepsDoubleByteCharactersWhole) {
  // "/abcdefghijklm" is 14 bytes; the GBK character after it does not fit
  // in 15, so the code is the 14 bytes (not 14 and a lone lead byte).
  testkit::TempDir dir;
  WriteEmotionConfig(dir, {"/abcdefghijklm\xD6\xD0"}, "1 ; one emoticon");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  const ChatUser tom(1, "T");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "<x/abcdefghijklmy>", kGreen));
  EXPECT_EQ(" [T]\xCB\xB5:<xy>\r", Text());
}

TEST_F(MessageProxy, LargeTextsAndDoubleByteTextAroundCodes) {
  testkit::TempDir dir;
  std::vector<std::string> codes;
  for (int i = 0; i < 200; ++i) codes.push_back("/e" + std::to_string(i) + "x");
  WriteEmotionConfig(dir, codes, "200");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  const ChatUser tom(1, "T");
  const std::string slashes(4000, '/');
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), slashes.c_str(), kGreen));
  EXPECT_EQ(" [T]\xCB\xB5:" + slashes + "\r", Text());
  ASSERT_TRUE(proxy->ClearMessages());
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "\xD6\xD0/e7x\xCE\xC4/e199x/e200x", kGreen));
  EXPECT_EQ(" [T]\xCB\xB5:\xD6\xD0\xCE\xC4/e200x\r", Text());
}

TEST_F(MessageProxy, EmoticonsAreEmbeddedAsAnimatedPictureObjects) {
  absent.reset();
  ASSERT_EQ(0, anipic_test::RunRegsvr32(false));
  testkit::TempDir dir;
  picture_files::GifFrame a, b;
  a.indices.assign(4, 0);
  b.indices.assign(4, 1);
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("e0.gif"),
                                      picture_files::Gif(2, 2, {RGB(255, 0, 0), RGB(0, 0, 255), 0, 0}, {a, b})));
  // e1.gif is missing: that emoticon fails in the component and is left out.
  WriteEmotionConfig(dir, {"/ok", "/no"}, "2");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  proxy->SetAutoScroll(true);
  const ChatUser tom(1, "T");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "a/ok/nob/ok", kGreen));
  ASSERT_EQ(2, ObjectCount());
  // " [T]说:a" is 7 positions; each object takes one.
  EXPECT_EQ(7, ObjectPosition(0));
  EXPECT_EQ(9, ObjectPosition(1));
  EXPECT_TRUE(IsEqualCLSID(CLSID_AnimatedPicture, ObjectClass(0)));
  EXPECT_EQ("b", std::string(edit.GetTextRange(8, 9).GetString()));
  // Runs " ", tag, "说:", "a", "b", line end, and the two pictures.
  EXPECT_EQ(8, DropScrolls());
  UniqueComPtr<IRichEditOle> ole(edit.GetIRichEditOle());
  REOBJECT object;
  std::memset(&object, 0, sizeof(object));
  object.cbStruct = sizeof(object);
  ASSERT_EQ(S_OK, ole.get()->GetObject(0, &object, REO_GETOBJ_POLEOBJ));
  UniqueComPtr<IOleObject> embedded(object.poleobj);
  EXPECT_NE(0u, object.dwFlags & REO_BELOWBASELINE);
  UniqueComPtr<IAnimatedPicture> picture;
  ASSERT_EQ(S_OK, embedded.get()->QueryInterface(IID_IAnimatedPicture, reinterpret_cast<void**>(picture.put())));
  SHORT frames = 0;
  EXPECT_EQ(S_OK, picture.get()->GetFrameCount(&frames));
  EXPECT_EQ(2, frames);
}

TEST_F(MessageProxy, EmoticonTableIsBoundByTheRecordsPresent) {
  // An absurd Count with two records: the table holds what the file has
  // (no allocation of two billion records, no exception into the host).
  testkit::TempDir dir;
  WriteEmotionConfig(dir, {"/a", "/b"}, "2000000000");
  EXPECT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  const ChatUser tom(1, "T");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "x/a/b/c", kGreen));
  EXPECT_EQ(" [T]\xCB\xB5:x/c\r", Text());
  EXPECT_EQ(2, absent->attempts());

  // A gap keeps its index: em1 is missing, em2 is still emoticon 2.
  std::string ini = "[emotion]\r\nCount=99\r\n[em0]\r\nemotion=/a\r\n[EM2]\r\nemotion=/c\r\n";
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("config.ini"), ini));
  EXPECT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  ASSERT_TRUE(proxy->ClearMessages());
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "/a/b/c", kGreen));
  EXPECT_EQ(" [T]\xCB\xB5:/b\r", Text());
}

TEST_F(MessageProxy, HostReleasingTheProxyInANotificationKeepsItForTheCall) {
  edit.SetEventMask(ENM_CHANGE | ENM_SELCHANGE | ENM_UPDATE | ENM_PROTECTED);
  ULONG countInHandler = 99;
  parent.onNotify = [&] {
    if (!proxy) return;
    IMessageProxy* last = proxy;
    proxy = nullptr;
    countInHandler = last->Release();  // the host's only reference
  };
  const ChatUser tom(1, "Tom");
  IMessageProxy* writing = proxy;
  EXPECT_TRUE(writing->InsertUserMessage(tom.get(), "hello", kGreen));
  ASSERT_GT(parent.notifications, 0);
  EXPECT_EQ(1u, countInHandler);                // its own call still held it
  EXPECT_EQ(" [Tom]\xCB\xB5:hello\r", Text());  // and the line was finished
}

TEST_F(MessageProxy, HostClearingInEveryNotificationDropsTheRestOfTheLine) {
  testkit::TempDir dir;
  const std::vector<COLORREF> pixels(4, RGB(200, 0, 0));
  for (const char* name : {"system.bmp", "player.bmp", "speaker.bmp"}) {
    ASSERT_TRUE(testkit::WriteFileBytes(dir.file(name), picture_files::Bmp24(2, 2, pixels)));
  }
  ASSERT_TRUE(proxy->LoadLineIcons(dir.path().string().c_str()));
  WriteEmotionConfig(dir, {"/ok"}, "1");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  edit.SetEventMask(ENM_CHANGE | ENM_SELCHANGE | ENM_UPDATE | ENM_PROTECTED);
  const ChatUser tom(1, "Tom"), ann(2, "Ann");
  const std::vector<std::function<bool()>> lines = {
      [&] { return proxy->InsertUserMessage(tom.get(), "a/okb", kGreen); },
      [&] { return proxy->InsertPrivateMessage(tom.get(), ann.get(), "c", kGreen); },
      [&] { return proxy->InsertSystemMessage("see <a href='x'>here</a>"); },
      [&] { return proxy->InsertRichText("r", kGreen, true); },
  };
  // A host that clears at every notification, and one that clears at the
  // n-th notification of a line only: what comes after the clear belongs to
  // the cleared line and is dropped, so nothing of it and no item pointing
  // into cleared text is left.
  for (int n = 0; n < 12; ++n) {
    for (std::size_t line = 0; line < lines.size(); ++line) {
      int seen = 0;
      parent.onNotify = [&] {
        if (n == 0 || ++seen == n) {
          EXPECT_TRUE(proxy->ClearMessages());
        }
      };
      EXPECT_TRUE(lines[line]());
      parent.onNotify = nullptr;
      if (n > 0 && seen < n) {  // the line sent fewer notifications
        ASSERT_TRUE(proxy->ClearMessages());
        continue;
      }
      EXPECT_EQ("", Text()) << "line " << line << ", cleared at notification " << n;
      tagMessageItem item;
      for (int cp = 0; cp < 40; ++cp) EXPECT_FALSE(proxy->GetMessageItem(cp, &item)) << line << " " << n << " " << cp;
    }
  }
  const ChatUser tomAgain(1, "Tom");
  tagMessageItem item;

  // Without the handler the proxy writes on as before.
  parent.onNotify = nullptr;
  ASSERT_TRUE(proxy->InsertUserMessage(tomAgain.get(), "d", kGreen));
  EXPECT_EQ(" [Tom]\xCB\xB5:d\r", std::string(edit.GetTextRange(1, -1).GetString()));
  EXPECT_TRUE(proxy->GetMessageItem(3, &item));
}

TEST_F(MessageProxy, FailedEmoticonInsertionKeepsTheUserSelection) {
  absent.reset();
  ASSERT_EQ(0, anipic_test::RunRegsvr32(false));
  testkit::TempDir dir;
  picture_files::GifFrame a;
  a.indices.assign(4, 0);
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("e0.gif"), picture_files::Gif(2, 2, {RGB(255, 0, 0), 0, 0, 0}, {a})));
  WriteEmotionConfig(dir, {"/ok"}, "1");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  ASSERT_TRUE(proxy->InsertPlainText("some text here", kGreen, true));
  FailingRichEditOle failing;
  failing.Install(edit.GetSafeHwnd());
  edit.SetSel(2, 6);
  const ChatUser tom(1, "T");
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "x/oky", kGreen));
  EXPECT_EQ(1, failing.insertAttempts);
  long from = 0, to = 0;
  edit.GetSel(from, to);
  EXPECT_EQ(2, from);
  EXPECT_EQ(6, to);
  EXPECT_EQ(0, ObjectCount());
}

TEST_F(MessageProxy, AnimatedEmoticonsShareFramesTimerAndWindow) {
  // Lines of 2,000 codes of one animated emoticon: the GDI objects and
  // windows of the process stay within a small bound however many pictures
  // are shown, and return to where they were when the messages are cleared.
  absent.reset();
  ASSERT_EQ(0, anipic_test::RunRegsvr32(false));
  testkit::TempDir dir;
  std::vector<picture_files::GifFrame> frames(4);
  for (int i = 0; i < 4; ++i) frames[i].indices.assign(16, static_cast<unsigned char>(i));
  ASSERT_TRUE(testkit::WriteFileBytes(
      dir.file("e0.gif"), picture_files::Gif(4, 4, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), 0}, frames)));
  WriteEmotionConfig(dir, {"/ok"}, "1");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  edit.ShowWindow(SW_SHOW);
  parent.ShowWindow(SW_SHOW);
  const ChatUser tom(1, "T");
  // One picture first, stepping a few frames: what the control, the
  // component and the system's DC cache make once.
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "/ok", kGreen));
  testkit::PumpMessagesFor(300);
  ASSERT_TRUE(proxy->ClearMessages());
  ASSERT_TRUE(testkit::PumpUntilIdle());
  const testkit::GuiCounts before = testkit::GuiObjectCounts();
  ASSERT_GE(before.gdi, 0);

  std::string codes;
  for (int i = 0; i < 2000; ++i) codes += "/ok";
  for (int line = 0; line < 10; ++line) ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), codes.c_str(), kGreen));
  EXPECT_EQ(static_cast<int>(10 * kMaxEmoticonsPerLine), ObjectCount());
  testkit::PumpMessagesFor(300);  // a few frames step and are drawn
  const testkit::GuiCounts during = testkit::GuiObjectCounts();
  EXPECT_LE(during.gdi, before.gdi + 8);
  EXPECT_LE(during.user, before.user + 1);

  ASSERT_TRUE(proxy->ClearMessages());
  ASSERT_TRUE(testkit::PumpUntilIdle());
  const testkit::GuiCounts after = testkit::GuiObjectCounts();
  EXPECT_EQ(before.gdi, after.gdi);
  EXPECT_EQ(before.user, after.user);
}

TEST_F(MessageProxy, AnimatedEmoticonRedrawsItsFramesInTheControl) {
  // The frames step on the clock and the control shows each one: read back
  // where the picture stands in the window.
  absent.reset();
  ASSERT_EQ(0, anipic_test::RunRegsvr32(false));
  testkit::TempDir dir;
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  std::vector<picture_files::GifFrame> frames(2);
  frames[0].indices.assign(64, 0);
  frames[1].indices.assign(64, 1);
  ASSERT_TRUE(testkit::WriteFileBytes(dir.file("e0.gif"), picture_files::Gif(8, 8, {red, blue, 0, 0}, frames)));
  WriteEmotionConfig(dir, {"/ok"}, "1");
  ASSERT_TRUE(proxy->LoadEmotions(dir.path().string().c_str()));
  parent.ShowWindow(SW_SHOW);
  const ChatUser tom(1, "T");
  ASSERT_TRUE(proxy->InsertPlainText("some lines\r\nbefore it\r\n", kGreen, false));
  ASSERT_TRUE(proxy->InsertUserMessage(tom.get(), "a/okb", kGreen));
  ASSERT_EQ(1, ObjectCount());
  POINTL at = {};
  edit.SendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), ObjectPosition(0));
  UpdateWindow(edit.GetSafeHwnd());
  // Drawn straight into the control, and, with a selection shown, by the
  // control's own repaint.
  for (bool selection : {false, true}) {
    if (selection) edit.SetSel(0, 4);
    std::vector<COLORREF> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 3000 && seen.size() < 3) {
      testkit::PumpMessagesFor(15);
      HDC dc = GetDC(edit.GetSafeHwnd());
      // The picture stands on the baseline: look inside its lower half.
      COLORREF c = CLR_INVALID;
      for (int dy = 0; dy < 24 && c != red && c != blue; ++dy) c = GetPixel(dc, at.x + 3, at.y + dy);
      ReleaseDC(edit.GetSafeHwnd(), dc);
      if ((c == red || c == blue) && (seen.empty() || seen.back() != c)) seen.push_back(c);
    }
    EXPECT_GE(seen.size(), 3u) << "the frames were not redrawn in the control; selection " << selection;
  }
}
