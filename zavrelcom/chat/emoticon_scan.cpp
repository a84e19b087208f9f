#include "zavrelcom/chat/emoticon_scan.h"

#include <cstring>

EmoticonMatcher::EmoticonMatcher() { Clear(); }

void EmoticonMatcher::Clear() {
  m_nodes.assign(1, Node());
  m_nCount = 0;
}

int EmoticonMatcher::Child(int node, unsigned char c) const {
  for (const auto& child : m_nodes[static_cast<std::size_t>(node)].children) {
    if (child.first == c) return child.second;
  }
  return -1;
}

void EmoticonMatcher::Add(const char* code) {
  const int index = static_cast<int>(m_nCount++);
  // Only a code that starts with '/' can be met where the scan looks.
  if (!code || code[0] != '/') return;
  int node = 0;
  for (const char* p = code; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    int next = Child(node, c);
    if (next < 0) {
      next = static_cast<int>(m_nodes.size());
      Node fresh;
      fresh.depth = m_nodes[static_cast<std::size_t>(node)].depth + 1;
      m_nodes.push_back(fresh);
      m_nodes[static_cast<std::size_t>(node)].children.emplace_back(c, next);
    }
    node = next;
  }
  // Codes are added in table order: the first one that ends here stays.
  if (m_nodes[static_cast<std::size_t>(node)].best < 0) m_nodes[static_cast<std::size_t>(node)].best = index;
}

int EmoticonMatcher::MatchAt(const char* text, std::size_t length, std::size_t* codeLength) const {
  int best = -1;
  std::size_t bestLength = 0;
  int node = 0;
  for (std::size_t at = 0; at < length; ++at) {
    node = Child(node, static_cast<unsigned char>(text[at]));
    if (node < 0) break;
    const Node& here = m_nodes[static_cast<std::size_t>(node)];
    if (here.best >= 0 && (best < 0 || here.best < best)) {
      best = here.best;
      bestLength = here.depth;
    }
  }
  if (codeLength) *codeLength = best < 0 ? 0 : bestLength;
  return best;
}

void ScanEmoticonText(const char* text, std::size_t length, const EmoticonMatcher& matcher, IEmoticonTextSink& sink,
                      std::size_t* budget) {
  if (!text) return;
  std::size_t pending = 0;
  const void* found = std::memchr(text, '/', length);
  while (found && !(budget && *budget == 0)) {
    const std::size_t s = static_cast<std::size_t>(static_cast<const char*>(found) - text);
    std::size_t codeLength = 0;
    const int index = matcher.MatchAt(text + s, length - s, &codeLength);
    std::size_t next = s + 1;
    if (index >= 0) {
      if (pending < s) sink.OnText(text + pending, s - pending);
      if (budget) --*budget;
      sink.OnEmoticon(index);
      pending = s + codeLength;
      next = pending;
    }
    found = next < length ? std::memchr(text + next, '/', length - next) : nullptr;
  }
  if (pending < length) sink.OnText(text + pending, length - pending);
}
