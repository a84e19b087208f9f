// The three configuration handlers driven by the parser over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "support/tessor/xml_parser.h"
#include "zavrel/config/av_config_xml_handler.h"
#include "zavrel/config/game_hall_config_xml_handler.h"
#include "zavrel/config/server_list_xml_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  XMLParser parser;
  CServerList_xmlHandler servers;
  CGameHallConfig_xmlHandler hall;
  CAVConfig_xmlHandler av;
  const bool parsed = parser.parseXMLMemory(servers, data, size);
  // The same document gives the same verdict to every handler.
  if (parser.parseXMLMemory(hall, data, size) != parsed) __builtin_trap();
  if (parser.parseXMLMemory(av, data, size) != parsed) __builtin_trap();
  // Results can be read and copied whatever the document held.
  CServerList_xmlHandler copy(servers);
  std::size_t total = 0;
  for (const auto* list : {&copy.GetLoginAddr(), &copy.GetShopAddr(), &copy.GetFriendAddr(), &copy.GetSecretAddr()}) {
    for (const ServerConfigItem& item : *list) total += item.name.size() + item.addr.size();
  }
  (void)total;
  (void)hall.GetAgentName();
  return 0;
}
