// hall-server: the local hall server that tests and the demo connect to.
//
// Listens on 127.0.0.1 only, speaks Nuvrell's framing and follows a script
// (hall_script.h) for every connection. Linux only.
//
//   hall-server [--port N] [--port-file FILE] [--script FILE | -e COMMANDS]
//               [--log FILE] [--lifetime SECONDS] [--stop-file FILE]
//
// Prints "hall-server listening on 127.0.0.1:PORT" once it listens (port 0,
// the default, lets the system choose), and writes the port to --port-file.
// Ends on SIGINT/SIGTERM, after --lifetime seconds, or when --stop-file
// appears. --log appends one line per event: "accept N", "frame N MAIN SUB
// SIZE", "pong N", "close N REASON".
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/file_owner.h"
#include "base/unique_owner.h"
#include "demo/server/hall_script.h"
#include "support/nuvrell/wire_frame.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kSendWindow = 256 * 1024;  // bytes generated ahead of the socket

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

// A socket descriptor; socket() answers -1 on failure.
using UniqueFd = UniqueOwner<CloseWith<int, ::close, -1>>;

UniqueFile g_log;
void Log(const std::string& line) {
  if (!g_log) return;
  std::fprintf(g_log.get(), "%s\n", line.c_str());
  std::fflush(g_log.get());
}

struct Connection {
  unsigned number = 0;
  UniqueFd fd;
  const std::vector<hall::Command>* program = nullptr;
  std::size_t pc = 0;
  std::uint32_t sent = 0;  // frames of the current send command
  bool echo = false;
  bool stalled = false;
  bool closeAfterFlush = false;
  bool sleeping = false;
  Clock::time_point wakeAt;
  std::uint32_t received = 0;
  std::unique_ptr<nuvrell::FrameReader> reader = std::make_unique<nuvrell::FrameReader>();
  std::string out;
  std::size_t outOffset = 0;
  bool dead = false;
};

void Close(Connection& c, const char* reason, bool reset = false) {
  if (c.dead) return;
  if (reset) {
    linger lg{1, 0};
    setsockopt(c.fd.get(), SOL_SOCKET, SO_LINGER, &lg, sizeof(lg));
  }
  // Logged first: whoever sees the connection end finds the line written.
  Log("close " + std::to_string(c.number) + " " + reason);
  c.fd.reset();
  c.dead = true;
}

void QueueFrame(Connection& c, std::uint16_t mainCmd, std::uint16_t subCmd, const std::string& body) {
  nuvrell::AppendFrame(c.out, mainCmd, subCmd, body.data(), body.size());
}

void QueueMalformed(Connection& c, const std::string& kind) {
  std::uint8_t header[nuvrell::FRAME_HEADER_SIZE];
  nuvrell::WriteFrameHeader(1, 1, 0, header);
  if (kind == "short") {
    header[2] = 4;  // packet size 4: below the header
    header[3] = 0;
  } else if (kind == "huge") {
    header[2] = 0xFF;  // 65535: above the maximum packet
    header[3] = 0xFF;
  } else if (kind == "version") {
    header[0] = 0x7E;
  } else {  // truncated: promises 100 bytes of body, sends 10, then closes
    nuvrell::WriteFrameHeader(1, 1, 100, header);
    c.out.append(reinterpret_cast<const char*>(header), sizeof(header));
    c.out.append(10, 'x');
    c.closeAfterFlush = true;
    return;
  }
  c.out.append(reinterpret_cast<const char*>(header), sizeof(header));
}

