#include "tests/testkit/testkit.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <vector>

namespace testkit {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    std::ostringstream name;
    name << "zavrel-test-" << std::hex << rd() << '-' << counter++;
    m_path = base / name.str();
    std::error_code ec;
    if (std::filesystem::create_directory(m_path, ec)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string& name) const { return (m_path / name).string(); }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
void PumpMessagesFor(DWORD ms) {
  PumpMessagesUntil([] { return false; }, ms);
}

namespace {

// The sentinels that have ticked, by identifier. A thread timer's tick
// reaches its procedure from whichever loop dispatches it, a nested one of
// the code under test too.
std::vector<UINT_PTR>& TickedSentinels() {
  static std::vector<UINT_PTR> ticked;
  return ticked;
}

void CALLBACK SentinelTick(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  TickedSentinels().push_back(id);
}

}  // namespace

bool PumpUntilSentinelTimer(DWORD periodMs, DWORD timeoutMs) {
  const UINT_PTR id = SetTimer(nullptr, 0, periodMs, &SentinelTick);
  if (!id) return false;
  auto& ticked = TickedSentinels();
  auto seen = [&] { return std::find(ticked.begin(), ticked.end(), id) != ticked.end(); };
  const bool done = PumpMessagesUntil(seen, timeoutMs);
  if (!done) KillTimer(nullptr, id);
  ticked.erase(std::remove(ticked.begin(), ticked.end(), id), ticked.end());
  return done;
}

bool PumpUntilIdle(DWORD timeoutMs) { return PumpUntilSentinelTimer(USER_TIMER_MINIMUM, timeoutMs); }

std::string TestBinaryDir() {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string dir(path, n);
  const std::size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".\\") : dir.substr(0, slash + 1);
}

std::string TestBinaryPath(const std::string& name) { return TestBinaryDir() + name; }

namespace {

// The GDI handle table: 65,536 entries of 24 bytes (the 64-bit layout, also
// for 32-bit processes): kernel object (8), owner process id (2), count (2),
// upper handle bits (2), type (2), user data (8). A free entry has type 0.
constexpr std::size_t kGdiEntries = 0x10000;
constexpr std::size_t kGdiEntrySize = 24;

// GCC's bounds check cannot follow the segment-register read of the TEB.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
const unsigned char* CurrentTeb() { return reinterpret_cast<const unsigned char*>(NtCurrentTeb()); }
#pragma GCC diagnostic pop

const unsigned char* GdiHandleTable() {
  const unsigned char* teb = CurrentTeb();
#ifdef _WIN64
  const auto* peb = *reinterpret_cast<const unsigned char* const*>(teb + 0x60);
  return peb ? *reinterpret_cast<const unsigned char* const*>(peb + 0xF8) : nullptr;
#else
  const auto* peb = *reinterpret_cast<const unsigned char* const*>(teb + 0x30);
  if (peb) {
    if (const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0x94)) return table;
  }
  // WoW64: the 64-bit TEB lies 0x2000 bytes below the 32-bit one, and the
  // table is recorded in its (64-bit) PEB only. Addresses of a 32-bit
  // process fit 32 bits.
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return nullptr;
  const unsigned char* teb64 = teb - 0x2000;
  std::uint64_t peb64 = 0;
  std::memcpy(&peb64, teb64 + 0x60, sizeof(peb64));
  if (!peb64 || (peb64 >> 32)) return nullptr;
  std::uint64_t table = 0;
  std::memcpy(&table, reinterpret_cast<const unsigned char*>(static_cast<std::uintptr_t>(peb64)) + 0xF8, sizeof(table));
  if (!table || (table >> 32)) return nullptr;
  return reinterpret_cast<const unsigned char*>(static_cast<std::uintptr_t>(table));
#endif
}

long CountGdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported) return static_cast<long>(reported);
  const unsigned char* table = GdiHandleTable();
  if (!table) return -1;
  const DWORD pid = GetCurrentProcessId();
  long used = 0;
  for (std::size_t i = 0; i < kGdiEntries; ++i) {
    const unsigned char* entry = table + i * kGdiEntrySize;
    std::uint16_t owner = 0, type = 0;
    std::memcpy(&owner, entry + 8, sizeof(owner));
    std::memcpy(&type, entry + 14, sizeof(type));
    // Windows shares one table among processes; Wine's is the process's own
    // and leaves the owner 0.
    if (type != 0 && (owner == 0 || owner == static_cast<std::uint16_t>(pid))) ++used;
  }
  return used;
}

struct WindowTally {
  DWORD pid;
  long count;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM lParam) {
  auto* tally = reinterpret_cast<WindowTally*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == tally->pid) ++tally->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lParam) {
  CountChild(hwnd, lParam);
  EnumChildWindows(hwnd, &CountChild, lParam);  // every descendant
  return TRUE;
}

}  // namespace

GuiCounts GuiObjectCounts() {
  GuiCounts counts;
  counts.gdi = CountGdiObjects();
  WindowTally tally = {GetCurrentProcessId(), 0};
  EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&tally));
  for (HWND hwnd = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
       hwnd = FindWindowExA(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
    CountTopLevel(hwnd, reinterpret_cast<LPARAM>(&tally));
  }
  counts.user = tally.count;
  return counts;
}

MemorySurface::MemorySurface(int width, int height, COLORREF fill) {
  if (dc.CreateCompatibleDC(nullptr) && m_bitmap.CreateCompatibleBitmap(nullptr, width, height)) {
    m_pOld = dc.SelectObject(&m_bitmap);
    dc.FillSolidRect(0, 0, width, height, fill);
  }
}

MemorySurface::~MemorySurface() {
  if (m_pOld) dc.SelectObject(m_pOld);
}
#endif

}  // namespace testkit
