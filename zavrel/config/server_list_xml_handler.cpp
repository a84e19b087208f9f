#include "zavrel/config/server_list_xml_handler.h"

#include "base/no_throw.h"

const std::string CServerList_xmlHandler::RootElement = "ServerList";
const std::string CServerList_xmlHandler::LoginServerElement = "LoginServer";
const std::string CServerList_xmlHandler::ShopServerElement = "ShopServer";
const std::string CServerList_xmlHandler::FriendServerElement = "FriendServer";
const std::string CServerList_xmlHandler::SecretKeyServerElement = "SecretKeyServer";
const std::string CServerList_xmlHandler::ServerElement = "Server";
const std::string CServerList_xmlHandler::NameAttribute = "name";
const std::string CServerList_xmlHandler::AddrAttribute = "addr";
const std::string CServerList_xmlHandler::PortAttribute = "port";

CServerList_xmlHandler::CServerList_xmlHandler()
    : inLoginServer(false), inShopServer(false), inFriendServer(false), inSecretKeyServer(false) {}

CServerList_xmlHandler::CServerList_xmlHandler(const CServerList_xmlHandler& other) = default;

CServerList_xmlHandler& CServerList_xmlHandler::operator=(const CServerList_xmlHandler& other) = default;

CServerList_xmlHandler::~CServerList_xmlHandler() = default;

// The parser lets a handler's exception through to its caller, so none
// leaves here: out of memory, the element is dropped (a "Server" keeps
// nothing of it).
void CServerList_xmlHandler::elementStart(const std::string& element, const XMLAttributes& attributes) {
  NoThrowVoid([&] { StartElement(element, attributes); });
}

void CServerList_xmlHandler::elementEnd(const std::string& element) {
  NoThrowVoid([&] { EndElement(element); });
}

void CServerList_xmlHandler::StartElement(const std::string& element, const XMLAttributes& attributes) {
  if (element == RootElement) {
    inLoginServer = inShopServer = inFriendServer = inSecretKeyServer = false;
    loginServers.clear();
    shopServers.clear();
    secretKeyServers.clear();
    friendServers.clear();
  } else if (element == ServerElement) {
    // Read whole before it replaces the previous one.
    ServerConfigItem server;
    server.name = attributes.getValueAsString(NameAttribute, std::string());
    server.addr = attributes.getValueAsString(AddrAttribute, std::string());
    server.port = attributes.getValueAsInteger(PortAttribute, 0);
    currentServer = std::move(server);
  } else if (element == LoginServerElement) {
    inLoginServer = true;
  } else if (element == ShopServerElement) {
    inShopServer = true;
  } else if (element == FriendServerElement) {
    inFriendServer = true;
  } else if (element == SecretKeyServerElement) {
    inSecretKeyServer = true;
  }
}

void CServerList_xmlHandler::EndElement(const std::string& element) {
  if (element == ServerElement) {
    if (inLoginServer) {
      loginServers.push_back(currentServer);
    } else if (inShopServer) {
      shopServers.push_back(currentServer);
    } else if (inFriendServer) {
      friendServers.push_back(currentServer);
    } else if (inSecretKeyServer) {
      secretKeyServers.push_back(currentServer);
    }
  } else if (element == LoginServerElement) {
    inLoginServer = false;
  } else if (element == ShopServerElement) {
    inShopServer = false;
  } else if (element == FriendServerElement) {
    inFriendServer = false;
  } else if (element == SecretKeyServerElement) {
    inSecretKeyServer = false;
  }
}
