// CIniFile: reading, lookups (indexed), changes and writing.
#include "zavrel/datafile/ini_file.h"
#include "zavrel/util/format_text.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/file_owner.h"
#include "zavrel/datafile/byte_scan.h"
#include "zavrel/util/string_utility.h"

namespace {

// The barrier of every member: the body's result, or `failed` with errno
// set to ENOMEM when it threw (running out of memory is the one way it can),
// so that a caller can tell that answer from a missing file, key or value.
template <class Result, class Body>
Result Guarded(Result failed, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    errno = ENOMEM;
    return failed;
  }
}

template <class Body>
void GuardedVoid(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    errno = ENOMEM;
  }
}

// A scan of this many names costs about as much as one hashed lookup.
const std::size_t kIndexThreshold = 8;

// AddKeyName's answer when the key cannot be stored: an ID no key has.
const unsigned kNoKey = 0xFFFFFFFFu;

#ifdef _WIN32
const char kLineEnd[] = "\r\n";  // what a text stream stores for "\n"
#else
const char kLineEnd[] = "\n";
#endif

inline char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline bool IsWhite(char c) { return c == ' ' || (c >= 9 && c <= 13); }

bool NamesEqual(const std::string& a, const std::string& b, bool folded) {
  if (a.size() != b.size()) return false;
  if (!folded) return a == b;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

// The bytes [begin, end) without leading and trailing white space.
std::string Trimmed(const char* begin, const char* end) {
  while (begin < end && IsWhite(*begin)) ++begin;
  while (end > begin && IsWhite(end[-1])) --end;
  return std::string(begin, static_cast<std::size_t>(end - begin));
}

// atoi that saturates instead of overflowing.
int ToInt(const std::string& text) {
  const char* p = text.c_str();
  while (IsWhite(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*p - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// printf-style text of any length; false when the formatter fails.
bool FormatV(std::string& out, const char* format, va_list args) { return FormatTextV(out, format, args); }

std::string Format(const char* format, ...) {
  std::string out;
  va_list args;
  va_start(args, format);
  FormatV(out, format, args);
  va_end(args);
  return out;
}

// Buffers output and writes it in large pieces; remembers any failure.
class Writer {
 public:
  explicit Writer(std::FILE* f) : m_file(f) {}
  void Put(const std::string& s) { Put(s.data(), s.size()); }
  void Put(const char* s) { Put(s, std::strlen(s)); }
  void Put(const char* s, std::size_t n) {
    m_buf.append(s, n);
    if (m_buf.size() >= (1u << 16)) Flush();
  }
  void Flush() {
    if (!m_buf.empty() && std::fwrite(m_buf.data(), 1, m_buf.size(), m_file) != m_buf.size()) m_ok = false;
    m_buf.clear();
  }
  bool ok() const { return m_ok; }

 private:
  std::FILE* m_file;
  std::string m_buf;
  bool m_ok = true;
};

}  // namespace

// ---------------------------------------------------------------- NameIndex

CIniFile::NameIndex::NameIndex() : m_built(false), m_folded(true), m_count(0) {}

namespace {

// The ASCII capitals among the eight bytes of v made small; every other byte,
// GBK lead and trail bytes included, stays as it is.
inline std::uint64_t FoldWord(std::uint64_t v) {
  const std::uint64_t high = 0x8080808080808080ull;
  const std::uint64_t low = v & ~high;
  const std::uint64_t fromA = low + 0x3F3F3F3F3F3F3F3Full;   // high bit set where low >= 'A'
  const std::uint64_t aboveZ = low + 0x2525252525252525ull;  // high bit set where low > 'Z'
  const std::uint64_t capitals = fromA & ~aboveZ & ~v & high;
  return v | (capitals >> 2);  // 0x80 >> 2 is 0x20, the case bit
}

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
  h = (h ^ v) * 0xFF51AFD7ED558CCDull;
  return h ^ (h >> 32);
}

inline std::uint64_t Load8(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

inline std::uint64_t Load4(const char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Eight bytes at a time, folded first when names compare folded. The last
// bytes are read as whole words too (overlapping what came before), never
// assembled through memory, which would stall the load.
unsigned HashName(const std::string& s, bool folded) {
  const char* const begin = s.data();
  const std::size_t size = s.size();
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ size;
  const char* p = begin;
  std::size_t n = size;
  for (; n >= 8; p += 8, n -= 8) h = Mix(h, folded ? FoldWord(Load8(p)) : Load8(p));
  if (n > 0) {
    std::uint64_t v;
    if (size >= 8) {
      v = Load8(begin + size - 8);
    } else if (n >= 4) {
      v = Load4(p) | (Load4(p + n - 4) << 32);
    } else {
      v = static_cast<unsigned char>(p[0]) | (std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8) |
          (std::uint64_t{static_cast<unsigned char>(p[n - 1])} << 16);
    }
    h = Mix(h, folded ? FoldWord(v) : v);
  }
  h *= 0xC4CEB9FE1A85EC53ull;
  return static_cast<unsigned>(h ^ (h >> 32));
}

}  // namespace

void CIniFile::NameIndex::Insert(const std::vector<std::string>& names, unsigned position) const {
  if ((m_count + 1) * 2 > m_slots.size()) {
    // Grow and re-seat every entry by its stored hash.
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{0, 0});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
      if (slot.position == 0) continue;
      std::size_t i = slot.hash & mask;
      while (m_slots[i].position != 0) i = (i + 1) & mask;
      m_slots[i] = slot;
    }
  }
  const std::string& name = names[position];
  const unsigned hash = HashName(name, m_folded);
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = hash & mask;
  while (m_slots[i].position != 0) {
    const Slot& slot = m_slots[i];
    if (slot.hash == hash && NamesEqual(names[slot.position - 1], name, m_folded)) return;  // first stays
    i = (i + 1) & mask;
  }
  m_slots[i] = Slot{position + 1, hash};
  ++m_count;
}

bool CIniFile::NameIndex::Build(const std::vector<std::string>& names, bool folded) const {
  m_slots.clear();
  m_count = 0;
  m_folded = folded;
  try {
    for (std::size_t i = 0; i < names.size(); ++i) Insert(names, static_cast<unsigned>(i));
  } catch (...) {
    // No memory for the table: lookups scan until a later build succeeds.
    m_slots.clear();
    m_count = 0;
    return false;
  }
  m_built = true;
  return true;
}

int CIniFile::NameIndex::Find(const std::vector<std::string>& names, const std::string& name, bool folded) const {
  if (!m_built || m_folded != folded) {
    m_built = false;
    if (names.size() < kIndexThreshold || !Build(names, folded)) {
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (NamesEqual(names[i], name, folded)) return static_cast<int>(i);
      }
      return -1;
    }
  }
  if (m_slots.empty()) return -1;
  const unsigned hash = HashName(name, folded);
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = hash & mask; m_slots[i].position != 0; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (slot.hash == hash && NamesEqual(names[slot.position - 1], name, folded)) {
      return static_cast<int>(slot.position - 1);
    }
  }
  return -1;
}

