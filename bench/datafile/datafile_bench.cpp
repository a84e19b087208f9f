// Reads the same generated files with our classes and with a peer library,
// each building a comparable in-memory model, and prints
//   BENCH <case> ours_ms=<x> peer_ms=<y> ratio=<x/y>
// (best of three runs each).
#include <csv.h>
#include <ini.h>

// Debian builds SimpleIni with ICU and ships the instantiations in its library.
#define SI_CONVERT_ICU
#include <SimpleIni.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zavrel/datafile/csv_file.h"
#include "zavrel/datafile/ini_file.h"

namespace {

double BestMs(const std::function<void()>& run) {
  double best = 1e300;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  return best;
}

void Report(const std::string& name, double ours, double peer) {
  std::printf("BENCH %s ours_ms=%.1f peer_ms=%.1f ratio=%.2f\n", name.c_str(), ours, peer, ours / peer);
  std::fflush(stdout);
}

bool WriteText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

std::string MakeIni(int keys, int values) {
  std::string text;
  char line[160];
  for (int k = 0; k < keys; ++k) {
    std::snprintf(line, sizeof(line), "[Section%05d]\n", k);
    text += line;
    for (int v = 0; v < values; ++v) {
      std::snprintf(line, sizeof(line), "Value%06d = http://hall.example/path/%d/%d?user=player&room=%d&mode=quick\n",
                    v, k, v, (k * 31 + v) % 997);
      text += line;
    }
    text += "\n";
  }
  return text;
}

// The peer model: keys in order, each with its values in order.
struct Model {
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> keys;
  std::unordered_map<std::string, std::size_t> index;
  std::size_t last = static_cast<std::size_t>(-1);
};

int InihHandler(void* user, const char* section, const char* name, const char* value) {
  Model& m = *static_cast<Model*>(user);
  if (m.last == static_cast<std::size_t>(-1) || m.keys[m.last].first != section) {
    auto it = m.index.find(section);
    if (it == m.index.end()) {
      it = m.index.emplace(section, m.keys.size()).first;
      m.keys.emplace_back(section, std::vector<std::pair<std::string, std::string>>());
    }
    m.last = it->second;
  }
  m.keys[m.last].second.emplace_back(name, value);
  return 1;
}

void BenchIni(const std::string& dir, int keys, int values) {
  const std::string path = dir + "/bench.ini";
  if (!WriteText(path, MakeIni(keys, values))) return;
  std::size_t oursValues = 0;
  const double ours = BestMs([&] {
    CIniFile ini(path);
    ini.ReadFile();
    oursValues = 0;
    for (unsigned k = 0; k < ini.NumKeys(); ++k) oursValues += ini.NumValues(k);
  });
  std::size_t peerValues = 0;
  const double inih = BestMs([&] {
    Model model;
    ini_parse(path.c_str(), &InihHandler, &model);
    peerValues = 0;
    for (const auto& key : model.keys) peerValues += key.second.size();
  });
  std::size_t simpleValues = 0;
  const double simple = BestMs([&] {
    CSimpleIniA ini;
    ini.LoadFile(path.c_str());
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    simpleValues = 0;
    for (const auto& s : sections) simpleValues += static_cast<std::size_t>(ini.GetSectionSize(s.pItem));
  });
  const std::size_t expected = static_cast<std::size_t>(keys) * static_cast<std::size_t>(values);
  if (oursValues != expected || peerValues != expected || simpleValues != expected) {
    std::fprintf(stderr, "ini %dx%d: counts differ: ours %zu inih %zu SimpleIni %zu\n", keys, values, oursValues,
                 peerValues, simpleValues);
  }
  const std::string name = "ini_read_" + std::to_string(keys) + "x" + std::to_string(values);
  Report(name + "_inih", ours, inih);
  Report(name + "_simpleini", ours, simple);
}

std::string MakeCsv(std::size_t targetBytes) {
  std::string text = "id,name,city,score,level,note,a,b,c,d\n";
  char line[256];
  unsigned seed = 12345;
  int n = 0;
  while (text.size() < targetBytes) {
    seed = seed * 1103515245u + 12345u;
    const bool quoted = (seed >> 16) % 10 == 0;  // about one field in ten
    std::snprintf(line, sizeof(line), "%d,player%d,City%d,%u,%d,%s,alpha,beta,%s,delta\n", n, n, n % 300, seed % 100000,
                  n % 50, quoted ? "\"said \"\"hi\"\", then left\"" : "plain note",
                  (seed >> 8) % 10 == 0 ? "\"x,y\"" : "gamma");
    text += line;
    ++n;
  }
  return text;
}

struct CsvModel {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
};

void CsvField(void* s, size_t len, void* data) {
  static_cast<CsvModel*>(data)->row.emplace_back(static_cast<const char*>(s), len);
}

void CsvRow(int, void* data) {
  CsvModel& m = *static_cast<CsvModel*>(data);
  m.rows.push_back(std::move(m.row));
  m.row.clear();
}

void BenchCsv(const std::string& dir) {
  const std::string path = dir + "/bench.csv";
  if (!WriteText(path, MakeCsv(50u << 20))) return;
  std::size_t oursRows = 0;
  std::FILE* saved = stdout;  // CSVFile reports on standard output
  const double ours = BestMs([&] {
    std::FILE* quiet = std::fopen("/dev/null", "w");
    stdout = quiet;
    CSVFile csv;
    csv.open(path.c_str());
    stdout = saved;
    std::fclose(quiet);
    oursRows = static_cast<std::size_t>(csv.getRowSize());
  });
  std::size_t peerRows = 0;
  const double peer = BestMs([&] {
    CsvModel model;
    csv_parser parser;
    csv_init(&parser, 0);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<char> buf(1u << 16);
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
      csv_parse(&parser, buf.data(), n, CsvField, CsvRow, &model);
    csv_fini(&parser, CsvField, CsvRow, &model);
    csv_free(&parser);
    std::fclose(f);
    peerRows = model.rows.size();
  });
  if (oursRows != peerRows) std::fprintf(stderr, "csv: rows differ: ours %zu libcsv %zu\n", oursRows, peerRows);
  Report("csv_open", ours, peer);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp";
  BenchIni(dir, 2000, 100);
  BenchIni(dir, 1, 200000);
  BenchCsv(dir);
  return 0;
}
