// CUrlFactory: every web address the hall needs, from "Config\Urls.ini".
//
// The file lies in the "Config" folder beside Zavrel.dll and is read once,
// when the process-wide instance is made. Its sections:
//   [Domain]   name=address prefix of a site (scheme, host, path prefix);
//              the library asks for WWW, ImageCache, Update, User, Pay, Crash
//              and GameWeb.
//   [Express]  free name=value pairs, handed out by GetExpressList.
//   [<site>]   a section named after a Domain entry; each value is a URL
//              template whose address is that domain's text followed by
//              the template. Template names are looked up across all site
//              sections; the first loaded wins.
// "Domain" must come before the site sections: a site section read before
// its domain gets an empty domain, and that domain name stays empty for the
// whole load. Section names are case-sensitive here ("domain" is a site).
//
// A formatting maker fills its template with its arguments by printf rules
// (see url_template.h). Every template is checked against its maker's
// arguments when the file is loaded; a template that does not fit (more or
// other conversions than the maker passes, '*', %n, an oversized width)
// makes its maker answer an empty string, as does a missing file, section
// or name, or memory running out. No member reports an error or throws.
// Not thread-safe: make the instance before a second thread can use it.
#pragma once

#include <map>
#include <set>
#include <string>

#include "afx/afx_string.h"
#include "zavrel/config/url_template.h"
#include "zavrel/datafile/ini_file.h"
#include "zavrel/zavrel_api.h"

class ZAVREL_API CUrlFactory {
 public:
  typedef std::map<std::string, std::string> StringMap;

#ifdef _WIN32
  // The process-wide instance, made on first use (loading Urls.ini beside
  // Zavrel.dll) and destroyed at process exit.
  static CUrlFactory& getSingleton();
  static CUrlFactory* getSingletonPtr();

  // Loads "Config\Urls.ini" from the directory of Zavrel.dll.
  CUrlFactory();
#endif
  // Loads "Config\Urls.ini" (with the platform's path separator) under
  // strBaseDir, which ends in a path separator and also anchors the local
  // pages.
  explicit CUrlFactory(const std::string& strBaseDir);
  CUrlFactory(const CUrlFactory& other);
  CUrlFactory& operator=(const CUrlFactory& other);
  // Writes nothing.
  ~CUrlFactory();

  // Reads the file at strPath on top of what is held (nothing is cleared
  // first), then rebuilds the domain and URL maps from every section held,
  // in order; the express list only gains names it did not hold. A missing
  // file adds nothing. True; false when memory runs out, and then the domain
  // and URL maps are empty (every maker answers an empty string).
  bool LoadConfig(const std::string& strPath);

  const StringMap& GetExpressList() const { return m_ExpressList; }

  // Names of loaded templates that do not fit their maker's arguments.
  const std::set<std::string>& GetUnfitTemplates() const { return m_UnfitTemplates; }

#ifdef _WIN32
  // Opens the address with the shell's default handler (result not checked).
  void OpenURL(const CString& strUrl);
#endif

  // Domain entries, unchanged.
  CString GetHomePage();          // "WWW"
  CString GetImageCacheDomain();  // "ImageCache"
  CString GetUpdateDomain();      // "Update"
  CString GetUserDomain();        // "User"
  CString GetPayDomain();         // "Pay"
  CString GetCrashDomain();       // "Crash"
  CString GetGameWebDomain();     // "GameWeb"

  // Templates returned unchanged.
  CString MakeHallIndex();                             // "HallIndex"
  CString MakeGameForumUrl();                          // "Forum"
  CString MakeRegProtocolUrl();                        // "RegisterProtocol"
  CString MakeFoundPassword();                         // "FoundPassword"
  CString MakeMoneyTop10();                            // "MoneyTop10"
  CString MakePayUrl(DWORD dwUserID, LPCSTR pszText);  // "PayIndex"; arguments unused

  // Templates filled with the arguments, in the order listed.
  CString MakeRegisterUrl(int nValue);                                     // "Register"
  CString MakeGameIntroUrl(WORD wGameID);                                  // "GameIntro1"
  CString MakeGameIntroHtmlUrl(WORD wGameID);                              // "GameIntro2"
  CString MakeGameDownloadUrl(WORD wGameID);                               // "GameDownload"
  CString MakeDetailUserInfoUrl(DWORD dwUserID);                           // "DetailUserInfo1"
  CString MakeUserFaceDownloadUrl(DWORD dwUserID);                         // "DownloadUserFace1"
  CString MakeUserFaceDownloadUrl(const CString& strText, DWORD dwValue);  // "DownloadUserFace2"
  CString MakeOptionUpdatePassword(const CString& strText);                // "OptionUpdatePassword"
  CString MakeOptionUpdatePwdProtect(const CString& strText);              // "OptionUpdatePwdProtect"
  CString MakeOptionSpreadView(const CString& strText);                    // "OptionSpreadView"
  CString MakeOptionUpdateMyInfo(DWORD dwUserID, const CString& strText);  // "OptionUpdateMyInfo"
  CString MakeFullMoneyByCardUrl(int nValue);                              // "RealCardPay"
  CString MakeFullMoneyByVirtualCardUrl(int nValue);                       // "JCardPay"
  CString MakeFullMoneyByNetBankUrl(int nValue);                           // "NetBankPay"
  CString MakeFullMoneyByTelephoneUrl(int nValue);                         // "PhonePay"
  CString MakeFullMoneyByShenZhouXingUrl(int nValue);                      // "SZXPay"

  // Two forms: with user number 0 or a null text the first template
  // ("HomePage1", "UploadUserFace1") unchanged; with an empty text an empty
  // string; otherwise the second ("HomePage2", "UploadUserFace2") filled with
  // the number, then the text.
  CString MakeIndexUrl(DWORD dwUserID, LPCSTR pszText);
  CString MakeUserFaceUploadUrl(DWORD dwUserID, LPCSTR pszText);

  // "file://" + the base directory + the template ("BannerAd",
  // "AskCloseAd"), which is a path relative to that directory when its site's
  // domain is empty.
  CString MakeLocalBannerAdUrl();
  CString MakeLocalAskCloseAdUrl();

 private:
  bool Load(const std::string& strPath);
  CString Domain(const char* pszName);
  CString Plain(const char* pszName);
  CString Filled(const char* pszName, const UrlArg* args, std::size_t count);
  CString TwoForm(const char* pszFirst, const char* pszSecond, DWORD dwUserID, LPCSTR pszText);
  CString Local(const char* pszName);
  void CheckTemplates();

  CIniFile m_IniFile;
  StringMap m_UrlMap;
  StringMap m_DomainMap;
  StringMap m_ExpressList;
  std::set<std::string> m_UnfitTemplates;
  std::string m_strBaseDir;
};
