// Collections of the framework layer (MFC's names and signatures).
//
// CArray<TYPE, ARG_TYPE>: a growable array of TYPE; CPtrArray: the same of
// void* (it owns the pointers' slots, never what they point to). Indexes
// are 0-based; an index out of [0, GetSize()) is a caller's error for the
// reading and replacing members (as in MFC), while SetAtGrow and InsertAt
// grow the array, filling the gap with value-initialised elements. A
// negative size counts as 0.
//
// CMapStringToString: a map from CString keys to CString values, compared
// byte for byte (case-sensitive). Walk it with GetStartPosition and
// GetNextAssoc; the order is unspecified, and changing the map during a walk
// ends that walk's guarantees (as in MFC). Portable.
#pragma once

#include <cassert>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "afx/afx_port.h"
#include "afx/afx_string.h"

// A position in a collection walk; null when the walk is over.
struct AfxPositionTag;
typedef AfxPositionTag* POSITION;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
 public:
  CArray() = default;
  CArray(const CArray&) = default;
  CArray& operator=(const CArray&) = default;
  virtual ~CArray() = default;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  BOOL IsEmpty() const { return m_data.empty(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  // New elements are value-initialised. nGrowBy is MFC's allocation step;
  // the storage here grows geometrically whatever it is.
  void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
    (void)nGrowBy;
    m_data.resize(nNewSize > 0 ? static_cast<std::size_t>(nNewSize) : 0);
  }
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() { m_data.clear(); }

  const TYPE& GetAt(INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
  TYPE& GetAt(INT_PTR nIndex) { return m_data[Checked(nIndex)]; }
  void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data[Checked(nIndex)] = newElement; }
  TYPE& ElementAt(INT_PTR nIndex) { return m_data[Checked(nIndex)]; }
  const TYPE& ElementAt(INT_PTR nIndex) const { return m_data[Checked(nIndex)]; }
  const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
  TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
  const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
  TYPE& operator[](INT_PTR nIndex) { return GetAt(nIndex); }

  // Grows the array when nIndex is past its end (nIndex must not be
  // negative).
  void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
    assert(nIndex >= 0);
    if (nIndex >= GetSize()) SetSize(nIndex + 1);
    m_data[static_cast<std::size_t>(nIndex)] = newElement;
  }
  // The index of the new element.
  INT_PTR Add(ARG_TYPE newElement) {
    m_data.push_back(newElement);
    return GetSize() - 1;
  }
  // The index of the first appended element.
  INT_PTR Append(const CArray& src) {
    const INT_PTR first = GetSize();
    if (&src == this) {
      const std::vector<TYPE> copy = m_data;
      m_data.insert(m_data.end(), copy.begin(), copy.end());
    } else {
      m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
    }
    return first;
  }
  void Copy(const CArray& src) {
    if (&src != this) m_data = src.m_data;
  }
  // nCount copies of newElement before nIndex (past the end: the array
  // grows to nIndex first).
  void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
    assert(nIndex >= 0 && nCount >= 0);
    if (nIndex > GetSize()) SetSize(nIndex);
    const TYPE value = newElement;  // may live in this array
    m_data.insert(m_data.begin() + nIndex, static_cast<std::size_t>(nCount), value);
  }
  void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
    assert(nIndex >= 0 && nCount >= 0 && nIndex + nCount <= GetSize());
    m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
  }

 private:
  std::size_t Checked(INT_PTR nIndex) const {
    assert(nIndex >= 0 && nIndex < GetSize());
    return static_cast<std::size_t>(nIndex);
  }

  std::vector<TYPE> m_data;
};

// MFC's array of untyped pointers.
class CPtrArray : public CArray<void*, void*> {};

class AFX_API CMapStringToString {
 public:
  // nBlockSize is the allocation hint of MFC's association blocks; the
  // table grows as needed whatever it is.
  explicit CMapStringToString(INT_PTR nBlockSize = 10);
  CMapStringToString(const CMapStringToString&) = default;
  CMapStringToString& operator=(const CMapStringToString&) = default;
  ~CMapStringToString() = default;

  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_entries.size()); }
  INT_PTR GetSize() const { return GetCount(); }
  BOOL IsEmpty() const { return m_entries.empty(); }

  // TRUE with the value when the key is present; rValue is left alone
  // otherwise.
  BOOL Lookup(LPCSTR key, CString& rValue) const;
  // The value of the key, added empty when absent.
  CString& operator[](LPCSTR key);
  // Adds the key or replaces its value.
  void SetAt(LPCSTR key, LPCSTR newValue);
  // TRUE when the key was present.
  BOOL RemoveKey(LPCSTR key);
  void RemoveAll();

  // The number of hash buckets to use (MFC's default is 17). MFC wants the
  // map empty at this call; here the entries are kept.
  void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE);
  UINT GetHashTableSize() const { return m_nHashTableSize; }

  // The first position of a walk (null for an empty map).
  POSITION GetStartPosition() const;
  // The entry at rNextPosition; rNextPosition moves to the next entry, or
  // null after the last. A null or stale position yields nothing.
  void GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const;

 private:
  std::vector<std::pair<CString, CString>> m_entries;
  std::unordered_map<std::string, std::size_t> m_index;  // key -> entry
  UINT m_nHashTableSize = 17;
};
