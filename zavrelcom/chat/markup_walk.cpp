#include "zavrelcom/chat/markup_walk.h"

#include <cctype>
#include <cstring>

#include "support/dravik/dravik_xml.h"

namespace {

// TinyXML's character classes for its legacy reading (bytes above 126
// count as letters).
bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsAlpha(unsigned char c) { return c >= 127 || (c < 128 && std::isalpha(c)); }
bool IsAlnum(unsigned char c) { return c >= 127 || (c < 128 && std::isalnum(c)); }

const char* SkipSpace(const char* p) {
  while (*p && IsSpace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

bool StartsWith(const char* p, const char* prefix, bool ignoreCase) {
  for (; *prefix; ++p, ++prefix) {
    if (!*p) return false;
    const unsigned char a = static_cast<unsigned char>(*p), b = static_cast<unsigned char>(*prefix);
    if (ignoreCase ? std::tolower(a) != std::tolower(b) : a != b) return false;
  }
  return true;
}

// TinyXML's ReadName: null when no name starts here.
const char* SkipName(const char* p) {
  const unsigned char c = static_cast<unsigned char>(*p);
  if (!c || !(IsAlpha(c) || c == '_')) return nullptr;
  while (*p) {
    const unsigned char d = static_cast<unsigned char>(*p);
    if (!(IsAlnum(d) || d == '_' || d == '-' || d == '.' || d == ':')) break;
    ++p;
  }
  return p;
}

// TinyXML's attribute reading (name = "value", 'value' or a bare value);
// null where TinyXML reports an error.
const char* SkipAttribute(const char* p) {
  p = SkipSpace(p);
  p = SkipName(p);
  if (!p) return nullptr;
  p = SkipSpace(p);
  if (*p != '=') return nullptr;
  p = SkipSpace(p + 1);
  if (!*p) return nullptr;
  if (*p == '"' || *p == '\'') {
    const char* end = std::strchr(p + 1, *p);
    return end ? end + 1 : nullptr;
  }
  while (*p && !IsSpace(static_cast<unsigned char>(*p)) && *p != '/' && *p != '>') {
    if (*p == '"' || *p == '\'') return nullptr;
    ++p;
  }
  return p;
}

// Past the first occurrence of end, or null when there is none.
const char* SkipPast(const char* p, const char* end) {
  const char* at = std::strstr(p, end);
  return at ? at + std::strlen(end) : nullptr;
}

// TinyXML's declaration reading ("<?xml ... >"): null on an error.
const char* SkipDeclaration(const char* p) {
  p += 5;
  while (*p) {
    if (*p == '>') return p + 1;
    p = SkipSpace(p);
    if (!*p) break;
    if (StartsWith(p, "version", true) || StartsWith(p, "encoding", true) || StartsWith(p, "standalone", true)) {
      p = SkipAttribute(p);
      if (!p) return nullptr;
    } else {
      while (*p && *p != '>' && !IsSpace(static_cast<unsigned char>(*p))) ++p;
    }
  }
  return nullptr;
}

}  // namespace

std::size_t MarkupDepthCut(const char* document, std::size_t maxDepth) {
  return MarkupCut(document, maxDepth, static_cast<std::size_t>(-1));
}

std::size_t MarkupCut(const char* document, std::size_t maxDepth, std::size_t maxAttributes) {
  if (!document) return std::string::npos;
  std::size_t depth = 0;
  bool opened = false;
  const char* p = document;
  while (p && *p) {
    if (*p != '<') {
      ++p;  // text runs up to the next '<'
      continue;
    }
    if (p[1] == '/') {
      // An end tag closes the innermost element (TinyXML stops when the name
      // differs, so counting it as a close only matters where it matches).
      p = std::strchr(p, '>');
      if (p) ++p;
      if (depth > 0) --depth;
      if (opened && depth == 0) return std::string::npos;  // the document's element is closed
      continue;
    }
    if (StartsWith(p, "<?xml", true)) {
      p = SkipDeclaration(p);
    } else if (StartsWith(p, "<!--", false)) {
      p = SkipPast(p + 4, "-->");
    } else if (StartsWith(p, "<![CDATA[", false)) {
      p = SkipPast(p + 9, "]]>");
    } else if (p[1] == '!' || !(IsAlpha(static_cast<unsigned char>(p[1])) || p[1] == '_')) {
      // Other markup runs to the first '>'.
      p = std::strchr(p, '>');
      if (p) ++p;
    } else {
      const char* open = p;
      if (depth + 1 > maxDepth) return static_cast<std::size_t>(open - document);
      ++depth;
      opened = true;
      std::size_t attributes = 0;
      p = SkipName(p + 1);
      // Attributes up to '>' (content follows) or "/>" (no content).
      for (;;) {
        if (!p) break;
        p = SkipSpace(p);
        if (!*p) {
          p = nullptr;
          break;
        }
        if (*p == '/') {
          if (p[1] != '>')
            p = nullptr;
          else {
            p += 2;
            --depth;
            if (depth == 0) return std::string::npos;
          }
          break;
        }
        if (*p == '>') {
          ++p;
          break;
        }
        if (++attributes > maxAttributes) return static_cast<std::size_t>(open - document);
        p = SkipAttribute(p);
      }
    }
  }
  return std::string::npos;
}

void WalkMarkup(const char* text, IMarkupSink& sink) {
  std::string document = "<root>";
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '&')
      document += "&amp;";
    else
      document += *p;
  }
  document += "</root>";
  const std::size_t cut = MarkupCut(document.c_str(), kMaxMarkupDepth, kMaxMarkupAttributes);
  if (cut != std::string::npos) document.resize(cut);

  const bool condensed = TiXmlBase::IsWhiteSpaceCondensed();
  TiXmlBase::SetCondenseWhiteSpace(false);
  TiXmlElement root("");
  root.Parse(document.c_str(), nullptr, TIXML_ENCODING_LEGACY);
  TiXmlBase::SetCondenseWhiteSpace(condensed);

  for (const TiXmlNode* node = root.FirstChild(); node; node = node->NextSibling()) {
    if (const TiXmlText* textNode = node->ToText()) {
      sink.OnMarkupText(textNode->ValueStr());
    } else if (const TiXmlElement* element = node->ToElement()) {
      if (element->ValueStr() != "a") continue;
      std::string linkText;
      const TiXmlNode* first = element->FirstChild();
      if (first && first->ToText()) linkText = first->ValueStr();
      const char* href = element->Attribute("href");
      sink.OnMarkupLink(linkText, href ? href : "");
    }
  }
}
