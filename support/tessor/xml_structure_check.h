// The structure check that runs before a document reaches TinyXML.
//
// TinyXML's parser and its node destructor recurse once per nesting level,
// so a deeply nested document would overflow the stack. This check walks the
// document iteratively with TinyXML's own reading rules (legacy encoding:
// bytes as they are) and measures the nesting TinyXML will see. It is
// stricter than TinyXML wherever TinyXML's reading could differ from a plain
// reading (character references that are not "&#digits;" or "&#xhex;",
// unterminated comments, CDATA sections or markup, case-insensitive keywords
// touching bytes above 127), so that the depth it measures is never less
// than the depth TinyXML reaches. It also refuses what is not one document:
// no element, more than one root element, or text outside the root. The
// node count bounds the memory TinyXML's tree takes (a few hundred bytes a
// node).
#pragma once

#include <cstddef>
#include <string>

#include "base/library_api.h"

struct XMLStructureLimits {
  std::size_t maxDepth;       // deepest nesting of elements allowed (root = 1)
  std::size_t maxAttributes;  // attributes allowed on one element
  std::size_t maxNodes;       // elements, attributes, texts, comments and other markup in all
};

struct XMLStructureReport {
  std::size_t depth = 0;     // deepest nesting seen
  std::size_t elements = 0;  // elements seen
  std::size_t nodes = 0;     // what TinyXML will allocate a node for (see maxNodes)
  std::string error;         // why the document was refused; empty when accepted
};

// document: zero-terminated, holding no other zero byte. True when the
// document may be handed to TinyXML in legacy encoding; report (may be null)
// receives the measurements or the reason for refusal.
TESSOR_API bool CheckXMLStructure(const char* document, const XMLStructureLimits& limits, XMLStructureReport* report);
