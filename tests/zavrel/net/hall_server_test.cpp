// The local hall server as a program (native): started with a script, talked
// to over loopback with the framing's own reader.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/nuvrell/wire_frame.h"
#include "tests/testkit/testkit.h"

namespace {

std::string SelfDir() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  std::string path(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.find_last_of('/'));
}

// Runs hall-server with a script; stops it (SIGTERM to its own pid) at the end.
class Server {
 public:
  explicit Server(const std::string& script) {
    const std::string portFile = dir.file("port");
    m_pid = fork();
    if (m_pid == 0) {
      const std::string exe = SelfDir() + "/hall-server";
      execl(exe.c_str(), exe.c_str(), "-e", script.c_str(), "--port-file", portFile.c_str(), "--log",
            dir.file("log").c_str(), "--lifetime", "60", static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 500 && port == 0; ++i) {
      const std::string text = testkit::ReadFileBytes(portFile);
      if (!text.empty()) port = std::stoi(text);
      if (!port) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~Server() {
    if (m_pid > 0) {
      kill(m_pid, SIGTERM);
      waitpid(m_pid, nullptr, 0);
    }
  }
  std::string Log() const { return testkit::ReadFileBytes(dir.file("log")); }

  testkit::TempDir dir;
  int port = 0;

 private:
  pid_t m_pid = -1;
};

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

struct Got {
  std::vector<nuvrell::FrameHeader> headers;
  std::vector<std::string> bodies;
  bool malformed = false;
  bool closed = false;
};

// Reads until n frames, a close, a bad frame or 5 s.
Got Read(int fd, std::size_t n) {
  nuvrell::FrameReader reader;
  Got got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (got.headers.size() < n && !got.malformed && !got.closed && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    const ssize_t r = recv(fd, reader.WritePtr(), reader.WriteSpace(), 0);
    if (r <= 0) {
      got.closed = true;
      break;
    }
    reader.Commit(static_cast<std::size_t>(r));
    nuvrell::FrameReader::Frame frame;
    for (;;) {
      const auto status = reader.Next(frame);
      if (status == nuvrell::FrameReader::Status::NeedMore) break;
      if (status == nuvrell::FrameReader::Status::Malformed) {
        got.malformed = true;
        break;
      }
      got.headers.push_back(frame.header);
      got.bodies.emplace_back(frame.body ? reinterpret_cast<const char*>(frame.body) : "", frame.bodySize);
    }
  }
  return got;
}

}  // namespace

TEST(HallServer, SendsEchoesAndDrops) {
  Server server("send 500 3 4 40; echo; drop-after 2");
  ASSERT_NE(0, server.port);
  const int fd = Connect(server.port);
  ASSERT_GE(fd, 0);
  Got got = Read(fd, 500);
  ASSERT_EQ(500u, got.headers.size());
  for (std::uint32_t i = 0; i < 500; ++i) {
    ASSERT_EQ(3, got.headers[i].mainCmd);
    ASSERT_EQ(40u, got.bodies[i].size());
    ASSERT_EQ(i, static_cast<std::uint8_t>(got.bodies[i][0]) | (static_cast<std::uint8_t>(got.bodies[i][1]) << 8));
  }
  std::string out;
  nuvrell::AppendFrame(out, 9, 8, "hi", 2);
  nuvrell::AppendFrame(out, 0, 1, nullptr, 0);  // a ping: answered, not counted
  nuvrell::AppendFrame(out, 7, 6, nullptr, 0);
  ASSERT_EQ(static_cast<ssize_t>(out.size()), send(fd, out.data(), out.size(), 0));
  got = Read(fd, 10);
  EXPECT_TRUE(got.closed);
  ASSERT_EQ(3u, got.headers.size());
  EXPECT_EQ(9, got.headers[0].mainCmd);
  EXPECT_EQ("hi", got.bodies[0]);
  EXPECT_EQ(0, got.headers[1].mainCmd);  // the pong
  EXPECT_EQ(2, got.headers[1].subCmd);
  EXPECT_EQ(7, got.headers[2].mainCmd);
  close(fd);
  const std::string log = server.Log();
  EXPECT_NE(std::string::npos, log.find("accept 1\n"));
  EXPECT_NE(std::string::npos, log.find("frame 1 9 8 2\n"));
  EXPECT_NE(std::string::npos, log.find("close 1 dropped\n"));
}

TEST(HallServer, MalformedFramesAreWhatTheyClaim) {
  for (const char* kind : {"short", "huge", "version", "truncated"}) {
    SCOPED_TRACE(kind);
    Server server(std::string("send 1; malformed ") + kind);
    const int fd = Connect(server.port);
    ASSERT_GE(fd, 0);
    const Got got = Read(fd, 5);
    EXPECT_EQ(1u, got.headers.size());
    if (std::string(kind) == "truncated")
      EXPECT_TRUE(got.closed && !got.malformed);
    else
      EXPECT_TRUE(got.malformed);
    close(fd);
  }
}

TEST(HallServer, ClientsMalformedFrameClosesItsConnection) {
  Server server("echo");
  const int fd = Connect(server.port);
  ASSERT_GE(fd, 0);
  const char bad[8] = {1, 0, 2, 0, 0, 0, 0, 0};  // size 2
  ASSERT_EQ(8, send(fd, bad, sizeof(bad), 0));
  EXPECT_TRUE(Read(fd, 1).closed);
  close(fd);
  EXPECT_NE(std::string::npos, server.Log().find("close 1 malformed-frame"));
}

TEST(HallServer, SectionsPerConnectionAndRefusal) {
  Server server("connection 2\nsend 1 2 2 0\nconnection *\nsend 1 1 1 0\n");
  for (int n = 1; n <= 3; ++n) {
    const int fd = Connect(server.port);
    ASSERT_GE(fd, 0);
    const Got got = Read(fd, 1);
    ASSERT_EQ(1u, got.headers.size());
    EXPECT_EQ(n == 2 ? 2 : 1, got.headers[0].mainCmd);
    close(fd);
  }
  Server refusing("refuse");
  ASSERT_NE(0, refusing.port);
  EXPECT_EQ(-1, Connect(refusing.port));
}
