// XMLParser: reads an XML document (TinyXML underneath) and drives an
// XMLHandler over it.
//
// Bytes are passed through unchanged: names, attribute values and text reach
// the handler in the document's own encoding (a leading UTF-8 byte order mark
// is skipped). The document is checked and parsed completely before the
// handler sees anything, so a malformed document yields false and no handler
// call. Limits keep hostile input bounded: a document larger than
// getMaxSize() bytes, elements nested deeper than getMaxDepth(), an element
// with more than getMaxAttributes() attributes, or more than getMaxNodes()
// elements, attributes, texts and other markup in all fail the parse (the
// parser never recurses on its own and hands TinyXML only documents whose
// nesting it has measured). Exceptions thrown by the handler propagate to the
// caller; the parser's own failures, memory exhaustion included, are
// reported as false.
#pragma once

#include <cstddef>
#include <string>

#include "base/library_api.h"
#include "support/tessor/xml_handler.h"

class TESSOR_API XMLParser {
 public:
  static constexpr std::size_t DefaultMaxDepth = 256;
  static constexpr std::size_t DefaultMaxAttributes = 128;
  static constexpr std::size_t DefaultMaxNodes = 1000000;
  static constexpr std::size_t DefaultMaxSize = 64u * 1024u * 1024u;

  XMLParser() = default;

  // Reads the file (binary) and parses it. False when the file cannot be
  // read, is too large, or does not parse.
  bool parseXMLFile(XMLHandler& handler, const std::string& filename);
  // Parses the document held in memory (size bytes at data; data may be null
  // when size is 0, which fails as an empty document).
  bool parseXMLMemory(XMLHandler& handler, const void* data, std::size_t size);
  bool parseXMLString(XMLHandler& handler, const std::string& document) {
    return parseXMLMemory(handler, document.data(), document.size());
  }

  // Why the last parse failed; empty after a successful one.
  const std::string& getLastError() const { return m_lastError; }

  std::size_t getMaxDepth() const { return m_maxDepth; }
  // At least 1; TinyXML recurses once per level, so keep this modest.
  void setMaxDepth(std::size_t depth) { m_maxDepth = depth ? depth : 1; }
  std::size_t getMaxAttributes() const { return m_maxAttributes; }
  void setMaxAttributes(std::size_t count) { m_maxAttributes = count; }
  std::size_t getMaxNodes() const { return m_maxNodes; }
  void setMaxNodes(std::size_t count) { m_maxNodes = count; }
  std::size_t getMaxSize() const { return m_maxSize; }
  void setMaxSize(std::size_t bytes) { m_maxSize = bytes; }

 private:
  bool fail(const std::string& message);

  std::string m_lastError;
  std::size_t m_maxDepth = DefaultMaxDepth;
  std::size_t m_maxAttributes = DefaultMaxAttributes;
  std::size_t m_maxNodes = DefaultMaxNodes;
  std::size_t m_maxSize = DefaultMaxSize;
};
