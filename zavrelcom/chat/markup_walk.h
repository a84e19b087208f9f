// The marked-up chat text: plain text with "a" elements for links, as a
// system notice or rich text carries it ("see <a href=\"x\">here</a> & go").
// Portable (no Windows header); parsed with TinyXML (through Dravik on
// Windows).
//
// The text is read as the content of one element: every '&' is first taken
// literally (written as "&amp;"), the text is wrapped in "<root>...</root>"
// and parsed with TinyXML's white-space condensing switched off (the global
// setting is restored afterwards). The root's children are then visited in
// order: an "a" element is a link (its text is its first child when that
// is a text, its target the "href" attribute, empty when missing), a text
// (CDATA included) is text; every other node is skipped with its content.
// Where TinyXML meets an error (a lone '<', an unterminated element) the
// nodes it produced up to there are visited and the rest is dropped.
//
// Depth: TinyXML's parser and destructor recurse once per nesting level, so
// a text nested deeply enough would exhaust the stack. The text is cut
// before the first element that would stand deeper than kMaxMarkupDepth
// levels (the wrapping root is level 1), exactly as if the text ended
// there: what lies before it is visited as TinyXML reads it, the rest is
// dropped.
//
// Attributes: TinyXML's duplicate check makes an element with n attributes
// cost n * n / 2 comparisons. An element with more than
// kMaxMarkupAttributes attributes is cut the same way, before its '<'.
#pragma once

#include <cstddef>
#include <string>

// Deepest element nesting handed to TinyXML, the wrapping root included.
constexpr std::size_t kMaxMarkupDepth = 256;
// Most attributes of one element handed to TinyXML, which checks each new
// attribute against all before it (quadratic in their number).
constexpr std::size_t kMaxMarkupAttributes = 64;

// Where document (NUL-terminated, TinyXML's legacy reading of bytes) must
// be cut so that TinyXML meets no element deeper than maxDepth: the offset
// of the '<' that opens the first such element, or std::string::npos when
// no cut is needed. It follows TinyXML's reading of elements, attributes,
// end tags, comments, CDATA sections, declarations and other markup, and
// counts at least the nesting TinyXML reaches; where TinyXML would stop at
// an error it stops too (no cut).
std::size_t MarkupDepthCut(const char* document, std::size_t maxDepth);
// The same, also cutting before the first element that carries more than
// maxAttributes attributes.
std::size_t MarkupCut(const char* document, std::size_t maxDepth, std::size_t maxAttributes);

// Receives the nodes of a marked-up text, in order.
class IMarkupSink {
 public:
  virtual void OnMarkupText(const std::string& text) = 0;
  virtual void OnMarkupLink(const std::string& text, const std::string& href) = 0;

 protected:
  ~IMarkupSink() = default;
};

// Parses text (NUL-terminated; null reads as empty) as above and hands its
// links and texts to sink.
void WalkMarkup(const char* text, IMarkupSink& sink);
