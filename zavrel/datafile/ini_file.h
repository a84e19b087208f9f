// CIniFile: the whole content of one INI-style file in memory.
//
// The content is an ordered list of keys (the bracketed sections), each with
// an ordered list of named values and a list of comments, plus the header
// comments ahead of the first key. Only ReadFile and WriteFile touch the disk.
//
// IDs are positions counted from 0; removing an element moves every later
// one down, so IDs taken before a removal no longer hold after it. Names are
// stored exactly as given and need not be unique: every lookup by name takes
// the first match. With the case-insensitive setting (the default) names
// compare with the ASCII letters folded; other bytes, GBK included, compare
// as they are. Comments are stored without their comment character.
//
// No member throws, logs or reports a message: missing keys, values or IDs
// out of range give "", 0, false, -1 or the caller's default. When memory
// runs out, a member that stores or hands out text answers false, "" (even
// where a default was given) or, for AddKeyName, 0xFFFFFFFF, and the object
// holds what it held before the call (ReadFile: plus the lines read so far),
// and errno is ENOMEM, so that a caller can tell such an answer from a
// missing file, key or value (which leave errno as it was, apart from what
// the C library's file calls set). Lookups by name are served by indexes
// kept in step with the arrays, so reading a file is linear in its size.
//
// Not thread-safe; one object is used by one thread at a time.
#pragma once

#include <string>
#include <vector>

#include "zavrel/zavrel_api.h"

class ZAVREL_API CIniFile {
 public:
  explicit CIniFile(std::string const iniPath = "");
  CIniFile(const CIniFile& other);
  CIniFile& operator=(const CIniFile& other);
  // Releases everything; never writes the file.
  virtual ~CIniFile();

  // The file that ReadFile reads and WriteFile writes.
  std::string Path() const { return path; }
  void Path(std::string const newPath) { path = newPath; }
  void SetPath(std::string const newPath) { path = newPath; }

  // Name matching from now on: exact bytes, or ASCII letters folded.
  void CaseSensitive() { caseInsensitive = false; }
  void CaseInsensitive() { caseInsensitive = true; }

  // Adds the content of the file at Path() to what the object holds (nothing
  // is cleared). False when the file cannot be opened (nothing changes), when
  // memory runs out (the lines read so far stay; errno is ENOMEM) or when the
  // object holds no key afterwards. Lines end at a line feed; one
  // carriage return before it is dropped. Reading stops at a read error.
  bool ReadFile();
  // Writes the whole content to Path(), replacing the file. False when the
  // file cannot be opened, memory runs out or not every byte could be
  // written.
  bool WriteFile();

  // Empties keys and header comments; the path and case setting stay.
  void Clear();
  void Erase() { Clear(); }
  void Reset() { Clear(); }

  // --- Keys
  // ID of the first key whose name matches, else -1.
  int FindKey(std::string const keyname) const;
  // Appends a key (even when the name exists already); returns its ID, or
  // 0xFFFFFFFF (nothing added) when memory runs out.
  unsigned AddKeyName(std::string const keyname);
  // Removes the first matching key with everything in it; false when none.
  bool DeleteKey(std::string const keyname);
  unsigned NumKeys() const { return static_cast<unsigned>(keyNames.size()); }
  unsigned GetNumKeys() const { return NumKeys(); }
  // "" when keyID is out of range.
  std::string KeyName(unsigned const keyID) const;
  std::string GetKeyName(unsigned const keyID) const { return KeyName(keyID); }

  // --- Values
  // ID of the first matching value of the key; -1 when the key ID is out of
  // range or nothing matches.
  int FindValue(unsigned const keyID, std::string const valuename) const;
  // 0 when the key is missing.
  unsigned NumValues(unsigned const keyID);
  unsigned GetNumValues(unsigned const keyID) { return NumValues(keyID); }
  unsigned NumValues(std::string const keyname);
  unsigned GetNumValues(std::string const keyname) { return NumValues(keyname); }
  // "" when the key or the value ID is missing.
  std::string ValueName(unsigned const keyID, unsigned const valueID) const;
  std::string GetValueName(unsigned const keyID, unsigned const valueID) const { return ValueName(keyID, valueID); }
  std::string ValueName(std::string const keyname, unsigned const valueID) const;
  std::string GetValueName(std::string const keyname, unsigned const valueID) const {
    return ValueName(keyname, valueID);
  }

  // The value text, or defValue when the key or value is missing.
  std::string GetValue(unsigned const keyID, unsigned const valueID, std::string const defValue = "") const;
  std::string GetValue(std::string const keyname, std::string const valuename, std::string const defValue = "") const;
  // atoi of the text (leading white space, a sign, digits up to the first
  // other byte; 0 without digits; saturates at the int range); defValue
  // when the value is missing.
  int GetValueI(std::string const keyname, std::string const valuename, int const defValue = 0) const;
  // atof of the text; defValue when the value is missing.
  double GetValueF(std::string const keyname, std::string const valuename, double const defValue = 0.0) const;
  // GetValueI(...) != 0; so "1" and any other non-zero number are true,
  // words such as "true" are false.
  bool GetValueB(std::string const keyname, std::string const valuename, bool const defValue = false) const;
  // sscanf of the value text with format and up to sixteen targets; returns
  // the number of fields stored. 0 (nothing written) when the value is
  // missing or empty or format is null.
  int GetValueV(std::string const keyname, std::string const valuename, char* format, void* v1 = 0, void* v2 = 0,
                void* v3 = 0, void* v4 = 0, void* v5 = 0, void* v6 = 0, void* v7 = 0, void* v8 = 0, void* v9 = 0,
                void* v10 = 0, void* v11 = 0, void* v12 = 0, void* v13 = 0, void* v14 = 0, void* v15 = 0,
                void* v16 = 0);