void CIniFile::NameIndex::Appended(const std::vector<std::string>& names) noexcept {
  if (!m_built) return;
  try {
    Insert(names, static_cast<unsigned>(names.size() - 1));
  } catch (...) {
    Invalidate();  // rebuilt by the next lookup
  }
}

void CIniFile::NameIndex::Invalidate() noexcept {
  m_built = false;
  m_count = 0;
  m_slots.clear();
}

// ---------------------------------------------------------------- CIniFile

CIniFile::CIniFile(std::string const iniPath) : caseInsensitive(true), path(iniPath) {}

CIniFile::CIniFile(const CIniFile& other) = default;

CIniFile& CIniFile::operator=(const CIniFile& other) = default;

CIniFile::~CIniFile() = default;

std::string CIniFile::CheckCase(std::string s) const {
  if (caseInsensitive) {
    for (char& c : s) c = Fold(c);
  }
  return s;
}

void CIniFile::Clear() {
  keys.clear();
  keyNames.clear();
  headerComments.clear();
  keyIndex.Invalidate();
}

int CIniFile::FindKeyRef(const std::string& keyname) const { return keyIndex.Find(keyNames, keyname, caseInsensitive); }

int CIniFile::FindValueRef(unsigned keyID, const std::string& valuename) const {
  if (keyID >= keys.size()) return -1;
  const IniKey& key = keys[keyID];
  return key.valueIndex.Find(key.valueNames, valuename, caseInsensitive);
}

unsigned CIniFile::AddKeyRef(const std::string& keyname) {
  // Both arrays grow, or neither: a name without its key would be found and
  // then read past the end of the keys.
  keys.emplace_back();
  try {
    keyNames.push_back(keyname);
  } catch (...) {
    keys.pop_back();
    throw;
  }
  keyIndex.Appended(keyNames);
  return static_cast<unsigned>(keys.size() - 1);
}

void CIniFile::AppendValue(IniKey& key, std::string valuename, std::string value) {
  // Names and texts grow together, as for keys.
  key.values.push_back(std::move(value));
  try {
    key.valueNames.push_back(std::move(valuename));
  } catch (...) {
    key.values.pop_back();
    throw;
  }
  key.valueIndex.Appended(key.valueNames);
}

