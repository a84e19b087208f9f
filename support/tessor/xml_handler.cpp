#include "support/tessor/xml_handler.h"

XMLHandler::~XMLHandler() = default;

void XMLHandler::elementStart(const std::string&, const XMLAttributes&) {}

void XMLHandler::elementEnd(const std::string&) {}

void XMLHandler::text(const std::string&) {}