  // Replaces the text of an existing value; false (nothing created) when
  // either ID is out of range.
  bool SetValue(unsigned const keyID, unsigned const valueID, std::string const value);
  // Stores the text in the first matching value of the first matching key.
  // A missing key or value is appended when create is true; otherwise the
  // call returns false and changes nothing.
  bool SetValue(std::string const keyname, std::string const valuename, std::string const value,
                bool const create = true);
  // "%d", "%f" (six digits after the point), 1 / 0. create works as for
  // SetValue by names.
  bool SetValueI(std::string const keyname, std::string const valuename, int const value, bool const create = true);
  bool SetValueF(std::string const keyname, std::string const valuename, double const value, bool const create = true);
  bool SetValueB(std::string const keyname, std::string const valuename, bool const value, bool const create = true);
  // printf-style text of any length, stored creating what is missing. False
  // when format is null or the formatter fails.
  bool SetValueV(std::string const keyname, std::string const valuename, char const* format, ...);
  // Removes the value from the first matching key; false when missing.
  bool DeleteValue(std::string const keyname, std::string const valuename);

  // --- Header comments (ahead of the first key)
  // Appends a comment; nothing when memory runs out.
  void HeaderComment(std::string const comment);
  // "" when out of range. (The non-const form only keeps a call such as
  // HeaderComment(0) on a non-const object from being ambiguous.)
  std::string HeaderComment(unsigned const commentID) const;
  std::string HeaderComment(unsigned const commentID) { return AsConst().HeaderComment(commentID); }
  unsigned NumHeaderComments() { return static_cast<unsigned>(headerComments.size()); }
  bool DeleteHeaderComment(unsigned commentID);
  void DeleteHeaderComments() { headerComments.clear(); }

  // --- Key comments. False / "" / 0 when the key or comment is missing.
  bool KeyComment(unsigned const keyID, std::string const comment);
  bool KeyComment(std::string const keyname, std::string const comment);
  std::string KeyComment(unsigned const keyID, unsigned const commentID) const;
  std::string KeyComment(std::string const keyname, unsigned const commentID) const;
  // Non-const read forms, so that KeyComment(key, 0) is not ambiguous with
  // the write forms on a non-const object.
  std::string KeyComment(unsigned const keyID, unsigned const commentID) {
    return AsConst().KeyComment(keyID, commentID);
  }
  std::string KeyComment(std::string const keyname, unsigned const commentID) {
    return AsConst().KeyComment(keyname, commentID);
  }
  unsigned NumKeyComments(unsigned const keyID) const;
  unsigned NumKeyComments(std::string const keyname) const;
  bool DeleteKeyComment(unsigned const keyID, unsigned const commentID);
  bool DeleteKeyComment(std::string const keyname, unsigned const commentID);
  bool DeleteKeyComments(unsigned const keyID);
  bool DeleteKeyComments(std::string const keyname);

 private:
  // First position of each distinct name (as compared), kept in step with
  // a name array. Built on demand once the array is long enough to make a
  // scan cost more than a lookup; rebuilt after removals and after the case
  // setting changes.
  class NameIndex {
   public:
    NameIndex();
    // -1 when no name matches. Never throws: without memory for the table
    // it scans the names.
    int Find(const std::vector<std::string>& names, const std::string& name, bool folded) const;
    // Call after names.push_back.
    void Appended(const std::vector<std::string>& names) noexcept;
    // Call after any removal from names.
    void Invalidate() noexcept;

   private:
    // An open-addressing table of positions into the name array (position
    // plus 1; 0 is an empty slot) with each name's hash beside it, so that
    // neither names nor nodes are copied or allocated per entry.
    struct Slot {
      unsigned position;
      unsigned hash;
    };
    // False (and not built) when memory runs out.
    bool Build(const std::vector<std::string>& names, bool folded) const;
    // Adds position unless an equal name is in the table already.
    void Insert(const std::vector<std::string>& names, unsigned position) const;

    mutable bool m_built;
    mutable bool m_folded;
    mutable std::size_t m_count;
    mutable std::vector<Slot> m_slots;
  };

  struct IniKey {
    std::vector<std::string> valueNames;
    std::vector<std::string> values;
    std::vector<std::string> comments;
    NameIndex valueIndex;
  };

  const CIniFile& AsConst() const { return *this; }
  // The form in which a name is compared under the current setting.
  std::string CheckCase(std::string s) const;
  int FindKeyRef(const std::string& keyname) const;
  int FindValueRef(unsigned keyID, const std::string& valuename) const;
  // Appends a key, or throws with nothing changed.
  unsigned AddKeyRef(const std::string& keyname);
  // Appends a value to the key, or throws with nothing changed.
  void AppendValue(IniKey& key, std::string valuename, std::string value);
  // The stored text of the first matching value; null when missing.
  const std::string* FindValueText(const std::string& keyname, const std::string& valuename) const;
  bool ReadFileBody();
  bool WriteFileBody();
  bool SetValueRef(const std::string& keyname, const std::string& valuename, const std::string& value, bool create);
  // ReadFile's handling of one line (without its line end).
  void ReadLine(const char* line, std::size_t len, std::string& currentKey, int& currentKeyID);

  bool caseInsensitive;
  std::string path;
  std::vector<IniKey> keys;
  std::vector<std::string> keyNames;
  std::vector<std::string> headerComments;
  NameIndex keyIndex;
};
