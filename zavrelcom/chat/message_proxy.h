// CMessageProxy: the chat output. The host attaches a rich edit control and
// hands the proxy chat events (system notices, player, private and
// loudspeaker lines, time stamps, free text); the proxy writes them with
// colours, clickable name tags and links, emoticons and line icons.
//
// Created through DllGetClassObject with CLSID_MessageProxy; answers
// IID_IMessageProxy and IID_IUnknownEx.
//
// Every piece is appended at the end of the control as its own run: the
// run's character format is set on the empty selection at the end, the
// text replaces it (not undoable), then the user's selection is restored
// when it was not empty, and otherwise, with auto-scroll on, one
// WM_VSCROLL/SB_BOTTOM is posted to the control. Name tags are protected;
// name tags and links are remembered (m_MessageItems) for GetMessageItem.
// Emoticon codes are replaced by pictures of the animated picture component
// (support/anipic/animated_picture.h), silently left out where it is not
// registered. Marked-up text: zavrelcom/chat/markup_walk.h.
//
// Ownership: the control belongs to the host and must outlive its use here
// (the proxy never touches it after the host detaches it by destroying the
// proxy); the three line icons belong to the proxy.
#pragma once

#include <memory>

#include "afx/afx_coll.h"
#include "afx/afx_richedit.h"
#include "zavrelcom/chat/chat_compose.h"
#include "zavrelcom/chat/emoticon_scan.h"
#include "zavrelcom/chat/image_data_object.h"
#include "zavrelcom/emotion/emotion.h"
#include "zavrelcom/server/component.h"
#include "zavrelcom/server/unknown_ex.h"

// {6416B6C4-E4AF-4692-A55C-1576AC0B1084}
inline constexpr GUID CLSID_MessageProxy = {
    0x6416B6C4, 0xE4AF, 0x4692, {0xA5, 0x5C, 0x15, 0x76, 0xAC, 0x0B, 0x10, 0x84}};
// {DA60893D-FB94-41AD-87A9-C8F3E32BDE3C}
inline constexpr GUID IID_IMessageProxy = {
    0xDA60893D, 0xFB94, 0x41AD, {0x87, 0xA9, 0xC8, 0xF3, 0xE3, 0x2B, 0xDE, 0x3C}};

// One clickable span written by the proxy (268 bytes).
struct tagMessageItem {
  LONG cpMin;        // first character position of the span
  LONG cpMax;        // position just after it
  LONG nType;        // 0 link, 1 user name tag
  char szData[256];  // the link's address, or the user id in decimal
};
static_assert(sizeof(tagMessageItem) == 268, "tagMessageItem is 268 bytes");

// The user of a name tag: the id, then the NUL-terminated name held in the
// record itself (the record is as long as the name needs).
struct tagChatUser {
  DWORD dwUserID;
  char szName[1];
};

// Slots 0 to 2 are IUnknownEx's.
class IMessageProxy : public IUnknownEx {
 public:
  virtual bool SetRichEditCtrl(CRichEditCtrl* ctrl) = 0;                                          // 3
  virtual bool SetColors(const COLORREF* colors) = 0;                                             // 4: six colours
  virtual bool LoadEmotions(const char* folder) = 0;                                              // 5
  virtual bool LoadLineIcons(const char* folder) = 0;                                             // 6
  virtual bool ClearMessages() = 0;                                                               // 7
  virtual void SetAutoScroll(bool on) = 0;                                                        // 8
  virtual bool IsAttached() = 0;                                                                  // 9
  virtual bool IsReady() = 0;                                                                     // 10
  virtual bool InsertTime(COLORREF color) = 0;                                                    // 11
  virtual bool InsertSystemMessage(const char* text) = 0;                                         // 12
  virtual bool InsertRichText(const char* text, COLORREF color, bool newLine) = 0;                // 13
  virtual bool InsertPlainText(const char* text, COLORREF color, bool newLine) = 0;               // 14
  virtual bool InsertUserMessage(const tagChatUser* user, const char* text, COLORREF color) = 0;  // 15
  virtual bool InsertPrivateMessage(const tagChatUser* from, const tagChatUser* to, const char* text,
                                    COLORREF color) = 0;                             // 16
  virtual bool InsertSpeakerMessage(const tagChatUser* user, const char* text) = 0;  // 17
  virtual bool GetMessageItem(int cp, tagMessageItem* out) = 0;                      // 18

