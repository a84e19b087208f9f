// NetLab: the servers of a network test, started on loopback for its
// duration.
//
// The servers are native Linux programs (hall-server, danted, tinyproxy,
// microsocks, the fixture's own SOCKS4A proxy). Wine can start Unix programs
// but cannot signal them, so NetLab starts the native net-fixture (built
// beside the tests) on a plan file in a fresh directory under /tmp, waits
// for the ports it writes, and at destruction asks it through a stop file to
// end everything (it also ends by itself after its lifetime). Windows only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "afx/afx_port.h"

namespace netlab {

class NetLab {
 public:
  NetLab();
  NetLab(const NetLab&) = delete;
  NetLab& operator=(const NetLab&) = delete;
  // Stops the servers (waits for them a few seconds) and removes the
  // directory.
  ~NetLab();

  // Services of the plan; call before Start. Names are single words.
  void Hall(const std::string& name, const std::string& script);
  void Dante(const std::string& name);
  void Tinyproxy(const std::string& name, const std::string& user = "", const std::string& pass = "");
  void Microsocks(const std::string& name, const std::string& user = "", const std::string& pass = "");
  void Socks4a(const std::string& name, const std::string& userid = "");
  void Closed(const std::string& name);

  // Starts the plan; false (see Error) when a server does not come up
  // within timeoutMs. The servers end by themselves after lifetimeSeconds
  // (should this process never stop them).
  bool Start(DWORD timeoutMs = 20000, int lifetimeSeconds = 120);
  WORD Port(const std::string& name) const;
  const std::string& Error() const { return m_strError; }

  // The event log of a hall server ("accept 1", "frame 1 3 4 16", ...).
  std::vector<std::string> HallLog(const std::string& name) const;
  // Lines of the log that start with prefix.
  int CountLog(const std::string& name, const std::string& prefix) const;

 private:
  std::string WinPath(const std::string& file) const;
  std::string UnixPath(const std::string& file) const;
  void AddLine(const std::string& line);

  std::string m_strUnixDir;
  std::string m_strWinDir;
  std::string m_strPlan;
  bool m_bStarted = false;
  std::map<std::string, WORD> m_ports;
  std::string m_strError;
};

}  // namespace netlab