// Runs the connection's commands as far as they can go now.
void Advance(Connection& c) {
  while (!c.dead && !c.stalled && !c.closeAfterFlush && c.pc < c.program->size()) {
    const hall::Command& cmd = (*c.program)[c.pc];
    switch (cmd.op) {
      case hall::Op::Send:
        while (c.sent < cmd.count && c.out.size() - c.outOffset < kSendWindow) {
          QueueFrame(c, cmd.mainCmd, cmd.subCmd, hall::MakeBody(c.sent, cmd.size));
          ++c.sent;
        }
        if (c.sent < cmd.count) return;  // more once the socket takes it
        c.sent = 0;
        break;
      case hall::Op::Text:
        QueueFrame(c, cmd.mainCmd, cmd.subCmd, cmd.text);
        break;
      case hall::Op::Echo:
        c.echo = true;
        break;
      case hall::Op::Wait:
        if (c.received < cmd.count) return;
        break;
      case hall::Op::Sleep:
        if (!c.sleeping) {
          c.sleeping = true;
          c.wakeAt = Clock::now() + std::chrono::milliseconds(cmd.count);
        }
        if (Clock::now() < c.wakeAt) return;
        c.sleeping = false;
        break;
      case hall::Op::Drop:
        c.closeAfterFlush = true;
        break;
      case hall::Op::Reset:
        Close(c, "reset", true);
        return;
      case hall::Op::Malformed:
        QueueMalformed(c, cmd.kind);
        break;
      case hall::Op::Ping:
        QueueFrame(c, nuvrell::LINK_MAIN_CMD, nuvrell::LINK_SUB_PING, std::string());
        break;
      case hall::Op::Stall:
        c.stalled = true;
        break;
    }
    ++c.pc;
  }
}

