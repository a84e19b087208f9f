#include "support/tessor/xml_structure_check.h"

#include <cctype>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The character classes exactly as TinyXML computes them, with the same
// library calls, so that both agree under any locale.
bool IsWhiteSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) || c == '\n' || c == '\r'; }
bool IsAlpha(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return b < 127 ? std::isalpha(b) != 0 : true;
}
bool IsAlphaNum(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  return b < 127 ? std::isalnum(b) != 0 : true;
}
bool IsNameChar(char c) { return IsAlphaNum(c) || c == '_' || c == '-' || c == '.' || c == ':'; }

const char* SkipWhiteSpace(const char* p) {
  while (*p && IsWhiteSpace(*p)) ++p;
  return p;
}

bool StartsWith(const char* p, const char* tag) {
  for (; *tag; ++p, ++tag) {
    if (*p != *tag) return false;
  }
  return true;
}

enum class Match { No, Yes, Uncertain };

// TinyXML compares keywords case-insensitively with tolower on plain chars;
// where a byte above 127 meets a letter of the keyword, the result depends on
// the C library and locale (Turkish dotted capital I lowers to 'i'), so such
// a comparison is reported as uncertain and the document refused. No locale
// lowers a letter to '<' or '?'.
Match StartsWithNoCase(const char* p, const char* tag) {
  for (; *tag; ++p, ++tag) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0) return Match::No;
    if (c >= 0x80) {
      if (std::isalpha(static_cast<unsigned char>(*tag))) return Match::Uncertain;
      return Match::No;
    }
    if (std::tolower(c) != std::tolower(static_cast<unsigned char>(*tag))) return Match::No;
  }
  return Match::Yes;
}

enum class Kind { Declaration, Comment, CData, Unknown, Element };

class Scanner {
 public:
  Scanner(const char* document, const XMLStructureLimits& limits, XMLStructureReport& report)
      : m_p(document), m_limits(limits), m_report(report) {}

  bool Run() {
    if (!*m_p) return Fail("empty document");
    m_p = SkipWhiteSpace(m_p);
    std::size_t roots = 0;
    while (*m_p) {
      if (*m_p != '<') return Fail("text outside the root element");
      Kind kind;
      if (!Identify(&kind)) return false;
      if (kind == Kind::Element) {
        if (++roots > 1) return Fail("more than one root element");
        if (!ElementTree()) return false;
      } else if (!OtherNode(kind)) {
        return false;
      }
      m_p = SkipWhiteSpace(m_p);
    }
    if (roots == 0) return Fail("no root element");
    return true;
  }

 private:
  bool Fail(const char* why) {
    m_report.error = why;
    return false;
  }

  // m_p at '<': the node kind as TinyXML's Identify decides it.
  bool Identify(Kind* kind) {
    switch (StartsWithNoCase(m_p, "<?xml")) {
      case Match::Uncertain:
        return Fail("ambiguous declaration keyword");
      case Match::Yes:
        *kind = Kind::Declaration;
        return true;
      case Match::No:
        break;
    }
    if (StartsWith(m_p, "<!--")) {
      *kind = Kind::Comment;
    } else if (StartsWith(m_p, "<![CDATA[")) {
      *kind = Kind::CData;
    } else if (StartsWith(m_p, "<!")) {
      *kind = Kind::Unknown;
    } else if (IsAlpha(m_p[1]) || m_p[1] == '_') {
      *kind = Kind::Element;
    } else {
      *kind = Kind::Unknown;
    }
    return true;
  }

  bool CountNode() {
    if (++m_report.nodes > m_limits.maxNodes) return Fail("too many nodes");
    return true;
  }

