// Helpers of Ormlace's tests: a uniquely named folder beside the test
// program (where relative skin names are looked for), removed afterwards,
// and BMP pictures of coloured cells.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/brevio/picture_files.h"
#include "tests/testkit/testkit.h"

namespace skin_pictures {

class SkinFolder {
 public:
  SkinFolder() {
    m_name = "ormlace_skin_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    std::filesystem::create_directories(path());
  }
  SkinFolder(const SkinFolder&) = delete;
  SkinFolder& operator=(const SkinFolder&) = delete;
  ~SkinFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path(), ignored);
  }
  // The folder's name relative to the test program's directory.
  const std::string& name() const { return m_name; }
  std::filesystem::path path() const { return std::filesystem::path(testkit::TestBinaryDir() + m_name); }
  // The absolute path of a file in the folder.
  std::string file(const std::string& fileName) const { return testkit::TestBinaryDir() + m_name + "\\" + fileName; }

 private:
  std::string m_name;
};

// A picture of cells side by side, each cellWidth x cellHeight of one
// colour, with the pixels for which hole(cell, x, y) holds in colour key.
template <class Hole>
std::string CellsBmp(const std::vector<COLORREF>& colours, int cellWidth, int cellHeight, COLORREF key, Hole hole) {
  const int cells = static_cast<int>(colours.size());
  std::vector<COLORREF> pixels;
  for (int y = 0; y < cellHeight; ++y) {
    for (int cell = 0; cell < cells; ++cell) {
      for (int x = 0; x < cellWidth; ++x) pixels.push_back(hole(cell, x, y) ? key : colours[std::size_t(cell)]);
    }
  }
  return picture_files::Bmp24(cells * cellWidth, cellHeight, pixels);
}

}  // namespace skin_pictures
