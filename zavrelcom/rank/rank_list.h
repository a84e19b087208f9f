// The rank records of the game rank manager and their lookup. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

// One rank: its title and the lowest score that holds it (36 bytes).
struct tagGameRank {
  char szTitle[32];     // NUL-terminated, at most 31 bytes
  std::int32_t lScore;  // threshold
};
static_assert(sizeof(tagGameRank) == 36, "tagGameRank is 36 bytes");

// A threshold as atol reads it: optional white space (bytes 9 to 13 and 32),
// an optional sign, decimal digits up to the first other byte; 0 without
// digits or for null. Values beyond 32 bits stop at the nearest limit.
std::int32_t ReadRankThreshold(const char* text);

// Highest threshold first; records with equal thresholds in no set order.
void SortRanksHighestFirst(tagGameRank* ranks, std::size_t count);

// The first record (ranks sorted highest first) whose threshold the score
// reaches; the last one when the score is below all; null when count is 0.
const tagGameRank* FindRankForScore(const tagGameRank* ranks, std::size_t count, long score);
