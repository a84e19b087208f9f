#include "tests/zavrel/net/net_lab.h"

#include <filesystem>
#include <sstream>

#include "base/win_owners.h"
#include "tests/testkit/testkit.h"

namespace netlab {

namespace {

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

NetLab::NetLab() {
  static LONG counter = 0;
  std::ostringstream name;
  name << "/tmp/zavrel-netlab-" << GetCurrentProcessId() << "-" << GetTickCount() << "-"
       << InterlockedIncrement(&counter);
  m_strUnixDir = name.str();
  m_strWinDir = "Z:" + m_strUnixDir;
  for (char& c : m_strWinDir)
    if (c == '/') c = '\\';
  CreateDirectoryA(m_strWinDir.c_str(), nullptr);
}

NetLab::~NetLab() {
  if (m_bStarted) {
    testkit::WriteFileBytes(WinPath("stop"), "stop\n");
    const DWORD start = GetTickCount();
    while (!FileExists(WinPath("stopped")) && GetTickCount() - start < 8000) Sleep(20);
  }
  std::error_code ec;
  std::filesystem::remove_all(m_strWinDir, ec);
}

std::string NetLab::WinPath(const std::string& file) const { return m_strWinDir + "\\" + file; }

std::string NetLab::UnixPath(const std::string& file) const { return m_strUnixDir + "/" + file; }

void NetLab::AddLine(const std::string& line) { m_strPlan += line + "\n"; }

void NetLab::Hall(const std::string& name, const std::string& script) {
  testkit::WriteFileBytes(WinPath(name + ".script"), script);
  AddLine("hall " + name + " " + UnixPath(name + ".script"));
}

void NetLab::Dante(const std::string& name) { AddLine("dante " + name); }

void NetLab::Tinyproxy(const std::string& name, const std::string& user, const std::string& pass) {
  AddLine("tinyproxy " + name + (user.empty() ? "" : " " + user + " " + pass));
}

void NetLab::Microsocks(const std::string& name, const std::string& user, const std::string& pass) {
  AddLine("microsocks " + name + (user.empty() ? "" : " " + user + " " + pass));
}

void NetLab::Socks4a(const std::string& name, const std::string& userid) {
  AddLine("socks4a " + name + (userid.empty() ? "" : " " + userid));
}

void NetLab::Closed(const std::string& name) { AddLine("closed " + name); }

bool NetLab::Start(DWORD timeoutMs, int lifetimeSeconds) {
  if (!testkit::WriteFileBytes(WinPath("plan"), m_strPlan)) {
    m_strError = "cannot write the plan";
    return false;
  }
  std::string command =
      "\"" + testkit::TestBinaryPath("net-fixture") + "\" " + m_strUnixDir + " " + std::to_string(lifetimeSeconds);
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    m_strError = "cannot start net-fixture";
    return false;
  }
  // A Unix program started by Wine has no Windows handles; nothing is waited for.
  const UniqueHandle process(pi.hProcess);
  const UniqueHandle thread(pi.hThread);
  m_bStarted = true;

  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (FileExists(WinPath("failed"))) {
      m_strError = "net-fixture: " + testkit::ReadFileBytes(WinPath("failed"));
      return false;
    }
    if (FileExists(WinPath("ports"))) {
      std::istringstream in(testkit::ReadFileBytes(WinPath("ports")));
      std::string name;
      unsigned port = 0;
      while (in >> name >> port) m_ports[name] = static_cast<WORD>(port);
      return true;
    }
    Sleep(20);
  }
  m_strError = "net-fixture did not report its ports in time";
  return false;
}

WORD NetLab::Port(const std::string& name) const {
  auto it = m_ports.find(name);
  return it == m_ports.end() ? 0 : it->second;
}

std::vector<std::string> NetLab::HallLog(const std::string& name) const {
  std::vector<std::string> lines;
  std::istringstream in(testkit::ReadFileBytes(WinPath(name + ".log")));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int NetLab::CountLog(const std::string& name, const std::string& prefix) const {
  int n = 0;
  for (const std::string& line : HallLog(name))
    if (line.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

}  // namespace netlab
