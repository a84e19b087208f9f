#include "tests/testkit/testkit.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

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

std::string TestBinaryDir() {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string dir(path, n);
  const std::size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".\\") : dir.substr(0, slash + 1);
}

std::string TestBinaryPath(const std::string& name) { return TestBinaryDir() + name; }

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
