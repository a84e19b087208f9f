// A child process of a test: started from a command line, ended (killed if
// still running) and its handles closed when the owner goes. Move-only.
#pragma once

#include <string>
#include <utility>

#include "afx/afx_port.h"
#include "base/message_pump.h"

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept : m_process(std::exchange(other.m_process, nullptr)) {}
  ChildProcess& operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
      Reset();
      m_process = std::exchange(other.m_process, nullptr);
    }
    return *this;
  }
  ~ChildProcess() { Reset(); }

  // Starts the command line (program and arguments); false on failure.
  bool Start(const std::string& commandLine) {
    Reset();
    std::string line = commandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    return true;
  }

  HANDLE handle() const { return m_process; }
  bool Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

  // Dispatches this thread's messages (the other end may be sending to our
  // windows) until the process ends or timeoutMs passes. True when it ended;
  // *exitCode gets its exit code.
  bool WaitPumping(DWORD timeoutMs, DWORD* exitCode = nullptr) {
    if (!m_process) return false;
    const auto ended = [this] { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; };
    if (!PumpMessagesUntil(ended, timeoutMs, m_process)) return false;
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    if (exitCode) *exitCode = code;
    return true;
  }

  void Kill() {
    if (Running()) {
      TerminateProcess(m_process, 1);
      WaitForSingleObject(m_process, 5000);
    }
  }

 private:
  void Reset() {
    if (!m_process) return;
    Kill();
    CloseHandle(m_process);
    m_process = nullptr;
  }
  HANDLE m_process = nullptr;
};