 protected:
  ~IMessageProxy() = default;
};

class CMessageProxy : public CComponentT<IMessageProxy, CMessageProxy> {
 public:
  static constexpr const GUID* kAnswers[] = {&IID_IUnknownEx, &IID_IMessageProxy};

  CMessageProxy();
  // Deletes the line icons; leaves the control alone.
  ~CMessageProxy() override;

  // Stores the control: removes ES_NOHIDESEL, adds ES_READONLY and
  // ES_AUTOVSCROLL to its style. False for null.
  bool SetRichEditCtrl(CRichEditCtrl* ctrl) override;
  // Copies six colours over the table (kDefaultChatColors at first).
  bool SetColors(const COLORREF* colors) override;
  // Reads the emoticon table from "<folder>\config.ini" (the emoticon
  // dialog's file): codes and names cut to 15 bytes on a character
  // boundary of the ANSI code page, paths to 259. Missing file: an empty
  // table. Always true.
  bool LoadEmotions(const char* folder) override;
  // Builds the three icons from "system.bmp", "player.bmp", "speaker.bmp"
  // in folder, magenta shown in colour 0. Always true.
  bool LoadLineIcons(const char* folder) override;
  bool ClearMessages() override;
  void SetAutoScroll(bool on) override;
  bool IsAttached() override;
  bool IsReady() override;
  // "［hh:mm:ss］" of the local clock, a plain run in color.
  bool InsertTime(COLORREF color) override;
  bool InsertSystemMessage(const char* text) override;
  bool InsertRichText(const char* text, COLORREF color, bool newLine) override;
  bool InsertPlainText(const char* text, COLORREF color, bool newLine) override;
  bool InsertUserMessage(const tagChatUser* user, const char* text, COLORREF color) override;
  bool InsertPrivateMessage(const tagChatUser* from, const tagChatUser* to, const char* text, COLORREF color) override;
  bool InsertSpeakerMessage(const tagChatUser* user, const char* text) override;
  // The first item (in writing order) with cpMin <= cp <= cpMax.
  bool GetMessageItem(int cp, tagMessageItem* out) override;

 private:
  friend class CMessageRunWriter;

  void LoadEmotionTable(const char* folder);
  // One run: format on the empty selection at the end, text, then the
  // selection restored or the scroll posted. Each step that reaches the
  // control (and through it the host's notification handlers) is skipped
  // once the messages were cleared since clears was read; false then.
  bool AppendRun(const char* text, CHARFORMAT2A& format, unsigned clears);
  void AppendPlainRun(const char* text, COLORREF color, unsigned clears);
  // Restores a non-empty saved selection, else posts the scroll.
  void AfterInsert(const CHARRANGE& saved, unsigned clears);
  // The position of the end of the text; the selection is kept.
  LONG EndPosition();
  void WriteTag(DWORD userId, const char* tagText, COLORREF color, unsigned clears);
  void WriteLink(const char* text, const char* href, unsigned clears);
  void InsertEmotion(int index, unsigned clears);
  void InsertLineIcon(CImageDataObject* icon, unsigned clears);
  std::unique_ptr<CImageDataObject> MakeLineIcon(const char* folder, const char* file);

  CRichEditCtrl* m_pRichEdit = nullptr;
  COLORREF m_Colors[kChatColorCount];
  CArray<tagEmotion> m_Emotions;
  bool m_bAutoScroll = false;
  CArray<tagMessageItem> m_MessageItems;
  std::unique_ptr<CImageDataObject> m_pSystemIcon;
  std::unique_ptr<CImageDataObject> m_pPlayerIcon;
  std::unique_ptr<CImageDataObject> m_pSpeakerIcon;
  // The codes of m_Emotions, for the scan; a line holds the table it
  // started with, whatever its notifications load meanwhile.
  std::shared_ptr<const EmoticonMatcher> m_EmotionCodes;
  // ClearMessages calls so far (a line ends when it changes), and whether
  // one is under way.
  unsigned m_nClears = 0;
  bool m_bClearing = false;
};
