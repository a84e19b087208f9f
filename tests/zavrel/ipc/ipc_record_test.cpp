// The copy-data record format and the channel's queued records (portable).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "zavrel/ipc/ipc_record.h"

namespace {

std::vector<unsigned char> Record(WORD version, WORD size, WORD main, WORD sub, std::size_t total) {
  std::vector<unsigned char> rec(total < 8 ? 8 : total, 0xAB);
  const IPC_Head head = {version, size, main, sub};
  std::memcpy(rec.data(), &head, sizeof(head));
  rec.resize(total);
  return rec;
}

}  // namespace

TEST(IpcRecord, HeadIsEightLittleEndianBytes) {
  unsigned char buffer[IPC_BUFFER];
  const unsigned char body[3] = {7, 8, 9};
  ASSERT_EQ(11, IPCBuildRecord(buffer, 0x1234, 0xABCD, body, 3));
  const unsigned char expected[] = {1, 0, 11, 0, 0x34, 0x12, 0xCD, 0xAB, 7, 8, 9};
  EXPECT_EQ(0, std::memcmp(expected, buffer, sizeof(expected)));
  EXPECT_EQ(40968, IPC_BUFFER);
}

TEST(IpcRecord, BuildHonoursTheBodyLimitAndIgnoresSizeWithoutABody) {
  std::vector<unsigned char> buffer(IPC_BUFFER, 0);
  std::vector<unsigned char> body(IPC_PACKAGE + 1, 0x42);
  EXPECT_EQ(40968, IPCBuildRecord(buffer.data(), 1, 2, body.data(), IPC_PACKAGE));
  IPC_Head head;
  std::memcpy(&head, buffer.data(), 8);
  EXPECT_EQ(40968, head.wDataSize);
  EXPECT_EQ(0x42, buffer[IPC_BUFFER - 1]);
  buffer.assign(IPC_BUFFER, 0);
  EXPECT_EQ(0, IPCBuildRecord(buffer.data(), 1, 2, body.data(), IPC_PACKAGE + 1));
  EXPECT_EQ(0, buffer[0]);  // nothing written
  EXPECT_EQ(8, IPCBuildRecord(buffer.data(), 1, 2, nullptr, 500));
  EXPECT_EQ(8, IPCBuildRecord(buffer.data(), 1, 2, body.data(), 0));
}

TEST(IpcRecord, SplitHandsOnTheBodySize) {
  const auto rec = Record(1, 24, 5, 6, 24);
  IPC_Head head;
  const void* body = nullptr;
  WORD size = 0;
  ASSERT_TRUE(IPCSplitRecord(IPC_IDENTIFIER, rec.data(), 24, head, body, size));
  EXPECT_EQ(16, head.wDataSize);
  EXPECT_EQ(16, size);
  EXPECT_EQ(5, head.wMainCmdID);
  EXPECT_EQ(6, head.wSubCmdID);
  EXPECT_EQ(rec.data() + 8, body);

  const auto empty = Record(1, 8, 5, 6, 8);
  ASSERT_TRUE(IPCSplitRecord(IPC_IDENTIFIER, empty.data(), 8, head, body, size));
  EXPECT_EQ(nullptr, body);
  EXPECT_EQ(0, size);

  const auto largest = Record(1, IPC_BUFFER, 5, 6, IPC_BUFFER);
  ASSERT_TRUE(IPCSplitRecord(IPC_IDENTIFIER, largest.data(), IPC_BUFFER, head, body, size));
  EXPECT_EQ(IPC_PACKAGE, size);
}

TEST(IpcRecord, SplitRefusesEveryMalformedPayload) {
  IPC_Head head;
  const void* body = nullptr;
  WORD size = 0;
  const auto ok = Record(1, 8, 5, 6, 8);
  EXPECT_FALSE(IPCSplitRecord(2, ok.data(), 8, head, body, size));  // kind
  EXPECT_FALSE(IPCSplitRecord(0, ok.data(), 8, head, body, size));
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, ok.data(), 7, head, body, size));  // short
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, ok.data(), 0, head, body, size));
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, nullptr, 8, head, body, size));
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, Record(2, 8, 5, 6, 8).data(), 8, head, body, size));  // version
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, Record(0, 8, 5, 6, 8).data(), 8, head, body, size));
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, Record(1, 20, 5, 6, 24).data(), 24, head, body, size));  // size
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, Record(1, 24, 5, 6, 20).data(), 20, head, body, size));
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, Record(1, 7, 5, 6, 7).data(), 7, head, body, size));
  // Larger than the format allows, even when the size field agrees.
  const auto over = Record(1, IPC_BUFFER + 1, 5, 6, IPC_BUFFER + 1);
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, over.data(), IPC_BUFFER + 1, head, body, size));
  // A size field cannot match a payload past 65535 bytes.
  const auto huge = Record(1, 0, 5, 6, 65536);
  EXPECT_FALSE(IPCSplitRecord(IPC_IDENTIFIER, huge.data(), 65536, head, body, size));
}

TEST(IpcRecord, QueuedRecordRoundTripsTheSenderIn32Bits) {
  std::vector<unsigned char> buffer(IPC_QUEUED_BUFFER);
  const IPC_Head head = {1, 3, 9, 10};
  const unsigned char body[3] = {1, 2, 3};
  const WORD length = IPCPackQueued(buffer.data(), head, 0xFFFF1234u, body);
  ASSERT_EQ(15, length);
  IPC_Head out;
  DWORD sender = 0;
  const void* outBody = nullptr;
  ASSERT_TRUE(IPCUnpackQueued(buffer.data(), length, out, sender, outBody));
  EXPECT_EQ(3, out.wDataSize);
  EXPECT_EQ(9, out.wMainCmdID);
  EXPECT_EQ(10, out.wSubCmdID);
  EXPECT_EQ(0xFFFF1234u, sender);
  EXPECT_EQ(0, std::memcmp(body, outBody, 3));

  const IPC_Head none = {1, 0, 9, 10};
  ASSERT_EQ(12, IPCPackQueued(buffer.data(), none, 5, nullptr));
  ASSERT_TRUE(IPCUnpackQueued(buffer.data(), 12, out, sender, outBody));
  EXPECT_EQ(nullptr, outBody);
}

TEST(IpcRecord, QueuedRecordWithAWrongLengthIsRefused) {
  std::vector<unsigned char> buffer(IPC_QUEUED_BUFFER);
  const IPC_Head head = {1, 3, 9, 10};
  const unsigned char body[3] = {1, 2, 3};
  ASSERT_EQ(15, IPCPackQueued(buffer.data(), head, 1, body));
  IPC_Head out;
  DWORD sender = 0;
  const void* outBody = nullptr;
  EXPECT_FALSE(IPCUnpackQueued(buffer.data(), 14, out, sender, outBody));
  EXPECT_FALSE(IPCUnpackQueued(buffer.data(), 16, out, sender, outBody));
  EXPECT_FALSE(IPCUnpackQueued(buffer.data(), 11, out, sender, outBody));
  EXPECT_FALSE(IPCUnpackQueued(buffer.data(), 0, out, sender, outBody));
  // Packing refuses what could not be unpacked.
  const IPC_Head over = {1, IPC_PACKAGE + 1, 9, 10};
  EXPECT_EQ(0, IPCPackQueued(buffer.data(), over, 1, body));
  EXPECT_EQ(0, IPCPackQueued(buffer.data(), head, 1, nullptr));
}
