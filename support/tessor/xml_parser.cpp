#include "support/tessor/xml_parser.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "base/file_owner.h"
#include "support/tessor/xml_structure_check.h"

namespace {

XMLAttributes AttributesOf(const TiXmlElement& element) {
  XMLAttributes attributes;
  for (const TiXmlAttribute* a = element.FirstAttribute(); a; a = a->Next()) {
    attributes.add(a->NameTStr(), a->ValueStr());
  }
  return attributes;
}

// Calls the handler over the parsed tree without recursion.
void Drive(const TiXmlDocument& document, XMLHandler& handler) {
  struct Frame {
    const TiXmlElement* element;
    const TiXmlNode* next;
  };
  std::vector<Frame> open;
  for (const TiXmlNode* top = document.FirstChild(); top; top = top->NextSibling()) {
    const TiXmlElement* root = top->ToElement();
    if (!root) continue;
    handler.elementStart(root->ValueStr(), AttributesOf(*root));
    open.push_back({root, root->FirstChild()});
    while (!open.empty()) {
      const TiXmlNode* node = open.back().next;
      if (!node) {
        handler.elementEnd(open.back().element->ValueStr());
        open.pop_back();
        continue;
      }
      open.back().next = node->NextSibling();
      if (const TiXmlElement* element = node->ToElement()) {
        handler.elementStart(element->ValueStr(), AttributesOf(*element));
        open.push_back({element, element->FirstChild()});
      } else if (const TiXmlText* text = node->ToText()) {
        handler.text(text->ValueStr());
      }
    }
  }
}

}  // namespace

bool XMLParser::fail(const std::string& message) {
  m_lastError = message;
  return false;
}

bool XMLParser::parseXMLFile(XMLHandler& handler, const std::string& filename) {
  std::string content;
  try {
    UniqueFile file(std::fopen(filename.c_str(), "rb"));
    if (!file) return fail("cannot open " + filename);
    char buffer[65536];
    for (;;) {
      const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
      if (got == 0) break;
      if (content.size() + got > m_maxSize) return fail("document too large");
      content.append(buffer, got);
    }
    if (std::ferror(file.get())) return fail("cannot read " + filename);
  } catch (const std::bad_alloc&) {
    return fail("out of memory");
  }
  return parseXMLMemory(handler, content.data(), content.size());
}

bool XMLParser::parseXMLMemory(XMLHandler& handler, const void* data, std::size_t size) {
  m_lastError.clear();
  if (size == 0 || !data) return fail("empty document");
  if (size > m_maxSize) return fail("document too large");
  const char* bytes = static_cast<const char*>(data);
  if (std::memchr(bytes, 0, size)) return fail("zero byte in document");
  if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
    bytes += 3;
    size -= 3;
  }
  // Parse completely before the handler sees anything; TinyXML's own failures
  // (memory included) stay inside this block.
  std::unique_ptr<TiXmlDocument> document;
  try {
    const std::string text(bytes, size);
    XMLStructureReport report;
    if (!CheckXMLStructure(text.c_str(), XMLStructureLimits{m_maxDepth, m_maxAttributes, m_maxNodes}, &report)) {
      return fail(report.error);
    }
    document.reset(new TiXmlDocument());
    document->Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (document->Error()) {
      std::string message = document->ErrorDesc();
      char where[64];
      std::snprintf(where, sizeof where, " (line %d, column %d)", document->ErrorRow(), document->ErrorCol());
      return fail(message + where);
    }
    if (!document->RootElement()) return fail("no root element");
  } catch (const std::bad_alloc&) {
    return fail("out of memory");
  }
  Drive(*document, handler);
  return true;
}
