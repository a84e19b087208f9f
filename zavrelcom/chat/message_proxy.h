// CMessageProxy: the chat output. The host attaches a rich edit control and
// hands the proxy chat events (system notices, player, private and
// loudspeaker lines, time stamps, free text); the proxy writes them with
// colours, clickable name tags and links, emoticons and line icons.
//
// Created through DllGetClassObject with CLSID_MessageProxy; answers
// IID_IMessageProxy and IID_IUnknownEx.
//
// In this version only the interface and the reference counting are in
// place: every operation answers false (nothing attached, nothing written)
// and GetMessageItem finds nothing.
#pragma once

#include "zavrelcom/emotion/emotion.h"
#include "zavrelcom/server/component.h"
#include "zavrelcom/server/unknown_ex.h"

class CRichEditCtrl;

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

  CMessageProxy() = default;
  ~CMessageProxy() override = default;

  bool SetRichEditCtrl(CRichEditCtrl*) override { return false; }
  bool SetColors(const COLORREF*) override { return false; }
  bool LoadEmotions(const char*) override { return false; }
  bool LoadLineIcons(const char*) override { return false; }
  bool ClearMessages() override { return false; }
  void SetAutoScroll(bool) override {}
  bool IsAttached() override { return false; }
  bool IsReady() override { return false; }
  bool InsertTime(COLORREF) override { return false; }
  bool InsertSystemMessage(const char*) override { return false; }
  bool InsertRichText(const char*, COLORREF, bool) override { return false; }
  bool InsertPlainText(const char*, COLORREF, bool) override { return false; }
  bool InsertUserMessage(const tagChatUser*, const char*, COLORREF) override { return false; }
  bool InsertPrivateMessage(const tagChatUser*, const tagChatUser*, const char*, COLORREF) override { return false; }
  bool InsertSpeakerMessage(const tagChatUser*, const char*) override { return false; }
  bool GetMessageItem(int, tagMessageItem*) override { return false; }
};
