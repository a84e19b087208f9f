// The structure check against TinyXML: whenever the check accepts a document
// and TinyXML parses it, TinyXML's tree must be exactly as deep as measured,
// and a document TinyXML parses deeper than the limit must never pass.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/tessor/xml_structure_check.h"
#include "tests/support/tessor/tinyxml_tree_depth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') != std::string::npos) return 0;
  XMLStructureReport report;
  // A small depth limit: the check refuses anything deeper, so TinyXML below
  // never recurses far even on inputs built to nest.
  const XMLStructureLimits limits = {64, 64, 100000};
  if (!CheckXMLStructure(text.c_str(), limits, &report)) return 0;
  TiXmlDocument document;
  document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
  if (document.Error()) return 0;
  if (TinyXmlTreeDepth(&document) != report.depth) std::abort();
  return 0;
}