  bool OtherNode(Kind kind) {
    if (!CountNode()) return false;
    switch (kind) {
      case Kind::Declaration:
        return Declaration();
      case Kind::Comment: {
        const char* end = std::strstr(m_p + 4, "-->");
        if (!end) return Fail("unterminated comment");
        m_p = end + 3;
        return true;
      }
      case Kind::CData: {
        const char* end = std::strstr(m_p + 9, "]]>");
        if (!end) return Fail("unterminated CDATA section");
        m_p = end + 3;
        if (!*m_p) return Fail("document ends inside an element");
        return true;
      }
      case Kind::Unknown: {
        const char* end = std::strchr(m_p + 1, '>');
        if (!end) return Fail("unterminated markup");
        m_p = end + 1;
        return true;
      }
      case Kind::Element:
        break;
    }
    return Fail("unexpected element");
  }

  // An element and everything inside it, without recursion.
  bool ElementTree() {
    if (!StartTag()) return false;
    while (!m_open.empty()) {
      m_p = SkipWhiteSpace(m_p);
      if (!*m_p) return Fail("unclosed element");
      if (*m_p != '<') {
        if (!CountNode() || !Text()) return false;
        continue;
      }
      if (m_p[1] == '/') {
        if (!EndTag()) return false;
        continue;
      }
      Kind kind;
      if (!Identify(&kind)) return false;
      if (kind == Kind::Element) {
        if (!StartTag()) return false;
      } else if (!OtherNode(kind)) {
        return false;
      }
    }
    return true;
  }

  // m_p at '<' of a start tag. An element with content is pushed.
  bool StartTag() {
    if (!CountNode()) return false;
    // TinyXML skips white space after '<' (a byte above 127 counts as a
    // letter for Identify but may be white space to isspace).
    m_p = SkipWhiteSpace(m_p + 1);
    if (!(IsAlpha(*m_p) || *m_p == '_')) return Fail("bad element name");
    const char* name = m_p;
    while (*m_p && IsNameChar(*m_p)) ++m_p;
    const std::size_t nameLength = static_cast<std::size_t>(m_p - name);
    if (!*m_p) return Fail("document ends in a start tag");
    std::size_t attributes = 0;
    for (;;) {
      m_p = SkipWhiteSpace(m_p);
      if (!*m_p) return Fail("document ends in a start tag");
      if (*m_p == '/') {
        if (m_p[1] != '>') return Fail("'/' without '>' in a start tag");
        m_p += 2;
        ++m_report.elements;
        return NoteDepth(m_open.size() + 1);
      }
      if (*m_p == '>') {
        ++m_p;
        ++m_report.elements;
        m_open.emplace_back(name, nameLength);
        return NoteDepth(m_open.size());
      }
      if (++attributes > m_limits.maxAttributes) return Fail("too many attributes");
      if (!CountNode()) return false;
      if (!Attribute()) return false;
      if (!*m_p) return Fail("document ends in a start tag");
    }
  }

  bool NoteDepth(std::size_t depth) {
    if (depth > m_report.depth) m_report.depth = depth;
    if (depth > m_limits.maxDepth) return Fail("elements nested too deeply");
    return true;
  }

  // m_p at "</": TinyXML compares the tag's start with "</name", skips white
  // space and needs '>'.
  bool EndTag() {
    const std::pair<const char*, std::size_t>& open = m_open.back();
    if (std::strncmp(m_p + 2, open.first, open.second) != 0) return Fail("mismatched end tag");
    m_p = SkipWhiteSpace(m_p + 2 + open.second);
    if (*m_p != '>') return Fail("mismatched end tag");
    ++m_p;
    m_open.pop_back();
    return true;
  }

