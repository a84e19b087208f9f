// Rank thresholds read as atol does, and the rank lookup.
#include "zavrelcom/rank/rank_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

tagGameRank Rank(const char* title, std::int32_t score) {
  tagGameRank r = {};
  std::strcpy(r.szTitle, title);
  r.lScore = score;
  return r;
}

}  // namespace

TEST(RankThreshold, ReadsAsAtolDoes) {
  EXPECT_EQ(12, ReadRankThreshold("12abc"));
  EXPECT_EQ(12, ReadRankThreshold("12 ;note"));
  EXPECT_EQ(-40, ReadRankThreshold(" \t-40"));
  EXPECT_EQ(7, ReadRankThreshold("+7"));
  EXPECT_EQ(0, ReadRankThreshold("abc"));
  EXPECT_EQ(0, ReadRankThreshold("- 5"));  // no white space after the sign
  EXPECT_EQ(0, ReadRankThreshold(""));
  EXPECT_EQ(0, ReadRankThreshold(nullptr));
  EXPECT_EQ(INT32_MAX, ReadRankThreshold("99999999999999999999"));
  EXPECT_EQ(INT32_MIN, ReadRankThreshold("-2147483648"));
  EXPECT_EQ(INT32_MIN, ReadRankThreshold("-99999999999"));
}

TEST(RankLookup, HighestReachedThresholdAndLowestBelowAll) {
  std::vector<tagGameRank> ranks = {Rank("Expert", 500), Rank("Novice", 0), Rank("Master", 1000)};
  SortRanksHighestFirst(ranks.data(), ranks.size());
  EXPECT_STREQ("Master", ranks[0].szTitle);
  EXPECT_STREQ("Novice", ranks[2].szTitle);
  EXPECT_STREQ("Master", FindRankForScore(ranks.data(), ranks.size(), 1000)->szTitle);
  EXPECT_STREQ("Master", FindRankForScore(ranks.data(), ranks.size(), 99999)->szTitle);
  EXPECT_STREQ("Expert", FindRankForScore(ranks.data(), ranks.size(), 999)->szTitle);
  EXPECT_STREQ("Expert", FindRankForScore(ranks.data(), ranks.size(), 500)->szTitle);
  EXPECT_STREQ("Novice", FindRankForScore(ranks.data(), ranks.size(), 499)->szTitle);
  EXPECT_STREQ("Novice", FindRankForScore(ranks.data(), ranks.size(), -5)->szTitle);
  EXPECT_EQ(nullptr, FindRankForScore(ranks.data(), 0, 5));
  EXPECT_EQ(nullptr, FindRankForScore(nullptr, 3, 5));
}

TEST(RankLookup, NegativeThresholdsAndAScoreBelowEveryOne) {
  std::vector<tagGameRank> ranks = {Rank("Low", -100), Rank("Mid", -10)};
  SortRanksHighestFirst(ranks.data(), ranks.size());
  EXPECT_STREQ("Mid", FindRankForScore(ranks.data(), ranks.size(), -10)->szTitle);
  EXPECT_STREQ("Low", FindRankForScore(ranks.data(), ranks.size(), -11)->szTitle);
  EXPECT_STREQ("Low", FindRankForScore(ranks.data(), ranks.size(), -1000)->szTitle);
}
