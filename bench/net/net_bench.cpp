// Receive throughput: the hall server sends COUNT frames with 256-byte
// bodies to each connection. "ours" counts them in a CClientService's
// OnNetMessage (through Nuvrell.dll's socket and the message loop); "peer"
// is a plain non-blocking Winsock loop in this process that reads the same
// stream and splits the frames itself. Best of three rounds each.
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/nuvrell/wire_frame.h"
#include "tests/zavrel/net/net_lab.h"
#include "zavrel/net/client_service.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

class CountingService : public CClientService {
 public:
  unsigned long long count = 0;
  unsigned long long checksum = 0;
  bool connected = false;
  bool failed = false;

 protected:
  bool OnConnectSucced() override {
    connected = true;
    return true;
  }
  bool OnConnectFailed(LPCSTR) override {
    failed = true;
    return true;
  }
  bool OnNetMessage(CMD_Command Command, void* pBuffer, WORD wDataSize) override {
    ++count;
    checksum += Command.wSubCmdID + (wDataSize ? static_cast<const unsigned char*>(pBuffer)[wDataSize - 1] : 0);
    return true;
  }
};

// Messages per second through the service; 0 on failure.
double Ours(WORD port, unsigned long long total) {
  CountingService service;
  if (!service.StartService("127.0.0.1", port)) return 0;
  MSG msg;
  while (!service.connected && !service.failed && GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
  if (!service.connected) return 0;
  const double start = Now();
  while (service.count < total) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) break;
    DispatchMessageA(&msg);
    if (service.IsDisconnect()) break;
  }
  const double elapsed = Now() - start;
  return service.count == total ? static_cast<double>(total) / elapsed : 0;
}

// The same stream read by a bare non-blocking loop.
double Peer(WORD port, unsigned long long total) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    closesocket(s);
    return 0;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  std::vector<unsigned char> buffer(4 * nuvrell::FRAME_MAX_PACKET);
  std::size_t have = 0;
  unsigned long long count = 0, checksum = 0;
  const double start = Now();
  while (count < total) {
    const int n = recv(s, reinterpret_cast<char*>(buffer.data() + have), static_cast<int>(buffer.size() - have), 0);
    if (n == 0) break;
    if (n < 0) {
      if (WSAGetLastError() != WSAEWOULDBLOCK) break;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(s, &readable);
      select(0, &readable, nullptr, nullptr, nullptr);
      continue;
    }
    have += static_cast<std::size_t>(n);
    std::size_t at = 0;
    while (have - at >= nuvrell::FRAME_HEADER_SIZE) {
      const std::size_t size = buffer[at + 2] | (buffer[at + 3] << 8);
      if (size < nuvrell::FRAME_HEADER_SIZE || have - at < size) break;
      ++count;
      checksum += (buffer[at + 6] | (buffer[at + 7] << 8)) + (size > 8 ? buffer[at + size - 1] : 0);
      at += size;
    }
    std::memmove(buffer.data(), buffer.data() + at, have - at);
    have -= at;
  }
  const double elapsed = Now() - start;
  closesocket(s);
  if (checksum == 0) std::printf("# empty stream\n");
  return count == total ? static_cast<double>(total) / elapsed : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  netlab::NetLab lab;
  lab.Hall("hall", "send " + std::to_string(total) + " 1 2 256\n");
  if (!lab.Start()) {
    std::printf("# %s\n", lab.Error().c_str());
    return 1;
  }
  double ours = 0, peer = 0;
  for (int round = 0; round < 3; ++round) {
    const double o = Ours(lab.Port("hall"), total);
    const double p = Peer(lab.Port("hall"), total);
    if (o > ours) ours = o;
    if (p > peer) peer = p;
  }
  if (ours == 0 || peer == 0) {
    std::printf("# a run did not receive every message (ours=%.0f peer=%.0f)\n", ours, peer);
    return 1;
  }
  std::printf("BENCH net_recv ours=%.0f peer=%.0f ratio=%.2f\n", ours, peer, ours / peer);
  WSACleanup();
  return 0;
}
