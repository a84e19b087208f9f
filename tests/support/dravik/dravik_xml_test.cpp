// TinyXML as Dravik.dll carries it: one copy in the process, so the global
// white-space condensing switch set here is the one the parser inside the
// DLL reads.
#include "support/dravik/dravik_xml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ParsedText(const char* document) {
  TiXmlDocument doc;
  doc.Parse(document, nullptr, TIXML_ENCODING_LEGACY);
  const TiXmlElement* root = doc.RootElement();
  const char* text = root ? root->GetText() : nullptr;
  return text ? text : "<none>";
}

}  // namespace

TEST(DravikXml, TheCondensingSwitchIsSharedWithTheParserInTheLibrary) {
  const bool saved = TiXmlBase::IsWhiteSpaceCondensed();
  TiXmlBase::SetCondenseWhiteSpace(false);
  EXPECT_EQ("  a   b ", ParsedText("<r>  a   b </r>"));
  TiXmlBase::SetCondenseWhiteSpace(true);
  EXPECT_EQ("a b", ParsedText("<r>  a   b </r>"));
  TiXmlBase::SetCondenseWhiteSpace(saved);
}

TEST(DravikXml, ElementParseWalkAndAttributes) {
  TiXmlElement root("");
  const char* end = root.Parse("<root>x<a href=\"h&amp;i\">t</a><!--c--></root>", nullptr, TIXML_ENCODING_LEGACY);
  ASSERT_NE(nullptr, end);
  EXPECT_EQ("root", root.ValueStr());
  const TiXmlNode* first = root.FirstChild();
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, first->ToText());
  EXPECT_EQ("x", first->ValueStr());
  const TiXmlElement* link = first->NextSiblingElement();
  ASSERT_NE(nullptr, link);
  EXPECT_STREQ("h&i", link->Attribute("href"));
  EXPECT_STREQ("t", link->GetText());
  ASSERT_NE(nullptr, link->NextSibling());
  EXPECT_NE(nullptr, link->NextSibling()->ToComment());
}