void Flush(Connection& c) {
  while (!c.dead && c.outOffset < c.out.size()) {
    const ssize_t n = send(c.fd.get(), c.out.data() + c.outOffset, c.out.size() - c.outOffset, MSG_NOSIGNAL);
    if (n > 0) {
      c.outOffset += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
    Close(c, "send-failed");
    return;
  }
  if (c.outOffset == c.out.size()) {
    c.out.clear();
    c.outOffset = 0;
  } else if (c.outOffset > kSendWindow) {
    c.out.erase(0, c.outOffset);
    c.outOffset = 0;
  }
}

void Read(Connection& c) {
  for (;;) {
    const std::size_t space = c.reader->WriteSpace();
    const ssize_t n = recv(c.fd.get(), c.reader->WritePtr(), space, 0);
    if (n == 0) {
      Close(c, c.reader->Pending() ? "peer-closed-mid-frame" : "peer-closed");
      return;
    }
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
      Close(c, "recv-failed");
      return;
    }
    c.reader->Commit(static_cast<std::size_t>(n));
    nuvrell::FrameReader::Frame frame;
    for (;;) {
      const auto status = c.reader->Next(frame);
      if (status == nuvrell::FrameReader::Status::NeedMore) break;
      if (status == nuvrell::FrameReader::Status::Malformed) {
        Close(c, "malformed-frame");
        return;
      }
      const std::string body(frame.body ? reinterpret_cast<const char*>(frame.body) : "", frame.bodySize);
      if (frame.header.mainCmd == nuvrell::LINK_MAIN_CMD) {
        if (frame.header.subCmd == nuvrell::LINK_SUB_PING)
          QueueFrame(c, nuvrell::LINK_MAIN_CMD, nuvrell::LINK_SUB_PONG, std::string());
        else if (frame.header.subCmd == nuvrell::LINK_SUB_PONG)
          Log("pong " + std::to_string(c.number));
        continue;
      }
      ++c.received;
      Log("frame " + std::to_string(c.number) + " " + std::to_string(frame.header.mainCmd) + " " +
          std::to_string(frame.header.subCmd) + " " + std::to_string(frame.bodySize));
      if (c.echo) QueueFrame(c, frame.header.mainCmd, frame.header.subCmd, body);
    }
  }
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: hall-server [--port N] [--port-file FILE] [--script FILE | -e COMMANDS]\n"
               "                   [--log FILE] [--lifetime SECONDS] [--stop-file FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  std::string portFile, scriptText, logFile, stopFile;
  long lifetime = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (arg == "--port" && (v = value())) {
      port = std::atoi(v);
      if (port < 0 || port > 65535) return Usage();
    } else if (arg == "--port-file" && (v = value())) {
      portFile = v;
    } else if (arg == "--script" && (v = value())) {
      std::ifstream in(v);
      if (!in) {
        std::fprintf(stderr, "hall-server: cannot read %s\n", v);
        return 2;
      }
      scriptText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else if (arg == "-e" && (v = value())) {
      scriptText = v;
    } else if (arg == "--log" && (v = value())) {
      logFile = v;
    } else if (arg == "--lifetime" && (v = value())) {
      lifetime = std::atol(v);
    } else if (arg == "--stop-file" && (v = value())) {
      stopFile = v;
    } else {
      return Usage();
    }
  }

  hall::Script script;
  std::string error;
  if (!hall::ParseScript(scriptText.empty() ? "echo" : scriptText, script, error)) {
    std::fprintf(stderr, "hall-server: script %s\n", error.c_str());
    return 2;
  }
  if (!logFile.empty()) g_log.reset(std::fopen(logFile.c_str(), "a"));

  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);
  signal(SIGPIPE, SIG_IGN);

  UniqueFd listener(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (listener.get() < 0) return 1;
  int one = 1;
  setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  if (bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    std::perror("hall-server: bind");
    return 1;
  }
  // Refusing: the port stays bound (nobody else gets it) but never listens.
  if (!script.refuse && listen(listener.get(), 64) != 0) {
    std::perror("hall-server: listen");
    return 1;
  }
  socklen_t len = sizeof(addr);
  getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &len);
  const int chosen = ntohs(addr.sin_port);
  std::printf("hall-server listening on 127.0.0.1:%d%s\n", chosen, script.refuse ? " (refusing)" : "");
  std::fflush(stdout);
  if (!portFile.empty() && !WriteFileAtomically(portFile, std::to_string(chosen) + "\n")) {
    std::fprintf(stderr, "hall-server: cannot write %s\n", portFile.c_str());
    return 1;
  }

  const auto started = Clock::now();
  std::vector<std::unique_ptr<Connection>> connections;
  unsigned accepted = 0;
  while (!g_stop) {
    if (lifetime > 0 && Clock::now() - started > std::chrono::seconds(lifetime)) break;
    if (!stopFile.empty() && access(stopFile.c_str(), F_OK) == 0) break;

    std::vector<pollfd> fds;
    fds.push_back({listener.get(), static_cast<short>(script.refuse ? 0 : POLLIN), 0});
    for (auto& c : connections) {
      short events = 0;
      if (!c->stalled) events |= POLLIN;
      if (c->outOffset < c->out.size()) events |= POLLOUT;
      fds.push_back({c->fd.get(), events, 0});
    }
    poll(fds.data(), fds.size(), 20);

    if (fds[0].revents & POLLIN) {
      for (;;) {
        const int fd = accept4(listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        auto c = std::make_unique<Connection>();
        c->number = ++accepted;
        c->fd.reset(fd);
        c->program = &script.ForConnection(c->number);
        Log("accept " + std::to_string(c->number));
        connections.push_back(std::move(c));
      }
    }
    for (std::size_t i = 0; i < connections.size(); ++i) {
      Connection& c = *connections[i];
      const short revents = i + 1 < fds.size() ? fds[i + 1].revents : 0;
      if (!c.stalled && (revents & (POLLIN | POLLHUP | POLLERR))) Read(c);
      if (c.stalled && (revents & (POLLHUP | POLLERR))) Close(c, "peer-closed");
      Advance(c);
      Flush(c);
      if (!c.dead && c.closeAfterFlush && c.outOffset == c.out.size()) Close(c, "dropped");
    }
    std::vector<std::unique_ptr<Connection>> alive;
    for (auto& c : connections)
      if (!c->dead) alive.push_back(std::move(c));
    connections.swap(alive);
  }
  for (auto& c : connections) Close(*c, "server-stopped");
  g_log.reset();
  return 0;
}
