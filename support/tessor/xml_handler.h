// XMLHandler: the receiver of a document's structure, driven by XMLParser.
//
// The parser calls elementStart when an element opens, text for each run of
// character data inside an element (CDATA sections included), and
// elementEnd when the element closes, in document order. A handler is
// called only for a document that parsed completely: a malformed document
// makes no call at all. A handler never reports errors.
//
// Slot order of the virtual table (a contract with the libraries derived
// from it): destructor, elementStart, elementEnd, text.
#pragma once

#include <string>

#include "base/library_api.h"
#include "support/tessor/xml_attributes.h"

class TESSOR_API XMLHandler {
 public:
  XMLHandler() = default;
  XMLHandler(const XMLHandler&) = default;
  XMLHandler& operator=(const XMLHandler&) = default;
  virtual ~XMLHandler();

  // An element opens. attributes is valid only during the call.
  virtual void elementStart(const std::string& element, const XMLAttributes& attributes);
  // The element of that name closes.
  virtual void elementEnd(const std::string& element);
  // Character data of the element that is open. The base ignores it.
  virtual void text(const std::string& text);
};
