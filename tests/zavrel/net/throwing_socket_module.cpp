// A stand-in socket module whose Connect throws: a standard exception for
// port 1, an int for any other port. Copied as "Nuvrell.dll" beside a copy
// of the service tests, to see what the service makes of it.
#include <cstring>
#include <stdexcept>

#include "support/nuvrell/client_socket.h"

namespace {

class ThrowingSocket : public IClientSocket {
 public:
  virtual ~ThrowingSocket() = default;
  bool IsValid() override { return true; }
  bool Release() override {
    delete this;
    return true;
  }
  void* QueryInterface(const IID& Guid, DWORD) override {
    if (std::memcmp(&Guid, &IID_IClientSocket, sizeof(IID)) == 0 ||
        std::memcmp(&Guid, &IID_IUnknownEx, sizeof(IID)) == 0)
      return static_cast<IClientSocket*>(this);
    return nullptr;
  }
  WORD GetSocketID() override { return 1; }
  bool SetProxyInfo(const tagProxyInfo&) override { return true; }
  bool SetSocketSink(IUnknownEx* p) override {
    m_pSink = p;
    return true;
  }
  IUnknownEx* GetSocketSink() override { return m_pSink; }
  bool SetKeepAlive(DWORD) override { return true; }
  DWORD GetClientAddr() override { return 0; }
  DWORD GetServerAddr() override { return 0; }
  WORD GetServerPort() override { return 0; }
  int GetSocketStatus() override { return SocketStatus_Idle; }
  bool Connect(LPCSTR, WORD wPort) override {
    if (wPort == 1) throw std::runtime_error("socket says no");
    throw 42;
  }
  bool SendData(WORD, WORD) override { return false; }
  bool SendData(WORD, WORD, const void*, WORD) override { return false; }
  DWORD GetPendingSendSize() override { return 0; }
  bool CloseSocket(bool) override { return false; }

 private:
  IUnknownEx* m_pSink = nullptr;
};

}  // namespace

extern "C" __declspec(dllexport) void* CreateClientSocket(const GUID* pGuid, DWORD dwInterfaceVer) {
  if (!pGuid) return nullptr;
  auto* socket = new ThrowingSocket();
  void* itf = socket->QueryInterface(*pGuid, dwInterfaceVer);
  if (!itf) socket->Release();
  return itf;
}
