// Test helpers for Nuvrell's socket: loading Nuvrell.dll and a sink that
// records every event.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/nuvrell/client_socket.h"
#include "tests/testkit/testkit.h"

namespace sockettest {

// The module's creation function (the module stays loaded).
inline CreateClientSocketProc CreateProc() {
  HMODULE module = LoadLibraryA("Nuvrell.dll");
  if (!module) return nullptr;
  return reinterpret_cast<CreateClientSocketProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "CreateClientSocket")));
}

// A new socket, or null.
inline IClientSocket* NewSocket() {
  CreateClientSocketProc create = CreateProc();
  return create ? static_cast<IClientSocket*>(create(&IID_IClientSocket, 0x01010100)) : nullptr;
}

// Owns a socket for a test.
struct SocketPtr {
  IClientSocket* p = nullptr;
  SocketPtr() : p(NewSocket()) {}
  SocketPtr(const SocketPtr&) = delete;
  SocketPtr& operator=(const SocketPtr&) = delete;
  ~SocketPtr() {
    if (p) p->Release();
  }
  IClientSocket* operator->() const { return p; }
  IClientSocket* get() const { return p; }
};

struct Message {
  WORD main;
  WORD sub;
  std::string body;
};

class RecordingSink : public IClientSocketSink {
 public:
  bool IsValid() override { return true; }
  bool Release() override { return true; }
  void* QueryInterface(const IID& Guid, DWORD) override {
    if (std::memcmp(&Guid, &IID_IClientSocketSink, sizeof(IID)) == 0 ||
        std::memcmp(&Guid, &IID_IUnknownEx, sizeof(IID)) == 0)
      return static_cast<IClientSocketSink*>(this);
    return nullptr;
  }
  bool OnSocketConnect(int iErrorCode, LPCSTR pszErrorDesc, IClientSocket* pSocket) override {
    connects.push_back(iErrorCode);
    texts.push_back(pszErrorDesc ? pszErrorDesc : "<null>");
    lastSocket = pSocket;
    if (onConnect) onConnect(iErrorCode);
    return true;
  }
  bool OnSocketRead(CMD_Command& Command, void* pBuffer, WORD wDataSize, IClientSocket* pSocket) override {
    messages.push_back({Command.wMainCmdID, Command.wSubCmdID,
                        std::string(static_cast<const char*>(pBuffer), pBuffer ? wDataSize : 0)});
    nullBodies += pBuffer == nullptr;
    lastSocket = pSocket;
    if (onRead) onRead(messages.back());
    return true;
  }
  bool OnSocketClose(IClientSocket* pSocket, bool bCloseByServer) override {
    closes.push_back(bCloseByServer);
    lastSocket = pSocket;
    if (onClose) onClose(bCloseByServer);
    return true;
  }

  // Pumps messages until an outcome of Connect arrives; its code, or -1.
  int WaitConnect(DWORD timeoutMs = 15000) {
    const std::size_t before = connects.size();
    if (!testkit::PumpMessagesUntil([&] { return connects.size() > before; }, timeoutMs)) return -1;
    return connects.back();
  }
  bool WaitMessages(std::size_t n, DWORD timeoutMs = 15000) {
    return testkit::PumpMessagesUntil([&] { return messages.size() >= n; }, timeoutMs);
  }
  bool WaitClose(DWORD timeoutMs = 15000) {
    return testkit::PumpMessagesUntil([&] { return !closes.empty(); }, timeoutMs);
  }

  std::vector<int> connects;
  std::vector<std::string> texts;
  std::vector<Message> messages;
  std::vector<bool> closes;
  int nullBodies = 0;
  IClientSocket* lastSocket = nullptr;
  std::function<void(int)> onConnect;
  std::function<void(const Message&)> onRead;
  std::function<void(bool)> onClose;
};

// The sequence number that the hall server puts at the head of each body.
inline unsigned SeqOf(const std::string& body) {
  if (body.size() < 4) return 0xFFFFFFFF;
  return static_cast<unsigned char>(body[0]) | (static_cast<unsigned char>(body[1]) << 8) |
         (static_cast<unsigned char>(body[2]) << 16) |
         (static_cast<unsigned>(static_cast<unsigned char>(body[3])) << 24);
}

}  // namespace sockettest