int CIniFile::FindKey(std::string const keyname) const { return FindKeyRef(keyname); }

unsigned CIniFile::AddKeyName(std::string const keyname) {
  return Guarded(kNoKey, [&] { return AddKeyRef(keyname); });
}

bool CIniFile::DeleteKey(std::string const keyname) {
  const int keyID = FindKeyRef(keyname);
  if (keyID < 0) return false;
  keyNames.erase(keyNames.begin() + keyID);
  keys.erase(keys.begin() + keyID);
  keyIndex.Invalidate();
  return true;
}

std::string CIniFile::KeyName(unsigned const keyID) const {
  return Guarded(std::string(), [&] { return keyID < keyNames.size() ? keyNames[keyID] : std::string(); });
}

int CIniFile::FindValue(unsigned const keyID, std::string const valuename) const {
  return FindValueRef(keyID, valuename);
}

unsigned CIniFile::NumValues(unsigned const keyID) {
  return keyID < keys.size() ? static_cast<unsigned>(keys[keyID].valueNames.size()) : 0u;
}

unsigned CIniFile::NumValues(std::string const keyname) {
  const int keyID = FindKeyRef(keyname);
  return keyID < 0 ? 0u : static_cast<unsigned>(keys[keyID].valueNames.size());
}

std::string CIniFile::ValueName(unsigned const keyID, unsigned const valueID) const {
  return Guarded(std::string(), [&] {
    if (keyID < keys.size() && valueID < keys[keyID].valueNames.size()) return keys[keyID].valueNames[valueID];
    return std::string();
  });
}

std::string CIniFile::ValueName(std::string const keyname, unsigned const valueID) const {
  const int keyID = FindKeyRef(keyname);
  return keyID < 0 ? std::string() : ValueName(static_cast<unsigned>(keyID), valueID);
}

std::string CIniFile::GetValue(unsigned const keyID, unsigned const valueID, std::string const defValue) const {
  return Guarded(std::string(), [&] {
    if (keyID < keys.size() && valueID < keys[keyID].values.size()) return keys[keyID].values[valueID];
    return defValue;
  });
}

const std::string* CIniFile::FindValueText(const std::string& keyname, const std::string& valuename) const {
  const int keyID = FindKeyRef(keyname);
  if (keyID < 0) return nullptr;
  const int valueID = FindValueRef(static_cast<unsigned>(keyID), valuename);
  if (valueID < 0) return nullptr;
  return &keys[keyID].values[valueID];
}

std::string CIniFile::GetValue(std::string const keyname, std::string const valuename,
                               std::string const defValue) const {
  return Guarded(std::string(), [&] {
    const std::string* text = FindValueText(keyname, valuename);
    return text ? *text : defValue;
  });
}

int CIniFile::GetValueI(std::string const keyname, std::string const valuename, int const defValue) const {
  // Read in place: nothing to allocate, so nothing to fail.
  const std::string* text = FindValueText(keyname, valuename);
  return text ? ToInt(*text) : defValue;
}

double CIniFile::GetValueF(std::string const keyname, std::string const valuename, double const defValue) const {
  // A missing value gives the caller's default itself, not its "%f" text
  // read back (which would drop every digit after the sixth).
  const std::string* text = FindValueText(keyname, valuename);
  return text ? std::atof(text->c_str()) : defValue;
}

bool CIniFile::GetValueB(std::string const keyname, std::string const valuename, bool const defValue) const {
  return GetValueI(keyname, valuename, defValue ? 1 : 0) != 0;
}

int CIniFile::GetValueV(std::string const keyname, std::string const valuename, char* format, void* v1, void* v2,
                        void* v3, void* v4, void* v5, void* v6, void* v7, void* v8, void* v9, void* v10, void* v11,
                        void* v12, void* v13, void* v14, void* v15, void* v16) {
  if (format == nullptr) return 0;
  const std::string* value = FindValueText(keyname, valuename);
  if (value == nullptr || value->empty()) return 0;
  const int n =
      std::sscanf(value->c_str(), format, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14, v15, v16);
  return n < 0 ? 0 : n;
}

bool CIniFile::SetValue(unsigned const keyID, unsigned const valueID, std::string const value) {
  return Guarded(false, [&] {
    if (keyID < keys.size() && valueID < keys[keyID].values.size()) {
      keys[keyID].values[valueID] = value;
      return true;
    }
    return false;
  });
}

