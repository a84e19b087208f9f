// Sinks for the channel tests that record what reaches them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "afx/afxwin.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/ipc/channel_interfaces.h"

struct ReceivedRecord {
  WORD main;
  WORD sub;
  WORD headSize;  // the head's size field as handed on
  std::string body;
  bool bodyWasNull;
  HWND sender;
  UINT duringMessage;  // the message being handled when it arrived (0: none)
};

struct ChannelEvent {
  enum Kind { kConnect, kConnectReply, kClose } kind;
  HWND peer;
  bool initiative;
};

class RecordingSinks : public IChannelEventSink, public IChannelMessageSink {
 public:
  std::vector<ReceivedRecord> records;
  std::vector<ChannelEvent> events;
  // Called after a record is stored (may send, close, release...).
  std::function<void(const ReceivedRecord&)> onRecord;
  std::function<void(const ChannelEvent&)> onEvent;

  IUnknownEx* Unknown() { return static_cast<IChannelEventSink*>(this); }

  bool IsValid() override { return true; }
  bool Release() override { return true; }  // owned by the test
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {{&IID_IChannelEventSink, static_cast<IChannelEventSink*>(this)},
                                    {&IID_IChannelMessageSink, static_cast<IChannelMessageSink*>(this)},
                                    {&IID_IUnknownEx, static_cast<IChannelEventSink*>(this)}};
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }

  bool OnChannelMessage(const IPC_Head* pHead, const void* pBody, WORD wDataSize, HWND hWndSend) override {
    const MSG* current = CWnd::GetCurrentMessage();
    ReceivedRecord r{pHead->wMainCmdID,
                     pHead->wSubCmdID,
                     pHead->wDataSize,
                     pBody ? std::string(static_cast<const char*>(pBody), wDataSize) : std::string(),
                     pBody == nullptr,
                     hWndSend,
                     current ? current->message : 0u};
    records.push_back(r);
    if (onRecord) onRecord(r);
    return true;
  }
  bool OnChannelConnect(HWND h) override { return Event({ChannelEvent::kConnect, h, false}); }
  bool OnChannelConnectReply(HWND h) override { return Event({ChannelEvent::kConnectReply, h, false}); }
  bool OnChannelClose(HWND h, bool b) override { return Event({ChannelEvent::kClose, h, b}); }

  int Count(ChannelEvent::Kind kind) const {
    int n = 0;
    for (const auto& e : events) n += e.kind == kind ? 1 : 0;
    return n;
  }
  bool HasRecord(WORD main, WORD sub) const {
    for (const auto& r : records)
      if (r.main == main && r.sub == sub) return true;
    return false;
  }

 private:
  bool Event(const ChannelEvent& e) {
    events.push_back(e);
    if (onEvent) onEvent(e);
    return true;
  }
};
