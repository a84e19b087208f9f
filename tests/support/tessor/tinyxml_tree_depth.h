// The deepest element nesting of a parsed TinyXML tree, measured without
// recursion; shared by the structure-check tests and its fuzz target.
#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <utility>
#include <vector>

inline std::size_t TinyXmlTreeDepth(const TiXmlNode* top) {
  std::size_t deepest = 0;
  std::vector<std::pair<const TiXmlNode*, std::size_t>> pending = {{top, 0}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
      if (!child->ToElement()) continue;
      if (depth + 1 > deepest) deepest = depth + 1;
      pending.push_back({child, depth + 1});
    }
  }
  return deepest;
}
