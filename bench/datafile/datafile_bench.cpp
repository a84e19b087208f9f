// Reads the same generated files with our classes and with a peer library,
// each building a comparable in-memory model, and prints one line per case
// and peer:
//   BENCH <case> ours_ms=<x> peer_ms=<y> ratio=<x/y> limit_ms=<z> ratio_to_limit=<x/z>
// Every time is the best of three runs. limit_ms is the floor for any reader:
// reading the same file in 64 KB pieces and finding each line, building no
// model. Cases: ini_read_<keys>x<values>_{inih,simpleini} (CIniFile::ReadFile),
// csv_open (CSVFile::open against libcsv), csv_open_fccp (against Fast C++
// CSV Parser).
#include <csv.h>
#include <ini.h>

// Debian builds SimpleIni with ICU and ships the instantiations in its library.
#define SI_CONVERT_ICU
#include <SimpleIni.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fccp_peer.h"
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

void Report(const std::string& name, double ours, double peer, double limit) {
  std::printf("BENCH %s ours_ms=%.1f peer_ms=%.1f ratio=%.2f limit_ms=%.1f ratio_to_limit=%.2f\n", name.c_str(), ours,
              peer, ours / peer, limit, ours / limit);
  std::fflush(stdout);
}

// The limit: the file read in 64 KB pieces and split at each line feed, a
// line that spans two pieces joined in a carry buffer. Returns the number
// of lines plus their total length, so that nothing is optimised away.
std::size_t SplitLines(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  std::vector<char> chunk(1u << 16);
  std::string carry;
  std::size_t lines = 0;
  std::size_t bytes = 0;
  std::size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) {
    const char* p = chunk.data();
    const char* const end = p + n;
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (nl == nullptr) {
        carry.append(p, static_cast<std::size_t>(end - p));
        break;
      }
      std::size_t len = static_cast<std::size_t>(nl - p);
      if (!carry.empty()) {
        carry.append(p, len);
        len = carry.size();
        carry.clear();
      }
      ++lines;
      bytes += len;
      p = nl + 1;
    }
  }
  std::fclose(f);
  if (!carry.empty()) {
    ++lines;
    bytes += carry.size();
  }
  return lines + bytes;
}

double LimitMs(const std::string& path) {
  std::size_t result = 0;
  const double ms = BestMs([&] { result = SplitLines(path); });
  if (result == 0) std::fprintf(stderr, "limit: %s could not be read\n", path.c_str());
  return ms;
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
  const double limit = LimitMs(path);
  const std::string name = "ini_read_" + std::to_string(keys) + "x" + std::to_string(values);
  Report(name + "_inih", ours, inih, limit);
  Report(name + "_simpleini", ours, simple, limit);
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

// What a reader made of a CSV file: rows, fields and a hash of every field
// in order, so that the readers are seen to agree byte for byte.
struct CsvDigest {
  std::size_t rows = 0;
  std::size_t fields = 0;
  std::uint64_t hash = 14695981039346656037ull;

  void Add(const std::string& field) {
    ++fields;
    for (unsigned char c : field) hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0x100u) * 1099511628211ull;  // the field's end
  }
  void AddRows(const std::vector<std::vector<std::string>>& all) {
    for (const auto& row : all) {
      ++rows;
      for (const auto& field : row) Add(field);
    }
  }
  bool operator==(const CsvDigest& o) const { return rows == o.rows && fields == o.fields && hash == o.hash; }
};

// CSVFile reports on standard output; the benchmark prints only BENCH lines.
class QuietStdout {
 public:
  QuietStdout() : m_saved(stdout), m_quiet(std::fopen("/dev/null", "w")) {
    if (m_quiet != nullptr) stdout = m_quiet;
  }
  ~QuietStdout() {
    stdout = m_saved;
    if (m_quiet != nullptr) std::fclose(m_quiet);
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  std::FILE* m_saved;
  std::FILE* m_quiet;
};

void ReadWithLibcsv(const std::string& path, CsvModel& model) {
  csv_parser parser;
  csv_init(&parser, 0);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return;
  std::vector<char> buf(1u << 16);
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
    csv_parse(&parser, buf.data(), n, CsvField, CsvRow, &model);
  csv_fini(&parser, CsvField, CsvRow, &model);
  csv_free(&parser);
  std::fclose(f);
}

void BenchCsv(const std::string& dir) {
  const std::string path = dir + "/bench.csv";
  if (!WriteText(path, MakeCsv(50u << 20))) return;
  std::size_t oursRows = 0;
  const double ours = BestMs([&] {
    CSVFile csv;
    {
      QuietStdout quiet;
      csv.open(path.c_str());
    }
    oursRows = static_cast<std::size_t>(csv.getRowSize());
  });
  std::size_t libcsvRows = 0;
  const double libcsv = BestMs([&] {
    CsvModel model;
    ReadWithLibcsv(path, model);
    libcsvRows = model.rows.size();
  });
  std::size_t fccpRows = 0;
  bool fccpOk = true;
  const double fccp = BestMs([&] {
    std::vector<std::vector<std::string>> rows;
    fccpOk = ReadCsvWithFccp(path, rows);
    fccpRows = rows.size();
  });
  const double limit = LimitMs(path);

  // Outside the timings: every reader must have built the same rows.
  CsvDigest oursDigest;
  {
    QuietStdout quiet;
    CSVFile csv;
    csv.open(path.c_str());
    const int columns = csv.getColumnSize();
    for (int r = 1; r <= csv.getRowSize(); ++r) {
      ++oursDigest.rows;
      // Every generated row has all its fields; a shorter row would show as
      // a different field count.
      for (int c = 1; c <= columns; ++c) oursDigest.Add(csv.readString(r, c));
    }
  }
  CsvDigest libcsvDigest;
  {
    CsvModel model;
    ReadWithLibcsv(path, model);
    libcsvDigest.AddRows(model.rows);
  }
  CsvDigest fccpDigest;
  {
    std::vector<std::vector<std::string>> rows;
    fccpOk = ReadCsvWithFccp(path, rows) && fccpOk;
    fccpDigest.AddRows(rows);
  }
  if (!(oursDigest == libcsvDigest) || !(oursDigest == fccpDigest) || !fccpOk) {
    std::fprintf(
        stderr,
        "csv: readers differ: ours %zu rows %zu fields, libcsv %zu rows %zu fields, fccp %zu rows %zu fields%s\n",
        oursDigest.rows, oursDigest.fields, libcsvDigest.rows, libcsvDigest.fields, fccpDigest.rows, fccpDigest.fields,
        fccpOk ? "" : " (fccp failed)");
  }
  if (oursRows != libcsvRows || oursRows != fccpRows) {
    std::fprintf(stderr, "csv: timed runs differ: ours %zu rows, libcsv %zu, fccp %zu\n", oursRows, libcsvRows,
                 fccpRows);
  }
  Report("csv_open", ours, libcsv, limit);
  Report("csv_open_fccp", ours, fccp, limit);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp";
  BenchIni(dir, 2000, 100);
  BenchIni(dir, 1, 200000);
  BenchCsv(dir);
  return 0;
}
