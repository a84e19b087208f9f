// The structure check measures the nesting TinyXML will see.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

#include "support/tessor/xml_structure_check.h"
#include "tests/support/tessor/tinyxml_tree_depth.h"

namespace {

const XMLStructureLimits kWide = {100000, 100000, 100000000};

}  // namespace

// For documents the check accepts, TinyXML reaches exactly the measured
// depth; the documents mix every construct TinyXML reads on its own terms.
TEST(XMLStructureCheck, DepthAgreesWithTinyXml) {
  const std::vector<std::string> docs = {
      "<a/>",
      "<a><b><c/></b></a>",
      "<?xml version=\"1.0\" encoding='gbk' standalone=\"yes\"?><a><b/></a>",
      "<?XML Version='1.0'?><a/>",
      "<!DOCTYPE a><a><!-- <b><c> --><![CDATA[<b><c>]]></a>",
      "<a x=\"</a><b>\" y='<c>'><d>text &amp; &#65; &#x42; &unknown; & more</d></a>",
      "<a><?pi <b> ?><b></b ></a  >",
      "<a>< b></a>",
      "<a><?xml junk?><b/></a>",
      "< a/><a/>",
      "<a>\n  <b>\n    <c attr = \"v\" />\n  </b>\n</a>\n",
      "<a><b v=unquoted/><c v=x></c></a>",
      "<_a><a.b-c:d/></_a>",
  };
  for (const std::string& doc : docs) {
    XMLStructureReport report;
    ASSERT_TRUE(CheckXMLStructure(doc.c_str(), kWide, &report)) << doc << ": " << report.error;
    TiXmlDocument parsed;
    parsed.Parse(doc.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    ASSERT_FALSE(parsed.Error()) << doc << ": " << parsed.ErrorDesc();
    EXPECT_EQ(TinyXmlTreeDepth(&parsed), report.depth) << doc;
  }
}

TEST(XMLStructureCheck, RefusesWhatTinyXmlWouldReadDifferently) {
  const std::vector<std::string> docs = {
      // A character reference that runs to a far semicolon.
      "<a>&#x</a>x;</a>",
      "<a>&#1</a>#2;</a>",
      "<a b='&#x;'>&#</a>;</a>",
      // Unterminated constructs.
      "<a><!-- </a>",
      "<a><![CDATA[</a>",
      "<a><!DOCTYPE </a>",
      "<?xml version='1.0'",
      // A keyword compared case-insensitively against a byte above 127.
      "<?xm\xCC version='1'?><a/>",
  };
  for (const std::string& doc : docs) {
    XMLStructureReport report;
    EXPECT_FALSE(CheckXMLStructure(doc.c_str(), kWide, &report)) << doc;
    EXPECT_NE("", report.error) << doc;
  }
}

TEST(XMLStructureCheck, LimitsAndCounts) {
  XMLStructureReport report;
  ASSERT_TRUE(CheckXMLStructure("<a><b/><b><c/></b></a>", kWide, &report));
  EXPECT_EQ(3u, report.depth);
  EXPECT_EQ(4u, report.elements);
  EXPECT_EQ(4u, report.nodes);
  EXPECT_TRUE(CheckXMLStructure("<a><b><c/></b></a>", XMLStructureLimits{3, 0, 3}, nullptr));
  EXPECT_FALSE(CheckXMLStructure("<a><b><c/></b></a>", XMLStructureLimits{2, 0, 3}, &report));
  EXPECT_FALSE(CheckXMLStructure("<a x='1'/>", XMLStructureLimits{5, 0, 10}, &report));
  EXPECT_TRUE(CheckXMLStructure("<a x='1' y='2'/>", XMLStructureLimits{5, 2, 10}, &report));
  // Every attribute, text run, comment and other markup counts as a node.
  ASSERT_TRUE(CheckXMLStructure("<!--c--><a x='1' y='2'>t<!--c--><![CDATA[d]]><?p?><b/>u</a>", kWide, &report));
  EXPECT_EQ(10u, report.nodes);
  EXPECT_FALSE(CheckXMLStructure("<!--c--><a x='1' y='2'>t<!--c--><![CDATA[d]]><?p?><b/>u</a>",
                                 XMLStructureLimits{5, 5, 9}, &report));
  EXPECT_FALSE(CheckXMLStructure(nullptr, kWide, &report));
  EXPECT_FALSE(CheckXMLStructure("", kWide, &report));
}
