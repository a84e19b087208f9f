#include "support/kelmar/data_storage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr std::uint32_t kHeadSize = sizeof(tagDataHead);
constexpr std::uint32_t kMinimumLimit = 64u * 1024u;
constexpr std::uint32_t kFirstRing = 64u * 1024u;

static_assert(sizeof(tagDataHead) == 4, "record head is 4 bytes");

}  // namespace

const std::uint32_t CDataStorage::DEFAULT_STORAGE_LIMIT;

CDataStorage::CDataStorage(std::uint32_t dwStorageLimit) : m_dwStorageLimit(std::max(dwStorageLimit, kMinimumLimit)) {}

CDataStorage::~CDataStorage() = default;

void CDataStorage::CopyIn(std::uint32_t at, const void* pData, std::uint32_t size) {
  const std::uint32_t first = std::min(size, m_dwBufferSize - at);
  std::memcpy(m_pBuffer.get() + at, pData, first);
  if (size > first) std::memcpy(m_pBuffer.get(), static_cast<const unsigned char*>(pData) + first, size - first);
}

void CDataStorage::CopyOut(std::uint32_t at, void* pData, std::uint32_t size) const {
  const std::uint32_t first = std::min(size, m_dwBufferSize - at);
  std::memcpy(pData, m_pBuffer.get() + at, first);
  if (size > first) std::memcpy(static_cast<unsigned char*>(pData) + first, m_pBuffer.get(), size - first);
}

bool CDataStorage::Reserve(std::uint32_t dwNeeded) {
  const std::uint64_t wanted = static_cast<std::uint64_t>(m_dwUsedSize) + dwNeeded;
  if (wanted > m_dwStorageLimit) return false;
  if (wanted <= m_dwBufferSize) return true;
  std::uint64_t size = std::max<std::uint64_t>(m_dwBufferSize ? 2ull * m_dwBufferSize : kFirstRing, wanted);
  size = std::min<std::uint64_t>(size, m_dwStorageLimit);
  std::unique_ptr<unsigned char[]> ring(new (std::nothrow) unsigned char[static_cast<std::size_t>(size)]);
  if (!ring) return false;
  // Lay the queued bytes out from the start of the new ring.
  if (m_dwUsedSize) CopyOut(m_dwReadPos, ring.get(), m_dwUsedSize);
  m_pBuffer = std::move(ring);
  m_dwBufferSize = static_cast<std::uint32_t>(size);
  m_dwReadPos = 0;
  return true;
}

bool CDataStorage::AddData(std::uint16_t wIdentifier, const void* pData, std::uint16_t wDataSize) {
  if (!pData && wDataSize > 0) return false;
  if (!Reserve(kHeadSize + wDataSize)) return false;
  const tagDataHead head = {wDataSize, wIdentifier};
  std::uint32_t at = (m_dwReadPos + m_dwUsedSize) % m_dwBufferSize;
  CopyIn(at, &head, kHeadSize);
  at = (at + kHeadSize) % m_dwBufferSize;
  if (wDataSize) CopyIn(at, pData, wDataSize);
  m_dwUsedSize += kHeadSize + wDataSize;
  ++m_dwDataCount;
  return true;
}

bool CDataStorage::GetData(tagDataHead& DataHead, void* pBuffer, std::uint16_t wBufferSize) {
  DataHead.wDataSize = 0;
  DataHead.wIdentifier = 0;
  if (m_dwDataCount == 0) return false;
  CopyOut(m_dwReadPos, &DataHead, kHeadSize);
  const std::uint32_t dataAt = (m_dwReadPos + kHeadSize) % m_dwBufferSize;
  const bool fits = DataHead.wDataSize <= wBufferSize && (pBuffer || DataHead.wDataSize == 0);
  if (fits && DataHead.wDataSize) CopyOut(dataAt, pBuffer, DataHead.wDataSize);
  const std::uint32_t taken = kHeadSize + DataHead.wDataSize;
  m_dwReadPos = (m_dwReadPos + taken) % m_dwBufferSize;
  m_dwUsedSize -= taken;
  --m_dwDataCount;
  if (m_dwDataCount == 0) m_dwReadPos = 0;
  return fits;
}

void CDataStorage::RemoveData(bool bFreeMemory) {
  m_dwReadPos = 0;
  m_dwUsedSize = 0;
  m_dwDataCount = 0;
  if (bFreeMemory) {
    m_pBuffer.reset();
    m_dwBufferSize = 0;
  }
}
