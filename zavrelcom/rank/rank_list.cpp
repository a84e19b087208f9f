#include "zavrelcom/rank/rank_list.h"

#include <algorithm>

std::int32_t ReadRankThreshold(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= 9 && *p <= 13)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) value = limit;  // stays at the limit for the remaining digits
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

void SortRanksHighestFirst(tagGameRank* ranks, std::size_t count) {
  if (!ranks || count < 2) return;
  std::sort(ranks, ranks + count, [](const tagGameRank& a, const tagGameRank& b) { return a.lScore > b.lScore; });
}

const tagGameRank* FindRankForScore(const tagGameRank* ranks, std::size_t count, long score) {
  if (!ranks || count == 0) return nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (ranks[i].lScore <= score) return &ranks[i];
  }
  return &ranks[count - 1];
}
