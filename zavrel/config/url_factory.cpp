#include "zavrel/config/url_factory.h"

#include <cerrno>
#include <cstring>

#include "base/no_throw.h"

namespace {

#ifdef _WIN32
const char kUrlsFile[] = "Config\\Urls.ini";
#else
const char kUrlsFile[] = "Config/Urls.ini";
#endif

const char kDomainSection[] = "Domain";
const char kExpressSection[] = "Express";

const UrlArgKind kInteger[] = {UrlArgKind::Integer};
const UrlArgKind kText[] = {UrlArgKind::Text};
const UrlArgKind kTextInteger[] = {UrlArgKind::Text, UrlArgKind::Integer};
const UrlArgKind kIntegerText[] = {UrlArgKind::Integer, UrlArgKind::Text};

// Every formatting maker's template name with the kinds of its arguments.
struct TemplateUse {
  const char* name;
  const UrlArgKind* kinds;
  std::size_t count;
};
const TemplateUse kTemplateUses[] = {
    {"Register", kInteger, 1},
    {"GameIntro1", kInteger, 1},
    {"GameIntro2", kInteger, 1},
    {"GameDownload", kInteger, 1},
    {"DetailUserInfo1", kInteger, 1},
    {"DownloadUserFace1", kInteger, 1},
    {"DownloadUserFace2", kTextInteger, 2},
    {"OptionUpdatePassword", kText, 1},
    {"OptionUpdatePwdProtect", kText, 1},
    {"OptionSpreadView", kText, 1},
    {"OptionUpdateMyInfo", kIntegerText, 2},
    {"RealCardPay", kInteger, 1},
    {"JCardPay", kInteger, 1},
    {"NetBankPay", kInteger, 1},
    {"PhonePay", kInteger, 1},
    {"SZXPay", kInteger, 1},
    {"HomePage2", kIntegerText, 2},
    {"UploadUserFace2", kIntegerText, 2},
};

}  // namespace

CUrlFactory::CUrlFactory(const std::string& strBaseDir) : m_strBaseDir(strBaseDir) {
  LoadConfig(strBaseDir + kUrlsFile);
}

CUrlFactory::CUrlFactory(const CUrlFactory& other) = default;

CUrlFactory& CUrlFactory::operator=(const CUrlFactory& other) = default;

CUrlFactory::~CUrlFactory() = default;

bool CUrlFactory::LoadConfig(const std::string& strPath) {
  if (NoThrow(false, [&] { return Load(strPath); })) return true;
  // Out of memory: no half-built maps; every maker answers an empty string.
  m_DomainMap.clear();
  m_UrlMap.clear();
  m_UnfitTemplates.clear();
  return false;
}

bool CUrlFactory::Load(const std::string& strPath) {
  m_IniFile.SetPath(strPath);
  // A missing or keyless file adds nothing and is no failure; a read cut
  // short for lack of memory (errno ENOMEM) fails the whole load. So does an
  // accessor below that answers "" for lack of memory, which is not the
  // file's text.
  errno = 0;
  if (!m_IniFile.ReadFile() && errno == ENOMEM) return false;
  errno = 0;
  m_DomainMap.clear();
  m_UrlMap.clear();
  const unsigned keyCount = m_IniFile.GetNumKeys();
  for (unsigned i = 0; i < keyCount; ++i) {
    const std::string section = m_IniFile.GetKeyName(i);
    const unsigned valueCount = m_IniFile.GetNumValues(i);
    const bool isDomain = section == kDomainSection;
    const bool isExpress = !isDomain && section == kExpressSection;
    // A site's domain is looked up once, before its values; the lookup
    // records a missing domain as empty, so a later "Domain" entry of that
    // name is dropped.
    const std::string domain = (isDomain || isExpress) ? std::string() : m_DomainMap[section];
    for (unsigned j = 0; j < valueCount; ++j) {
      const std::string name = m_IniFile.GetValueName(i, j);
      const std::string text = m_IniFile.GetValue(i, j, "");
      if (isDomain) {
        m_DomainMap.emplace(name, text);
      } else if (isExpress) {
        m_ExpressList.emplace(name, text);
      } else {
        m_UrlMap.emplace(name, domain + text);
      }
    }
  }
  if (errno == ENOMEM) return false;
  CheckTemplates();
  return true;
}

