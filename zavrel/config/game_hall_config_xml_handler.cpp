#include "zavrel/config/game_hall_config_xml_handler.h"

#include "base/no_throw.h"

const std::string CGameHallConfig_xmlHandler::GameHallConfigElement = "GameHallConfig";
const std::string CGameHallConfig_xmlHandler::ConfigElement = "Config";
const std::string CGameHallConfig_xmlHandler::AgentIDAttribute = "sp_id";
const std::string CGameHallConfig_xmlHandler::AgentNameAttribute = "Title";

CGameHallConfig_xmlHandler::CGameHallConfig_xmlHandler() : agentID(0) {}

CGameHallConfig_xmlHandler::CGameHallConfig_xmlHandler(const CGameHallConfig_xmlHandler& other) = default;

CGameHallConfig_xmlHandler& CGameHallConfig_xmlHandler::operator=(const CGameHallConfig_xmlHandler& other) = default;

CGameHallConfig_xmlHandler::~CGameHallConfig_xmlHandler() = default;

void CGameHallConfig_xmlHandler::elementStart(const std::string& element, const XMLAttributes& attributes) {
  // No exception leaves (the parser would pass it to its caller): out of
  // memory, the element is dropped and both fields keep their values.
  NoThrowVoid([&] {
    if (element == ConfigElement) {
      std::string name = attributes.getValueAsString(AgentNameAttribute, std::string());
      agentID = attributes.getValueAsInteger(AgentIDAttribute, 0);
      agentName = std::move(name);
    }
  });
}

void CGameHallConfig_xmlHandler::elementEnd(const std::string&) {}
