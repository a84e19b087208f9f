// The parts of CGameRankTable that need Windows: the tables beside
// Zavrel.dll and the component's storage check.
#include "zavrel/component/component_base.h"
#include "zavrel/config/game_rank_table.h"
#include "zavrel/util/file_utility.h"

CGameRankTable::CGameRankTable() : CGameRankTable(FileUtility::GetCurrentWorkingDirectory()) {}

bool CGameRankTable::IsValid() { return ComponentIsValid(this); }

bool CGameRankTable::Release() { return ComponentRelease(this); }
