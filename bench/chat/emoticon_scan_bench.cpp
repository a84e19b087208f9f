// The emoticon scan of the chat core on long lines, with 200 emoticons
// loaded (codes "/e0x" to "/e199x"). Prints, best of three runs each:
//   BENCH emoticon_scan_<shape>_<n>mb ms=<t> mb_per_s=<r>
//   BENCH emoticon_scan_<shape> ratio_4mb_to_1mb=<t4/t1>
// The ratio stays near 4 when the scan is linear. Timings are not asserted.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "zavrelcom/chat/chat_compose.h"
#include "zavrelcom/chat/emoticon_scan.h"

namespace {

class CountingWriter : public IChatRunWriter {
 public:
  std::size_t runs = 0, bytes = 0, emoticons = 0;
  void WriteRun(const char*, std::size_t length, ChatColor) override {
    ++runs;
    bytes += length;
  }
  void WriteTag(std::uint32_t, const std::string&, ChatColor) override {}
  void WriteLink(const std::string&, const std::string&) override {}
  void WriteEmoticon(int) override { ++emoticons; }
  void WriteIcon(ChatIcon) override {}
};

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

// A line of about size bytes of the given shape.
std::string Line(const std::string& shape, std::size_t size) {
  std::string line;
  line.reserve(size + 32);
  if (shape == "slashes") {
    line.assign(size, '/');
  } else {  // text with codes: words, near misses and matches
    int i = 0;
    while (line.size() < size) {
      line += "hello /e" + std::to_string(i % 250) + "x and /e" + std::to_string(i % 7) + " then ";
      ++i;
    }
  }
  return line;
}

}  // namespace

int main() {
  EmoticonMatcher matcher;
  for (int i = 0; i < 200; ++i) matcher.Add(("/e" + std::to_string(i) + "x").c_str());
  for (const std::string shape : {"slashes", "mixed"}) {
    double ms[2] = {0, 0};
    const std::size_t sizes[2] = {1u << 20, 4u << 20};
    for (int k = 0; k < 2; ++k) {
      const std::string line = Line(shape, sizes[k]);
      CountingWriter writer;
      ms[k] = BestMs([&] { ComposeEmoticonText(writer, line.data(), line.size(), 0, matcher); });
      std::printf("BENCH emoticon_scan_%s_%dmb ms=%.2f mb_per_s=%.1f\n", shape.c_str(), k == 0 ? 1 : 4, ms[k],
                  (static_cast<double>(line.size()) / (1 << 20)) / (ms[k] / 1000.0));
    }
    std::printf("BENCH emoticon_scan_%s ratio_4mb_to_1mb=%.2f\n", shape.c_str(), ms[1] / ms[0]);
  }
  return 0;
}
