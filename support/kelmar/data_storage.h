// CDataStorage: a first-in, first-out queue of tagged byte records.
//
// AddData keeps its own copy of each record; GetData hands the oldest one
// out and removes it. Records live in one contiguous ring of bytes that
// grows on demand up to a fixed limit (no allocation per record once the
// ring has grown), so a sender that floods the queue is refused, never
// allowed to exhaust memory. Not thread-safe: one thread uses a queue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/library_api.h"

// The head of a record handed out by GetData. wDataSize is the length of
// the record's data in bytes (0 when the queue was empty).
struct tagDataHead {
  std::uint16_t wDataSize;
  std::uint16_t wIdentifier;
};

class KELMAR_API CDataStorage {
 public:
  // Default limit of the bytes that the queue holds (records and their
  // 4-byte heads together).
  static const std::uint32_t DEFAULT_STORAGE_LIMIT = 16u * 1024u * 1024u;

  // dwStorageLimit: the most bytes the queue holds, at least 64 KB (smaller
  // values are raised to it, so every record of up to 65535 bytes fits an
  // empty queue).
  explicit CDataStorage(std::uint32_t dwStorageLimit = DEFAULT_STORAGE_LIMIT);
  CDataStorage(const CDataStorage&) = delete;
  CDataStorage& operator=(const CDataStorage&) = delete;
  virtual ~CDataStorage();

  // Appends a copy of wDataSize bytes at pData under wIdentifier. False,
  // with nothing stored, when the bytes would take the queue past its limit,
  // when memory runs out, or when pData is null with a size above 0.
  bool AddData(std::uint16_t wIdentifier, const void* pData, std::uint16_t wDataSize);

  // Takes the oldest record out: DataHead gets its identifier and length,
  // and its bytes are copied to pBuffer. With an empty queue: false,
  // DataHead all zero, the buffer untouched. When the record is longer than
  // wBufferSize (or pBuffer is null for a non-empty record) it is still
  // taken out and dropped, DataHead describes it, and the result is false.
  bool GetData(tagDataHead& DataHead, void* pBuffer, std::uint16_t wBufferSize);

  // Discards every record. bFreeMemory also gives the ring's memory back.
  void RemoveData(bool bFreeMemory);

  // Records queued.
  std::uint32_t GetDataCount() const { return m_dwDataCount; }
  // Bytes in use (records and heads).
  std::uint32_t GetUsedSize() const { return m_dwUsedSize; }
  std::uint32_t GetStorageLimit() const { return m_dwStorageLimit; }

 private:
  void CopyIn(std::uint32_t at, const void* pData, std::uint32_t size);
  void CopyOut(std::uint32_t at, void* pData, std::uint32_t size) const;
  bool Reserve(std::uint32_t dwNeeded);

  std::unique_ptr<unsigned char[]> m_pBuffer;  // the ring
  std::uint32_t m_dwBufferSize = 0;
  std::uint32_t m_dwStorageLimit;
  std::uint32_t m_dwReadPos = 0;
  std::uint32_t m_dwUsedSize = 0;
  std::uint32_t m_dwDataCount = 0;
};