bool CIniFile::SetValueRef(const std::string& keyname, const std::string& valuename, const std::string& value,
                           bool create) {
  int keyID = FindKeyRef(keyname);
  if (keyID < 0) {
    if (!create) return false;
    keyID = static_cast<int>(AddKeyRef(keyname));
  }
  IniKey& key = keys[keyID];
  const int valueID = key.valueIndex.Find(key.valueNames, valuename, caseInsensitive);
  if (valueID < 0) {
    if (!create) return false;
    AppendValue(key, valuename, value);
  } else {
    key.values[valueID] = value;
  }
  return true;
}

bool CIniFile::SetValue(std::string const keyname, std::string const valuename, std::string const value,
                        bool const create) {
  return Guarded(false, [&] { return SetValueRef(keyname, valuename, value, create); });
}

bool CIniFile::SetValueI(std::string const keyname, std::string const valuename, int const value, bool const create) {
  return Guarded(false, [&] { return SetValueRef(keyname, valuename, Format("%d", value), create); });
}

bool CIniFile::SetValueF(std::string const keyname, std::string const valuename, double const value,
                         bool const create) {
  return Guarded(false, [&] { return SetValueRef(keyname, valuename, Format("%f", value), create); });
}

bool CIniFile::SetValueB(std::string const keyname, std::string const valuename, bool const value, bool const create) {
  return SetValueI(keyname, valuename, value ? 1 : 0, create);
}

bool CIniFile::SetValueV(std::string const keyname, std::string const valuename, char const* format, ...) {
  if (format == nullptr) return false;
  va_list args;
  va_start(args, format);
  const bool stored = Guarded(false, [&] {
    std::string text;
    return FormatV(text, format, args) && SetValueRef(keyname, valuename, text, true);
  });
  va_end(args);
  return stored;
}

bool CIniFile::DeleteValue(std::string const keyname, std::string const valuename) {
  const int keyID = FindKeyRef(keyname);
  if (keyID < 0) return false;
  IniKey& key = keys[keyID];
  const int valueID = key.valueIndex.Find(key.valueNames, valuename, caseInsensitive);
  if (valueID < 0) return false;
  key.valueNames.erase(key.valueNames.begin() + valueID);
  key.values.erase(key.values.begin() + valueID);
  key.valueIndex.Invalidate();
  return true;
}

void CIniFile::HeaderComment(std::string const comment) {
  GuardedVoid([&] { headerComments.push_back(comment); });
}

std::string CIniFile::HeaderComment(unsigned const commentID) const {
  return Guarded(std::string(),
                 [&] { return commentID < headerComments.size() ? headerComments[commentID] : std::string(); });
}

bool CIniFile::DeleteHeaderComment(unsigned commentID) {
  if (commentID >= headerComments.size()) return false;
  headerComments.erase(headerComments.begin() + commentID);
  return true;
}

bool CIniFile::KeyComment(unsigned const keyID, std::string const comment) {
  if (keyID >= keys.size()) return false;
  return Guarded(false, [&] {
    keys[keyID].comments.push_back(comment);
    return true;
  });
}

bool CIniFile::KeyComment(std::string const keyname, std::string const comment) {
  const int keyID = FindKeyRef(keyname);
  return keyID >= 0 && Guarded(false, [&] { return KeyComment(static_cast<unsigned>(keyID), comment); });
}

std::string CIniFile::KeyComment(unsigned const keyID, unsigned const commentID) const {
  return Guarded(std::string(), [&] {
    if (keyID < keys.size() && commentID < keys[keyID].comments.size()) return keys[keyID].comments[commentID];
    return std::string();
  });
}

std::string CIniFile::KeyComment(std::string const keyname, unsigned const commentID) const {
  const int keyID = FindKeyRef(keyname);
  return keyID < 0 ? std::string() : KeyComment(static_cast<unsigned>(keyID), commentID);
}

unsigned CIniFile::NumKeyComments(unsigned const keyID) const {
  return keyID < keys.size() ? static_cast<unsigned>(keys[keyID].comments.size()) : 0u;
}

unsigned CIniFile::NumKeyComments(std::string const keyname) const {
  const int keyID = FindKeyRef(keyname);
  return keyID < 0 ? 0u : NumKeyComments(static_cast<unsigned>(keyID));
}

bool CIniFile::DeleteKeyComment(unsigned const keyID, unsigned const commentID) {
  if (keyID >= keys.size() || commentID >= keys[keyID].comments.size()) return false;
  keys[keyID].comments.erase(keys[keyID].comments.begin() + commentID);
  return true;
}

bool CIniFile::DeleteKeyComment(std::string const keyname, unsigned const commentID) {
  const int keyID = FindKeyRef(keyname);
  return keyID >= 0 && DeleteKeyComment(static_cast<unsigned>(keyID), commentID);
}

