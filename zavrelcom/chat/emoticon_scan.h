// Emoticon codes in chat text: the table of codes and the scan that splits a
// text into plain stretches and emoticons. Portable (no Windows header).
//
// The rule: a code is looked for only where a '/' stands; at such a place
// the first emoticon of the table, in table order, whose code is spelt there
// wins (also when a longer code would match at the same place), the text
// goes on after that code, and without a match the search goes on at the
// next '/'. An empty code never matches; a code that does not start with
// '/' can never match.
//
// The scan is linear in the text: each '/' costs at most one walk of the
// longest code, whatever the number of emoticons.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class EmoticonMatcher {
 public:
  EmoticonMatcher();

  // Forgets every code.
  void Clear();
  // Adds the code of the next emoticon of the table (its index is the
  // number of codes added before). code may be null or empty: that entry
  // never matches.
  void Add(const char* code);
  // How many codes were added.
  std::size_t GetCount() const { return m_nCount; }

  // The emoticon that matches at text[0..length): its index, and its code's
  // length in *codeLength; -1 when none.
  int MatchAt(const char* text, std::size_t length, std::size_t* codeLength) const;

 private:
  struct Node {
    int best = -1;  // lowest table index of a code that ends here
    std::size_t depth = 0;
    std::vector<std::pair<unsigned char, int>> children;
  };
  int Child(int node, unsigned char c) const;

  std::vector<Node> m_nodes;  // m_nodes[0] is the root
  std::size_t m_nCount = 0;
};

// Receives the pieces of a scanned text, in order.
class IEmoticonTextSink {
 public:
  // A stretch of plain text (never empty).
  virtual void OnText(const char* text, std::size_t length) = 0;
  // Emoticon index of the matcher.
  virtual void OnEmoticon(int index) = 0;

 protected:
  ~IEmoticonTextSink() = default;
};

// Splits text[0..length) into plain stretches and emoticons (see above).
// With a budget, each emoticon takes one from *budget; once it is 0 the
// rest of the text (codes included) is plain text.
void ScanEmoticonText(const char* text, std::size_t length, const EmoticonMatcher& matcher, IEmoticonTextSink& sink,
                      std::size_t* budget = nullptr);
