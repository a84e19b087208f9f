#include "zavrelcom/rank/game_rank_manager.h"

#include "support/dravik/ini_file.h"
#include "zavrelcom/server/dbcs_text.h"

void CGameRankManager::LoadRanks(const char* folder) {
  try {
    LoadRankFile(folder);
  } catch (...) {
    m_Ranks.RemoveAll();  // out of memory: an empty table, never an unsorted one
  }
}

void CGameRankManager::LoadRankFile(const char* folder) {
  m_Ranks.RemoveAll();
  if (!folder) return;
  CString dir(folder);
  DbcsRemoveTrailingBackslash(dir.GetBuffer());
  dir.ReleaseBuffer();
  CString path;
  path.Format("%s\\%s", dir.GetString(), "Rank.ini");

  CIniFile ini(path, 4096);
  CMapStringToString ranks(10);
  ranks.InitHashTable(10);
  ini.GetSection("Rank", ranks);

  POSITION pos = ranks.GetStartPosition();
  while (pos) {
    CString title, threshold;
    ranks.GetNextAssoc(pos, title, threshold);
    tagGameRank rank = {};
    DbcsCopy(rank.szTitle, sizeof(rank.szTitle), title);
    rank.lScore = ReadRankThreshold(threshold);
    m_Ranks.Add(rank);
  }
  SortRanksHighestFirst(m_Ranks.GetData(), static_cast<std::size_t>(m_Ranks.GetSize()));
}

const tagGameRank* CGameRankManager::GetRank(long score) {
  return FindRankForScore(m_Ranks.GetData(), static_cast<std::size_t>(m_Ranks.GetSize()), score);
}
