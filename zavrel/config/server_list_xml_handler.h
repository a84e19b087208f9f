// CServerList_xmlHandler: reads the server list document.
//
//   <ServerList>
//     <LoginServer>
//       <Server name="..." addr="host or dotted address" port="8000"/>
//     </LoginServer>
//     <ShopServer> ... </ShopServer>
//     <FriendServer> ... </FriendServer>
//     <SecretKeyServer> ... </SecretKeyServer>
//   </ServerList>
//
// Drive it with XMLParser, then read the four lists, which keep document
// order. Each "ServerList" start empties all four lists, so a handler reused
// for another document holds only that document's servers. A "Server" goes
// to the first group it is inside, tested in the order login, shop, friend,
// secret key (a group inside another group counts for both); a "Server"
// outside every group is dropped. A missing "name" or "addr" reads as empty,
// a missing or non-numeric "port" as 0. Names are case-sensitive; other
// elements are ignored. Never reports errors and never throws: an element
// that cannot be stored for want of memory is dropped.
#pragma once

#include <string>
#include <vector>

#include "support/tessor/xml_handler.h"
#include "zavrel/zavrel_api.h"

struct ServerConfigItem {
  std::string name;  // display name
  std::string addr;  // host name or dotted address
  int port = 0;
};

class ZAVREL_API CServerList_xmlHandler : public XMLHandler {
 public:
  static const std::string RootElement;             // "ServerList"
  static const std::string LoginServerElement;      // "LoginServer"
  static const std::string ShopServerElement;       // "ShopServer"
  static const std::string FriendServerElement;     // "FriendServer"
  static const std::string SecretKeyServerElement;  // "SecretKeyServer"
  static const std::string ServerElement;           // "Server"
  static const std::string NameAttribute;           // "name"
  static const std::string AddrAttribute;           // "addr"
  static const std::string PortAttribute;           // "port"

  CServerList_xmlHandler();
  CServerList_xmlHandler(const CServerList_xmlHandler& other);
  CServerList_xmlHandler& operator=(const CServerList_xmlHandler& other);
  ~CServerList_xmlHandler() override;

  const std::vector<ServerConfigItem>& GetLoginAddr() const { return loginServers; }
  const std::vector<ServerConfigItem>& GetShopAddr() const { return shopServers; }
  const std::vector<ServerConfigItem>& GetFriendAddr() const { return friendServers; }
  const std::vector<ServerConfigItem>& GetSecretAddr() const { return secretKeyServers; }

 protected:
  void elementStart(const std::string& element, const XMLAttributes& attributes) override;
  void elementEnd(const std::string& element) override;
  void StartElement(const std::string& element, const XMLAttributes& attributes);
  void EndElement(const std::string& element);

  ServerConfigItem currentServer;  // the "Server" element being read
  std::vector<ServerConfigItem> loginServers;
  std::vector<ServerConfigItem> shopServers;
  std::vector<ServerConfigItem> secretKeyServers;
  std::vector<ServerConfigItem> friendServers;
  bool inLoginServer;
  bool inShopServer;
  bool inFriendServer;
  bool inSecretKeyServer;
};
