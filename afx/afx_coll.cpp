#include "afx/afx_coll.h"

namespace {

const char* Safe(LPCSTR psz) { return psz ? psz : ""; }

// Positions are entry numbers plus one, so that null ends a walk.
POSITION ToPosition(std::size_t index) { return reinterpret_cast<POSITION>(static_cast<UINT_PTR>(index) + 1); }

std::size_t FromPosition(POSITION pos) { return static_cast<std::size_t>(reinterpret_cast<UINT_PTR>(pos) - 1); }

}  // namespace

CMapStringToString::CMapStringToString(INT_PTR nBlockSize) {
  if (nBlockSize > 0) m_entries.reserve(static_cast<std::size_t>(nBlockSize));
}

void CMapStringToString::InitHashTable(UINT hashSize, BOOL bAllocNow) {
  if (hashSize == 0) return;
  m_nHashTableSize = hashSize;
  if (bAllocNow) m_index.rehash(hashSize);
}

BOOL CMapStringToString::Lookup(LPCSTR key, CString& rValue) const {
  auto it = m_index.find(Safe(key));
  if (it == m_index.end()) return FALSE;
  rValue = m_entries[it->second].second;
  return TRUE;
}

CString& CMapStringToString::operator[](LPCSTR key) {
  auto found = m_index.find(Safe(key));
  if (found != m_index.end()) return m_entries[found->second].second;
  m_index.emplace(Safe(key), m_entries.size());
  m_entries.emplace_back(CString(key), CString());
  return m_entries.back().second;
}

void CMapStringToString::SetAt(LPCSTR key, LPCSTR newValue) { (*this)[key] = newValue; }

BOOL CMapStringToString::RemoveKey(LPCSTR key) {
  auto found = m_index.find(Safe(key));
  if (found == m_index.end()) return FALSE;
  const std::size_t at = found->second;
  m_index.erase(found);
  // The last entry fills the hole, so removal costs no shifting.
  if (at + 1 != m_entries.size()) {
    m_entries[at] = std::move(m_entries.back());
    m_index[m_entries[at].first.str()] = at;
  }
  m_entries.pop_back();
  return TRUE;
}

void CMapStringToString::RemoveAll() {
  m_entries.clear();
  m_index.clear();
}

POSITION CMapStringToString::GetStartPosition() const { return m_entries.empty() ? nullptr : ToPosition(0); }

void CMapStringToString::GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const {
  if (!rNextPosition) return;
  const std::size_t at = FromPosition(rNextPosition);
  if (at >= m_entries.size()) {
    rNextPosition = nullptr;
    return;
  }
  rKey = m_entries[at].first;
  rValue = m_entries[at].second;
  rNextPosition = at + 1 < m_entries.size() ? ToPosition(at + 1) : nullptr;
}