bool CIniFile::DeleteKeyComments(unsigned const keyID) {
  if (keyID >= keys.size()) return false;
  keys[keyID].comments.clear();
  return true;
}

bool CIniFile::DeleteKeyComments(std::string const keyname) {
  const int keyID = FindKeyRef(keyname);
  return keyID >= 0 && DeleteKeyComments(static_cast<unsigned>(keyID));
}

// ---------------------------------------------------------------- files

void CIniFile::ReadLine(const char* line, std::size_t len, std::string& currentKey, int& currentKeyID) {
  if (len == 0) return;
  if (line[len - 1] == '\r') --len;
  const char* end = line + len;
  const char* special = line + byte_scan::FindFirstOf<';', '#', '[', '='>(line, 0, len);
  if (special == end) return;

  switch (*special) {
    case '[': {
      const char* close = end;
      while (close > special && close[-1] != ']') --close;
      if (close == special) return;  // no ']' after the '['
      currentKey = Trimmed(special + 1, close - 1);
      AddKeyRef(currentKey);
      // Values go to the first key of that name, which may be an older one.
      currentKeyID = FindKeyRef(currentKey);
      return;
    }
    case '=': {
      if (currentKeyID < 0) {
        currentKeyID = FindKeyRef(currentKey);
        if (currentKeyID < 0) currentKeyID = static_cast<int>(AddKeyRef(currentKey));
      }
      IniKey& key = keys[currentKeyID];
      std::string valueName = Trimmed(line, special);
      const int valueID = key.valueIndex.Find(key.valueNames, valueName, caseInsensitive);
      if (valueID < 0) {
        AppendValue(key, std::move(valueName), Trimmed(special + 1, end));
      } else {
        key.values[valueID] = Trimmed(special + 1, end);
      }
      return;
    }
    default: {  // ';' or '#'
      std::string comment(special + 1, static_cast<std::size_t>(end - special - 1));
      if (keys.empty()) {
        headerComments.push_back(std::move(comment));
        return;
      }
      if (currentKeyID < 0) currentKeyID = FindKeyRef(currentKey);
      if (currentKeyID >= 0) keys[currentKeyID].comments.push_back(std::move(comment));
      return;
    }
  }
}

bool CIniFile::ReadFile() {
  // Out of memory part-way: false, keeping the lines read so far.
  return Guarded(false, [&] { return ReadFileBody(); });
}

bool CIniFile::ReadFileBody() {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;

  // During a read only appends happen, so the key that the current name
  // resolves to stays the same until the next header.
  std::string currentKey;
  int currentKeyID = -1;
  std::unique_ptr<char[]> chunk(new char[1u << 16]);
  std::string carry;  // a line split across chunks
  for (;;) {
    const std::size_t n = std::fread(chunk.get(), 1, 1u << 16, file.get());
    if (n == 0) break;
    const char* p = chunk.get();
    const char* const end = p + n;
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (nl == nullptr) {
        carry.append(p, static_cast<std::size_t>(end - p));
        break;
      }
      const char* line = p;
      std::size_t len = static_cast<std::size_t>(nl - p);
      if (!carry.empty()) {
        carry.append(p, len);
        line = carry.data();
        len = carry.size();
      }
      // The text stream's "\r\n" is one line end.
      if (len > 0 && line[len - 1] == '\r') --len;
      ReadLine(line, len, currentKey, currentKeyID);
      carry.clear();
      p = nl + 1;
    }
  }
  if (!carry.empty()) ReadLine(carry.data(), carry.size(), currentKey, currentKeyID);
  return !keys.empty();
}

bool CIniFile::WriteFile() {
  return Guarded(false, [&] { return WriteFileBody(); });
}

bool CIniFile::WriteFileBody() {
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  Writer out(file.get());
  for (const std::string& comment : headerComments) {
    out.Put(";");
    out.Put(comment);
    out.Put(kLineEnd);
  }
  if (!headerComments.empty()) out.Put(kLineEnd);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const IniKey& key = keys[i];
    out.Put("[");
    out.Put(keyNames[i]);
    out.Put("]");
    out.Put(kLineEnd);
    for (const std::string& comment : key.comments) {
      out.Put(";");
      out.Put(comment);
      out.Put(kLineEnd);
    }
    for (std::size_t j = 0; j < key.values.size(); ++j) {
      out.Put(key.valueNames[j]);
      out.Put("=");
      out.Put(key.values[j]);
      out.Put(kLineEnd);
    }
    out.Put(kLineEnd);
  }
  out.Flush();
  const bool closed = std::fclose(file.release()) == 0;
  return out.ok() && closed;
}
