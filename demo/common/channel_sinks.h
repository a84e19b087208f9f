// The channel sinks of the demo programs: one object answering both
// IChannelEventSink and IChannelMessageSink, forwarding to callbacks.
#pragma once

#include <functional>

#include "base/message_pump.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/ipc/channel_interfaces.h"

class DemoChannelSinks : public IChannelEventSink, public IChannelMessageSink {
 public:
  std::function<void(HWND)> onConnect;
  std::function<void(HWND)> onConnectReply;
  std::function<void(HWND)> onClose;
  std::function<void(const IPC_Head&, const char*, WORD)> onRecord;

  // The view to hand to SetChannelEventSink / SetChannelMessageSink.
  IUnknownEx* Unknown() { return static_cast<IChannelEventSink*>(this); }

  // Owned by the demo program itself, never by the channel.
  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override {
    const InterfaceEntry table[] = {
        {&IID_IChannelEventSink, static_cast<IChannelEventSink*>(this)},
        {&IID_IChannelMessageSink, static_cast<IChannelMessageSink*>(this)},
        {&IID_IUnknownEx, static_cast<IChannelEventSink*>(this)},
    };
    return QueryInterfaceByTable(Guid, dwQueryVer, table);
  }

  bool OnChannelConnect(HWND hWndSend) override {
    if (onConnect) onConnect(hWndSend);
    return true;
  }
  bool OnChannelConnectReply(HWND hWndSend) override {
    if (onConnectReply) onConnectReply(hWndSend);
    return true;
  }
  bool OnChannelClose(HWND hWndSend, bool) override {
    if (onClose) onClose(hWndSend);
    return true;
  }
  bool OnChannelMessage(const IPC_Head* pHead, const void* pIPCBuffer, WORD wDataSize, HWND) override {
    if (onRecord) onRecord(*pHead, static_cast<const char*>(pIPCBuffer), wDataSize);
    return true;
  }
};

// The records the hall and the game exchange.
constexpr WORD DEMO_MAIN_GAME = 2;
constexpr WORD DEMO_SUB_PLAY = 1;   // hall -> game: a move, text
constexpr WORD DEMO_SUB_REPLY = 2;  // game -> hall: the answer, text
