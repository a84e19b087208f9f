// A handler that writes down every call it receives, for comparison.
#pragma once

#include <string>
#include <vector>

#include "support/tessor/xml_handler.h"

class RecordingHandler : public XMLHandler {
 public:
  void elementStart(const std::string& element, const XMLAttributes& attributes) override {
    std::string line = "<" + element;
    for (std::size_t i = 0; i < attributes.getCount(); ++i) {
      line += " " + attributes.getName(i) + "=" + attributes.getValue(i);
    }
    calls.push_back(line + ">");
  }
  void elementEnd(const std::string& element) override { calls.push_back("</" + element + ">"); }
  void text(const std::string& text) override { calls.push_back("text:" + text); }

  std::vector<std::string> calls;
};