void CUrlFactory::CheckTemplates() {
  m_UnfitTemplates.clear();
  for (const TemplateUse& use : kTemplateUses) {
    const auto it = m_UrlMap.find(use.name);
    if (it != m_UrlMap.end() && !UrlTemplate::Fits(it->second, use.kinds, use.count)) {
      m_UnfitTemplates.insert(use.name);
    }
  }
}

// Each maker's whole work happens in one of these, behind the barrier: out of
// memory, the answer is an empty string.

CString CUrlFactory::Plain(const char* pszName) {
  return NoThrow(CString(), [&] {
    const auto it = m_UrlMap.find(pszName);
    return it == m_UrlMap.end() ? CString() : CString(it->second);
  });
}

CString CUrlFactory::Filled(const char* pszName, const UrlArg* args, std::size_t count) {
  return NoThrow(CString(), [&] {
    const auto it = m_UrlMap.find(pszName);
    if (it == m_UrlMap.end() || m_UnfitTemplates.count(pszName)) return CString();
    std::string url;
    if (!UrlTemplate::Format(it->second, args, count, &url)) return CString();
    return CString(url);
  });
}

CString CUrlFactory::TwoForm(const char* pszFirst, const char* pszSecond, DWORD dwUserID, LPCSTR pszText) {
  if (dwUserID == 0 || pszText == nullptr) return Plain(pszFirst);
  if (*pszText == '\0') return CString();
  const UrlArg args[] = {UrlArg::Unsigned(dwUserID), UrlArg::Text(pszText)};
  return Filled(pszSecond, args, 2);
}

CString CUrlFactory::Local(const char* pszName) {
  return NoThrow(CString(), [&] {
    const auto it = m_UrlMap.find(pszName);
    CString url;
    url.Format("file://%s%s", m_strBaseDir.c_str(), it == m_UrlMap.end() ? "" : it->second.c_str());
    return url;
  });
}

CString CUrlFactory::Domain(const char* pszName) {
  return NoThrow(CString(), [&] {
    const auto it = m_DomainMap.find(pszName);
    return it == m_DomainMap.end() ? CString() : CString(it->second);
  });
}

CString CUrlFactory::GetHomePage() { return Domain("WWW"); }
CString CUrlFactory::GetImageCacheDomain() { return Domain("ImageCache"); }
CString CUrlFactory::GetUpdateDomain() { return Domain("Update"); }
CString CUrlFactory::GetUserDomain() { return Domain("User"); }
CString CUrlFactory::GetPayDomain() { return Domain("Pay"); }
CString CUrlFactory::GetCrashDomain() { return Domain("Crash"); }
CString CUrlFactory::GetGameWebDomain() { return Domain("GameWeb"); }

CString CUrlFactory::MakeHallIndex() { return Plain("HallIndex"); }
CString CUrlFactory::MakeGameForumUrl() { return Plain("Forum"); }
CString CUrlFactory::MakeRegProtocolUrl() { return Plain("RegisterProtocol"); }
CString CUrlFactory::MakeFoundPassword() { return Plain("FoundPassword"); }
CString CUrlFactory::MakeMoneyTop10() { return Plain("MoneyTop10"); }
CString CUrlFactory::MakePayUrl(DWORD, LPCSTR) { return Plain("PayIndex"); }

CString CUrlFactory::MakeRegisterUrl(int nValue) {
  const UrlArg args[] = {UrlArg::Signed(nValue)};
  return Filled("Register", args, 1);
}

CString CUrlFactory::MakeGameIntroUrl(WORD wGameID) {
  const UrlArg args[] = {UrlArg::Unsigned(wGameID)};
  return Filled("GameIntro1", args, 1);
}

