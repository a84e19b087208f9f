// CDataStorage: order, empty queue, limits, wrap-around, small buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/kelmar/data_storage.h"

namespace {

std::string Take(CDataStorage& q, std::uint16_t* id = nullptr) {
  std::vector<char> buffer(65535);
  tagDataHead head = {1, 1};
  EXPECT_TRUE(q.GetData(head, buffer.data(), static_cast<std::uint16_t>(buffer.size())));
  if (id) *id = head.wIdentifier;
  return std::string(buffer.data(), head.wDataSize);
}

}  // namespace

TEST(DataStorage, HandsRecordsOutInTheOrderAdded) {
  CDataStorage q;
  EXPECT_TRUE(q.AddData(1, "first", 5));
  EXPECT_TRUE(q.AddData(2, "", 0));
  EXPECT_TRUE(q.AddData(3, "third record", 12));
  EXPECT_EQ(3u, q.GetDataCount());
  std::uint16_t id = 0;
  EXPECT_EQ("first", Take(q, &id));
  EXPECT_EQ(1, id);
  EXPECT_EQ("", Take(q, &id));
  EXPECT_EQ(2, id);
  EXPECT_EQ("third record", Take(q, &id));
  EXPECT_EQ(3, id);
  EXPECT_EQ(0u, q.GetDataCount());
  EXPECT_EQ(0u, q.GetUsedSize());
}

TEST(DataStorage, EmptyQueueAnswersAZeroHeadAndLeavesTheBuffer) {
  CDataStorage q;
  tagDataHead head = {77, 88};
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(q.GetData(head, buffer, sizeof(buffer)));
  EXPECT_EQ(0, head.wDataSize);
  EXPECT_EQ(0, head.wIdentifier);
  EXPECT_EQ('x', buffer[0]);
  // Drained after use: the same.
  q.AddData(5, "ab", 2);
  Take(q);
  head = {77, 88};
  EXPECT_FALSE(q.GetData(head, buffer, sizeof(buffer)));
  EXPECT_EQ(0, head.wDataSize);
}

TEST(DataStorage, KeepsItsOwnCopy) {
  CDataStorage q;
  char data[] = "original";
  ASSERT_TRUE(q.AddData(1, data, 8));
  std::memcpy(data, "changed!", 8);
  EXPECT_EQ("original", Take(q));
}

TEST(DataStorage, RecordPastTheLimitIsRefusedAndNothingIsStored) {
  CDataStorage q(64 * 1024);
  EXPECT_EQ(64u * 1024u, q.GetStorageLimit());
  const std::vector<char> big(40000, 'b');
  EXPECT_TRUE(q.AddData(1, big.data(), 40000));
  EXPECT_FALSE(q.AddData(2, big.data(), 40000));  // 80008 bytes > 64 KB
  EXPECT_EQ(1u, q.GetDataCount());
  EXPECT_EQ(40004u, q.GetUsedSize());
  EXPECT_EQ(std::string(big.begin(), big.end()), Take(q));
  // Room again once taken out.
  EXPECT_TRUE(q.AddData(2, big.data(), 40000));
  // A tiny limit is raised so that every record fits an empty queue.
  CDataStorage tiny(10);
  EXPECT_EQ(64u * 1024u, tiny.GetStorageLimit());
  EXPECT_TRUE(tiny.AddData(1, big.data(), 40000));
  // Null data with a size is refused.
  EXPECT_FALSE(tiny.AddData(1, nullptr, 3));
}

TEST(DataStorage, RecordsWrapAroundTheRingIntact) {
  CDataStorage q(64 * 1024);
  // Keep about 50 KB queued while adding and taking many odd-sized records,
  // so heads and bodies cross the end of the ring.
  std::vector<std::string> expected;
  std::size_t next = 0;
  unsigned seed = 12345;
  for (int i = 0; i < 2000; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::string rec(1000 + (seed >> 16) % 3000, static_cast<char>('a' + i % 26));
    rec[0] = static_cast<char>(i);
    while (!q.AddData(static_cast<std::uint16_t>(i), rec.data(), static_cast<std::uint16_t>(rec.size()))) {
      ASSERT_LT(next, expected.size());
      std::uint16_t id = 0;
      ASSERT_EQ(expected[next], Take(q, &id));
      EXPECT_EQ(static_cast<std::uint16_t>(next), id);
      ++next;
    }
    expected.push_back(rec);
  }
  while (next < expected.size()) ASSERT_EQ(expected[next++], Take(q));
  EXPECT_EQ(0u, q.GetDataCount());
}

TEST(DataStorage, GrowingKeepsQueuedRecords) {
  CDataStorage q;
  std::vector<char> rec(30000);
  for (int i = 0; i < 100; ++i) {
    std::memset(rec.data(), i, rec.size());
    ASSERT_TRUE(q.AddData(static_cast<std::uint16_t>(i), rec.data(), static_cast<std::uint16_t>(rec.size())));
  }
  for (int i = 0; i < 100; ++i) {
    const std::string got = Take(q);
    ASSERT_EQ(30000u, got.size());
    EXPECT_EQ(static_cast<char>(i), got.front());
    EXPECT_EQ(static_cast<char>(i), got.back());
  }
}

TEST(DataStorage, RecordLongerThanTheBufferIsDroppedNotLeftBlocking) {
  CDataStorage q;
  q.AddData(1, "0123456789", 10);
  q.AddData(2, "ok", 2);
  char small[4] = {};
  tagDataHead head = {};
  EXPECT_FALSE(q.GetData(head, small, sizeof(small)));
  EXPECT_EQ(10, head.wDataSize);
  EXPECT_EQ(1, head.wIdentifier);
  EXPECT_EQ("ok", Take(q));
}

TEST(DataStorage, RemoveDataDiscardsEverything) {
  for (bool freeMemory : {false, true}) {
    CDataStorage q;
    q.AddData(1, "a", 1);
    q.AddData(2, "b", 1);
    q.RemoveData(freeMemory);
    EXPECT_EQ(0u, q.GetDataCount());
    EXPECT_EQ(0u, q.GetUsedSize());
    tagDataHead head = {};
    char buffer[4];
    EXPECT_FALSE(q.GetData(head, buffer, sizeof(buffer)));
    EXPECT_TRUE(q.AddData(3, "c", 1));
    EXPECT_EQ("c", Take(q));
  }
}
