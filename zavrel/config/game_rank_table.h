// IGameRankTable / CGameRankTable: rank titles from scores.
//
// A table lists titles with score thresholds; a score earns the title with
// the highest threshold it reaches, and a score below every threshold the
// lowest title. The default table is read from "GameRank.ini" in the
// directory of Zavrel.dll, a game's table from "<folder>\GameRank.ini" under
// that directory once the game has been registered with AddGameRank.
//
// Rank file: the values of its first key, which must be "GameRank", are the
// ranks: the value's name is the title, its text the threshold in unsigned
// decimal (anything else reads as 0), e.g.
//   [GameRank]
//   Novice=0
//   Expert=500
//   Master=1000
//
// Tables are read lazily: the default table at construction and again on each
// question while it has not been read successfully; a game's table on its
// first question and again on each question while its reads fail. A table
// read successfully is not read again (even when the file changes) until
// AddGameRank registers its game anew. A game without a readable table is
// answered from the default table; with no readable default table the answer
// is null. Nothing is reported; no exception leaves. Used on one thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "afx/afx_string.h"
#include "zavrel/component/unknown_ex.h"
#include "zavrel/zavrel_api.h"

// {850E5617-4EAB-4F2E-AE11-EFA32265E0C2}, version 1.1.1. Slot order:
// IsValid, Release, QueryInterface, GetRankTitle, AddGameRank, destructor.
class IGameRankTable : public IUnknownEx {
 public:
  // The title for the score in the game's table (or the default table, see
  // above); null when the table used is empty. The text belongs to the table
  // and stays valid until that table is read again or the object ends.
  virtual const char* GetRankTitle(WORD wGameID, std::int64_t lScore) = 0;
  // Registers the game's table folder (a sub-folder of Zavrel's directory),
  // or registers it anew: its table counts as not read, and is read on the
  // game's next question. Reads nothing.
  virtual void AddGameRank(WORD wGameID, const CString& strFolder) = 0;
  virtual ~IGameRankTable() = default;
};

// One rank: the threshold (read as unsigned 32 bits) and the title.
struct tagGameRankItem {
  std::int64_t lScore;
  CString strTitle;
};

// One table.
struct tagGameRankInfo {
  WORD wGameID = 0;   // 0 for the default table
  CString strFolder;  // empty for the default table
  bool bLoaded = false;
  std::vector<tagGameRankItem> RankItems;  // highest threshold first
};

// Made by CreateGameRankManager (create_functions.h); ended with Release.
class ZAVREL_API CGameRankTable : public IGameRankTable {
 public:
#ifdef _WIN32
  // Tables under the directory of Zavrel.dll; reads the default table.
  CGameRankTable();
#endif
  // Tables under strBaseDir (ending in the path separator); reads the
  // default table.
  explicit CGameRankTable(const std::string& strBaseDir);
  CGameRankTable(const CGameRankTable&) = delete;
  CGameRankTable& operator=(const CGameRankTable&) = delete;
  ~CGameRankTable() override;

  bool IsValid() override;
  bool Release() override;
  void* QueryInterface(const IID& Guid, DWORD dwQueryVer) override;
  const char* GetRankTitle(WORD wGameID, std::int64_t lScore) override;
  void AddGameRank(WORD wGameID, const CString& strFolder) override;

  // The rank file of a table: the base directory, the folder and a path
  // separator when the folder is not empty, then "GameRank.ini". Empty when
  // memory runs out.
  std::string RankFilePath(const tagGameRankInfo& info) const;
  // Reads the table's file into it; true when the file held ranks.
  bool ReadRankTable(tagGameRankInfo& info) const;
  // The title for the score in the table; null when it is empty.
  static const char* LookupRank(const tagGameRankInfo& info, std::int64_t lScore);

 private:
  tagGameRankInfo m_DefaultRank;
  std::map<WORD, tagGameRankInfo> m_GameRanks;
  std::string m_strBaseDir;
};
