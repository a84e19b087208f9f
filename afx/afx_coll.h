// Collections of the framework layer (MFC's names and signatures).
//
// CMapStringToString: a map from CString keys to CString values, compared
// byte for byte (case-sensitive). Walk it with GetStartPosition and
// GetNextAssoc; the order is unspecified, and changing the map during a walk
// ends that walk's guarantees (as in MFC). Portable.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "afx/afx_port.h"
#include "afx/afx_string.h"

// A position in a collection walk; null when the walk is over.
struct AfxPositionTag;
typedef AfxPositionTag* POSITION;

class AFX_API CMapStringToString {
 public:
  CMapStringToString() = default;
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

  // The first position of a walk (null for an empty map).
  POSITION GetStartPosition() const;
  // The entry at rNextPosition; rNextPosition moves to the next entry, or
  // null after the last. A null or stale position yields nothing.
  void GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const;

 private:
  std::vector<std::pair<CString, CString>> m_entries;
  std::unordered_map<std::string, std::size_t> m_index;  // key -> entry
};
