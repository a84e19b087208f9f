// The chat core on arbitrary text: the mark-up walk and the emoticon scan.
// Checked: the depth cut always leaves TinyXML a tree no deeper than the
// limit (and cuts at a '<'); the emoticon scan hands out every byte of the
// text exactly once, as plain runs or as whole codes; the walk never
// crashes, overruns or hangs.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/tessor/tinyxml_tree_depth.h"
#include "zavrelcom/chat/chat_compose.h"
#include "zavrelcom/chat/markup_walk.h"

namespace {

const char* const kCodes[] = {"/s", "/smile", "/e1", "/e10", "/", "/\xD6\xD0", ""};

class Rebuild : public IChatRunWriter {
 public:
  std::string text;
  void WriteRun(const char* run, std::size_t length, ChatColor) override {
    if (length == 0) std::abort();
    text.append(run, length);
  }
  void WriteTag(std::uint32_t, const std::string&, ChatColor) override {}
  void WriteLink(const std::string& linkText, const std::string&) override { text += linkText; }
  void WriteEmoticon(int index) override {
    if (index < 0 || index >= static_cast<int>(sizeof(kCodes) / sizeof(kCodes[0]))) std::abort();
    text += kCodes[index];
  }
  void WriteIcon(ChatIcon) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the operations take NUL-terminated text

  // The depth cut, with a small limit, on the document the walk builds.
  constexpr std::size_t kLimit = 8;
  std::string document = "<root>";
  for (char c : text) document += c == '&' ? std::string("&amp;") : std::string(1, c);
  document += "</root>";
  const std::size_t cut = MarkupDepthCut(document.c_str(), kLimit);
  if (cut != std::string::npos) {
    if (cut >= document.size() || document[cut] != '<') std::abort();
    document.resize(cut);
  }
  TiXmlElement root("");
  root.Parse(document.c_str(), nullptr, TIXML_ENCODING_LEGACY);
  if (TinyXmlTreeDepth(&root) + 1 > kLimit) std::abort();

  EmoticonMatcher matcher;
  for (const char* code : kCodes) matcher.Add(code);
  // The scan hands out the text exactly.
  Rebuild scanned;
  ComposeEmoticonText(scanned, text.data(), text.size(), 0, matcher);
  if (scanned.text != text) std::abort();
  // The walk: no crash, whatever it keeps.
  Rebuild walked;
  ComposeMarkup(walked, text.c_str(), 0, matcher);
  return 0;
}
