// CGameHallConfig_xmlHandler: reads the hall configuration document.
//
//   <GameHallConfig>
//     <Config sp_id="12" Title="agent title"/>
//   </GameHallConfig>
//
// Drive it with XMLParser, then read GetAgentID and GetAgentName. Each
// "Config" element sets both (a missing "sp_id" reads as 0, a missing
// "Title" as empty); a later one overwrites an earlier one. Other elements
// are ignored; names are case-sensitive. Never reports errors and never
// throws: a "Config" that cannot be read for want of memory is dropped
// (both values stay). Before any
// "Config" the agent number is 0 and the title empty.
#pragma once

#include <string>

#include "support/tessor/xml_handler.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CGameHallConfig_xmlHandler : public XMLHandler {
 public:
  static const std::string GameHallConfigElement;  // "GameHallConfig"
  static const std::string ConfigElement;          // "Config"
  static const std::string AgentIDAttribute;       // "sp_id"
  static const std::string AgentNameAttribute;     // "Title"

  CGameHallConfig_xmlHandler();
  CGameHallConfig_xmlHandler(const CGameHallConfig_xmlHandler& other);
  CGameHallConfig_xmlHandler& operator=(const CGameHallConfig_xmlHandler& other);
  ~CGameHallConfig_xmlHandler() override;

  int GetAgentID() const { return agentID; }
  std::string GetAgentName() { return agentName; }

 protected:
  void elementStart(const std::string& element, const XMLAttributes& attributes) override;
  void elementEnd(const std::string& element) override;

  int agentID;            // the agent number
  std::string agentName;  // the agent's title
};
