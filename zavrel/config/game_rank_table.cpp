#include "zavrel/config/game_rank_table.h"

#include <algorithm>

#include "base/no_throw.h"
#include "zavrel/component/query_rule.h"
#include "zavrel/datafile/ini_file.h"
#include "zavrel/util/string_utility.h"

namespace {

#ifdef _WIN32
const char kPathSeparator = '\\';
#else
const char kPathSeparator = '/';
#endif

const char kRankFileName[] = "GameRank.ini";
const char kRankKey[] = "GameRank";

}  // namespace

CGameRankTable::CGameRankTable(const std::string& strBaseDir) : m_strBaseDir(strBaseDir) {
  m_DefaultRank.bLoaded = ReadRankTable(m_DefaultRank);
}

CGameRankTable::~CGameRankTable() = default;

#ifndef _WIN32
// The native build has no storage check; the object is valid while it lives.
bool CGameRankTable::IsValid() { return true; }

bool CGameRankTable::Release() {
  delete this;
  return true;
}
#endif

void* CGameRankTable::QueryInterface(const IID& Guid, DWORD dwQueryVer) {
  const InterfaceEntry table[] = {{&IID_IGameRankTable, static_cast<IGameRankTable*>(this)},
                                  {&IID_IUnknownEx, static_cast<IGameRankTable*>(this)}};
  return QueryInterfaceByTable(Guid, dwQueryVer, table);
}

std::string CGameRankTable::RankFilePath(const tagGameRankInfo& info) const {
  return NoThrow(std::string(), [&] {
    std::string path = m_strBaseDir;
    if (!info.strFolder.IsEmpty()) {
      path += info.strFolder.GetString();
      path += kPathSeparator;
    }
    return path + kRankFileName;
  });
}

bool CGameRankTable::ReadRankTable(tagGameRankInfo& info) const {
  info.RankItems.clear();
  try {
    const std::string path = RankFilePath(info);
    if (path.empty()) return false;  // no memory for the path
    CIniFile ini(path);
    if (!ini.ReadFile()) return false;
    const unsigned count = ini.NumValues(kRankKey);
    if (count == 0) return false;
    std::vector<tagGameRankItem> items;
    items.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
      // The title is value i of the first key; its threshold is looked up by
      // that name in "GameRank" (the same key in every sound file).
      const std::string title = ini.GetValueName(0u, i);
      const std::uint32_t threshold =
          static_cast<std::uint32_t>(StringUtility::parseUlong(ini.GetValue(kRankKey, title, "")));
      items.push_back({static_cast<std::int64_t>(threshold), CString(title)});
    }
    std::sort(items.begin(), items.end(),
              [](const tagGameRankItem& a, const tagGameRankItem& b) { return a.lScore > b.lScore; });
    info.RankItems.swap(items);
    return true;
  } catch (...) {
    // Out of memory while reading: the table stays unread.
    info.RankItems.clear();
    return false;
  }
}

const char* CGameRankTable::LookupRank(const tagGameRankInfo& info, std::int64_t lScore) {
  if (info.RankItems.empty()) return nullptr;
  for (const tagGameRankItem& item : info.RankItems) {
    if (item.lScore <= lScore) return item.strTitle.GetString();
  }
  return info.RankItems.back().strTitle.GetString();
}

const char* CGameRankTable::GetRankTitle(WORD wGameID, std::int64_t lScore) {
  const auto it = m_GameRanks.find(wGameID);
  if (it != m_GameRanks.end()) {
    tagGameRankInfo& info = it->second;
    if (!info.bLoaded) info.bLoaded = ReadRankTable(info);
    if (info.bLoaded) return LookupRank(info, lScore);
  }
  if (!m_DefaultRank.bLoaded) m_DefaultRank.bLoaded = ReadRankTable(m_DefaultRank);
  return LookupRank(m_DefaultRank, lScore);
}

void CGameRankTable::AddGameRank(WORD wGameID, const CString& strFolder) {
  try {
    tagGameRankInfo& info = m_GameRanks[wGameID];
    // The titles of an earlier read stay until the table is read again, so
    // pointers handed out keep pointing at them; unread, they answer nothing.
    info.wGameID = wGameID;
    info.strFolder = strFolder;
    info.bLoaded = false;
  } catch (...) {
    // Out of memory: the game stays unregistered and is answered from the
    // default table.
  }
}