CString CUrlFactory::MakeGameIntroHtmlUrl(WORD wGameID) {
  const UrlArg args[] = {UrlArg::Unsigned(wGameID)};
  return Filled("GameIntro2", args, 1);
}

CString CUrlFactory::MakeGameDownloadUrl(WORD wGameID) {
  const UrlArg args[] = {UrlArg::Unsigned(wGameID)};
  return Filled("GameDownload", args, 1);
}

CString CUrlFactory::MakeDetailUserInfoUrl(DWORD dwUserID) {
  const UrlArg args[] = {UrlArg::Unsigned(dwUserID)};
  return Filled("DetailUserInfo1", args, 1);
}

CString CUrlFactory::MakeUserFaceDownloadUrl(DWORD dwUserID) {
  const UrlArg args[] = {UrlArg::Unsigned(dwUserID)};
  return Filled("DownloadUserFace1", args, 1);
}

CString CUrlFactory::MakeUserFaceDownloadUrl(const CString& strText, DWORD dwValue) {
  const UrlArg args[] = {UrlArg::Text(strText.GetString()), UrlArg::Unsigned(dwValue)};
  return Filled("DownloadUserFace2", args, 2);
}

CString CUrlFactory::MakeOptionUpdatePassword(const CString& strText) {
  const UrlArg args[] = {UrlArg::Text(strText.GetString())};
  return Filled("OptionUpdatePassword", args, 1);
}

CString CUrlFactory::MakeOptionUpdatePwdProtect(const CString& strText) {
  const UrlArg args[] = {UrlArg::Text(strText.GetString())};
  return Filled("OptionUpdatePwdProtect", args, 1);
}

CString CUrlFactory::MakeOptionSpreadView(const CString& strText) {
  const UrlArg args[] = {UrlArg::Text(strText.GetString())};
  return Filled("OptionSpreadView", args, 1);
}

CString CUrlFactory::MakeOptionUpdateMyInfo(DWORD dwUserID, const CString& strText) {
  const UrlArg args[] = {UrlArg::Unsigned(dwUserID), UrlArg::Text(strText.GetString())};
  return Filled("OptionUpdateMyInfo", args, 2);
}

CString CUrlFactory::MakeFullMoneyByCardUrl(int nValue) {
  const UrlArg args[] = {UrlArg::Signed(nValue)};
  return Filled("RealCardPay", args, 1);
}

CString CUrlFactory::MakeFullMoneyByVirtualCardUrl(int nValue) {
  const UrlArg args[] = {UrlArg::Signed(nValue)};
  return Filled("JCardPay", args, 1);
}

CString CUrlFactory::MakeFullMoneyByNetBankUrl(int nValue) {
  const UrlArg args[] = {UrlArg::Signed(nValue)};
  return Filled("NetBankPay", args, 1);
}

CString CUrlFactory::MakeFullMoneyByTelephoneUrl(int nValue) {
  const UrlArg args[] = {UrlArg::Signed(nValue)};
  return Filled("PhonePay", args, 1);
}

CString CUrlFactory::MakeFullMoneyByShenZhouXingUrl(int nValue) {
  const UrlArg args[] = {UrlArg::Signed(nValue)};
  return Filled("SZXPay", args, 1);
}

CString CUrlFactory::MakeIndexUrl(DWORD dwUserID, LPCSTR pszText) {
  return TwoForm("HomePage1", "HomePage2", dwUserID, pszText);
}

CString CUrlFactory::MakeUserFaceUploadUrl(DWORD dwUserID, LPCSTR pszText) {
  return TwoForm("UploadUserFace1", "UploadUserFace2", dwUserID, pszText);
}

CString CUrlFactory::MakeLocalBannerAdUrl() { return Local("BannerAd"); }
CString CUrlFactory::MakeLocalAskCloseAdUrl() { return Local("AskCloseAd"); }