  // name = value, as TinyXML's attribute reader takes it.
  bool Attribute() {
    m_p = SkipWhiteSpace(m_p);
    if (!(IsAlpha(*m_p) || *m_p == '_')) return Fail("bad attribute name");
    while (*m_p && IsNameChar(*m_p)) ++m_p;
    if (!*m_p) return Fail("document ends in an attribute");
    m_p = SkipWhiteSpace(m_p);
    if (*m_p != '=') return Fail("attribute without '='");
    m_p = SkipWhiteSpace(m_p + 1);
    if (!*m_p) return Fail("document ends in an attribute");
    if (*m_p == '\'' || *m_p == '"') {
      const char quote = *m_p++;
      while (*m_p && *m_p != quote) {
        if (*m_p == '&') {
          if (!Reference()) return false;
        } else {
          ++m_p;
        }
      }
      if (!*m_p) return Fail("unterminated attribute value");
      ++m_p;
      if (!*m_p) return Fail("document ends in a start tag");
      return true;
    }
    while (*m_p && !IsWhiteSpace(*m_p) && *m_p != '/' && *m_p != '>') {
      if (*m_p == '\'' || *m_p == '"') return Fail("quote inside an unquoted attribute value");
      ++m_p;
    }
    return true;
  }

  // Character data up to the next '<'.
  bool Text() {
    while (*m_p && *m_p != '<') {
      if (*m_p == '&') {
        if (!Reference()) return false;
      } else {
        ++m_p;
      }
    }
    if (!*m_p) return Fail("document ends in text");
    return true;
  }

  // m_p at '&'. TinyXML takes "&#" up to the next ';' anywhere in the
  // document and only checks the digits nearest to it, so anything but a
  // plain reference is refused here.
  bool Reference() {
    if (m_p[1] == '#' && m_p[2]) {
      const bool hex = m_p[2] == 'x';
      const char* digits = m_p + (hex ? 3 : 2);
      if (!*digits) return Fail("bad character reference");
      const char* semicolon = NextSemicolon(digits);
      if (!semicolon) return Fail("bad character reference");
      for (const char* q = digits; q < semicolon; ++q) {
        const unsigned char c = static_cast<unsigned char>(*q);
        const bool ok =
            hex ? ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) : (c >= '0' && c <= '9');
        if (!ok) return Fail("bad character reference");
      }
      m_p = semicolon + 1;
      return true;
    }
    // Named entities and a lone '&' hold none of '<', '>', quotes.
    ++m_p;
    return true;
  }

  // strchr(from, ';') with the answer kept: the scan only moves forward, so
  // each byte is searched once.
  const char* NextSemicolon(const char* from) {
    if (!m_semicolonKnown || (m_semicolon && m_semicolon < from)) {
      m_semicolon = std::strchr(from, ';');
      m_semicolonKnown = true;
    }
    return m_semicolon;
  }

  // m_p at "<?xml" (any case): TinyXML's declaration reader, which reads the
  // values of version, encoding and standalone as attributes and skips any
  // other word.
  bool Declaration() {
    m_p += 5;
    while (*m_p) {
      if (*m_p == '>') {
        ++m_p;
        return true;
      }
      m_p = SkipWhiteSpace(m_p);
      if (!*m_p) break;
      bool attribute = false;
      for (const char* keyword : {"version", "encoding", "standalone"}) {
        const Match m = StartsWithNoCase(m_p, keyword);
        if (m == Match::Uncertain) return Fail("ambiguous declaration keyword");
        if (m == Match::Yes) {
          attribute = true;
          break;
        }
      }
      if (attribute) {
        if (!Attribute()) return false;
      } else {
        while (*m_p && *m_p != '>' && !IsWhiteSpace(*m_p)) ++m_p;
      }
    }
    return Fail("unterminated declaration");
  }

  const char* m_p;
  const XMLStructureLimits& m_limits;
  XMLStructureReport& m_report;
  std::vector<std::pair<const char*, std::size_t>> m_open;
  const char* m_semicolon = nullptr;
  bool m_semicolonKnown = false;
};

}  // namespace

bool CheckXMLStructure(const char* document, const XMLStructureLimits& limits, XMLStructureReport* report) {
  XMLStructureReport local;
  XMLStructureReport& out = report ? *report : local;
  out = XMLStructureReport();
  if (!document) {
    out.error = "empty document";
    return false;
  }
  Scanner scanner(document, limits, out);
  return scanner.Run();
}
