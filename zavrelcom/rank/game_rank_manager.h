// CGameRankManager: ZavrelCom's rank component. It reads the ranks of one
// folder's "Rank.ini" (section "Rank"; each key a title, its value the
// threshold in decimal) and answers the rank record for a score.
//
// Created through DllGetClassObject with CLSID_GameRankManager; answers
// IID_IGameRankManager and IID_IUnknownEx (zavrelcom/server).
#pragma once

#include "afx/afx_coll.h"
#include "zavrelcom/rank/rank_list.h"
#include "zavrelcom/server/component.h"
#include "zavrelcom/server/unknown_ex.h"

// {F4D636EB-EC00-42EE-8B5C-427B4BD41B3C}
inline constexpr GUID CLSID_GameRankManager = {
    0xF4D636EB, 0xEC00, 0x42EE, {0x8B, 0x5C, 0x42, 0x7B, 0x4B, 0xD4, 0x1B, 0x3C}};
// {5DCBA6BE-D41D-4AD6-9EBC-DB094ECE0A76}
inline constexpr GUID IID_IGameRankManager = {
    0x5DCBA6BE, 0xD41D, 0x4AD6, {0x9E, 0xBC, 0xDB, 0x09, 0x4E, 0xCE, 0x0A, 0x76}};

// Slots 0 to 2 are IUnknownEx's.
class IGameRankManager : public IUnknownEx {
 public:
  // Slot 3: replaces the table with the ranks of "<folder>\Rank.ini" (one
  // trailing backslash of folder is ignored). A missing file, section or
  // folder (null) leaves the table empty; nothing is reported. Each title is
  // cut to 31 bytes, never inside a double-byte character; each threshold is
  // read as atol does.
  virtual void LoadRanks(const char* folder) = 0;
  // Slot 4: the rank of the highest threshold that the score reaches, the
  // lowest rank when it reaches none, null for an empty table. The record
  // belongs to the manager and stays valid until the next LoadRanks or the
  // end of the object.
  virtual const tagGameRank* GetRank(long score) = 0;

 protected:
  ~IGameRankManager() = default;
};

class CGameRankManager : public CComponentT<IGameRankManager, CGameRankManager> {
 public:
  static constexpr const GUID* kAnswers[] = {&IID_IUnknownEx, &IID_IGameRankManager};

  CGameRankManager() = default;
  ~CGameRankManager() override = default;

  void LoadRanks(const char* folder) override;
  const tagGameRank* GetRank(long score) override;

 private:
  void LoadRankFile(const char* folder);
  CArray<tagGameRank> m_Ranks;
};
