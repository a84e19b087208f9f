// XMLParser: the calls a handler receives, and refusal of bad documents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tessor/xml_parser.h"
#include "tests/support/tessor/recording_handler.h"
#include "tests/testkit/testkit.h"

namespace {

std::string Nested(std::size_t depth) {
  std::string doc;
  for (std::size_t i = 0; i < depth; ++i) doc += "<e>";
  for (std::size_t i = 0; i < depth; ++i) doc += "</e>";
  return doc;
}

}  // namespace

TEST(XMLParser, DrivesTheHandlerInDocumentOrder) {
  const std::string doc =
      "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
      "<!DOCTYPE root>\n"
      "<!-- <ignored/> -->\n"
      "<root a=\"1\" b='two'>\n"
      "  <child x=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x42;\"/>\n"
      "  hello &amp; bye\n"
      "  <![CDATA[<raw> & </raw>]]>\n"
      "  <?pi ignored?>\n"
      "  <inner><deep/></inner>\n"
      "</root>\n";
  XMLParser parser;
  RecordingHandler handler;
  ASSERT_TRUE(parser.parseXMLString(handler, doc)) << parser.getLastError();
  EXPECT_EQ("", parser.getLastError());
  const std::vector<std::string> expected = {
      "<root a=1 b=two>",
      "<child x=<&>\"'AB>",
      "</child>",
      "text:hello & bye",
      "text:<raw> & </raw>",
      "<inner>",
      "<deep>",
      "</deep>",
      "</inner>",
      "</root>",
  };
  EXPECT_EQ(expected, handler.calls);
}

TEST(XMLParser, BytesPassUnchangedAndAByteOrderMarkIsSkipped) {
  // GBK bytes of "服务器" in a name and a value; a UTF-8 BOM before the root.
  const std::string doc = "\xEF\xBB\xBF<r n=\"\xB7\xFE\xCE\xF1\xC6\xF7\"><\xB7\xFE a=\"1\"/></r>";
  XMLParser parser;
  RecordingHandler handler;
  ASSERT_TRUE(parser.parseXMLString(handler, doc)) << parser.getLastError();
  ASSERT_EQ(4u, handler.calls.size());
  EXPECT_EQ("<r n=\xB7\xFE\xCE\xF1\xC6\xF7>", handler.calls[0]);
  EXPECT_EQ("<\xB7\xFE a=1>", handler.calls[1]);
}

TEST(XMLParser, MalformedDocumentsFailWithoutAnyHandlerCall) {
  const std::vector<std::string> docs = {
      "",
      "   \r\n",
      "just text",
      "<a>",
      "<a></b>",
      "<a><b></a></b>",
      "<a b='1></a>",
      "<a b=\"1\" b=\"2\"/>",
      "<a b></a>",
      "<a/><b/>",
      "<a/>trailing",
      "<!-- unterminated <a/>",
      "<a><![CDATA[ never closed </a>",
      "<a>&#x</a>x;</a>",
      "<a>&#12</a>;</a>",
      "<a x=\"&#x4G;\"/>",
      "<?xml version=\"1.0\"?>",
      "<?xml version='</a>",
      std::string("<a>\0</a>", 8),
      "<a></a",
      "<a/",
  };
  for (const std::string& doc : docs) {
    XMLParser parser;
    RecordingHandler handler;
    EXPECT_FALSE(parser.parseXMLString(handler, doc)) << doc;
    EXPECT_NE("", parser.getLastError()) << doc;
    EXPECT_TRUE(handler.calls.empty()) << doc;
  }
  XMLParser parser;
  RecordingHandler handler;
  EXPECT_FALSE(parser.parseXMLMemory(handler, nullptr, 0));
  EXPECT_FALSE(parser.parseXMLMemory(handler, nullptr, 5));
  // A failure does not stick to the parser.
  EXPECT_TRUE(parser.parseXMLString(handler, "<ok/>"));
  EXPECT_EQ("", parser.getLastError());
}

TEST(XMLParser, DeepNestingIsRefusedWithoutRecursion) {
  XMLParser parser;
  RecordingHandler handler;
  ASSERT_TRUE(parser.parseXMLString(handler, Nested(XMLParser::DefaultMaxDepth)));
  EXPECT_EQ(2 * XMLParser::DefaultMaxDepth, handler.calls.size());
  handler.calls.clear();
  EXPECT_FALSE(parser.parseXMLString(handler, Nested(XMLParser::DefaultMaxDepth + 1)));
  EXPECT_FALSE(parser.parseXMLString(handler, Nested(10000)));
  // Unclosed, and with depth hidden behind constructs TinyXML reads
  // differently from a plain scan.
  std::string unclosed;
  for (int i = 0; i < 10000; ++i) unclosed += "<e a='1'>";
  EXPECT_FALSE(parser.parseXMLString(handler, unclosed));
  std::string hidden = "<r>";
  for (int i = 0; i < 10000; ++i) hidden += "<?xml version='></r>'?><e>";
  EXPECT_FALSE(parser.parseXMLString(handler, hidden));
  std::string references = "<r>";
  for (int i = 0; i < 10000; ++i) references += "<e>&#x</e>x;";
  EXPECT_FALSE(parser.parseXMLString(handler, references));
  EXPECT_TRUE(handler.calls.empty());

  parser.setMaxDepth(3);
  EXPECT_TRUE(parser.parseXMLString(handler, Nested(3)));
  EXPECT_FALSE(parser.parseXMLString(handler, Nested(4)));
}

TEST(XMLParser, HugeDocumentsParseWithinTheSizeLimit) {
  // About 10 MB: a long flat list and one long text.
  std::string doc = "<ServerList><LoginServer>";
  const std::string server = "<Server name=\"login server\" addr=\"192.168.100.200\" port=\"8000\"/>\n";
  std::size_t count = 0;
  while (doc.size() < 10u * 1024u * 1024u) {
    doc += server;
    ++count;
  }
  doc += "</LoginServer></ServerList>";
  XMLParser parser;
  RecordingHandler handler;
  ASSERT_TRUE(parser.parseXMLString(handler, doc)) << parser.getLastError();
  EXPECT_EQ(2 * count + 4, handler.calls.size());

  handler.calls.clear();
  const std::string text = "<t>" + std::string(10u * 1024u * 1024u, 'x') + "</t>";
  ASSERT_TRUE(parser.parseXMLString(handler, text));
  ASSERT_EQ(3u, handler.calls.size());
  EXPECT_EQ(5u + 10u * 1024u * 1024u, handler.calls[1].size());

  parser.setMaxSize(1024);
  EXPECT_FALSE(parser.parseXMLString(handler, text));
}

TEST(XMLParser, NodeCountIsBounded) {
  // About 10 MB of empty elements would take TinyXML well over half a
  // gigabyte; the node limit refuses it before any allocation.
  std::string doc = "<r>";
  while (doc.size() < 10u * 1024u * 1024u) doc += "<a/>";
  doc += "</r>";
  XMLParser parser;
  RecordingHandler handler;
  EXPECT_FALSE(parser.parseXMLString(handler, doc));
  EXPECT_TRUE(handler.calls.empty());
  parser.setMaxNodes(5);
  EXPECT_TRUE(parser.parseXMLString(handler, "<r><a/><a/><a/><a/></r>"));
  EXPECT_FALSE(parser.parseXMLString(handler, "<r><a/><a/><a/><a/><a/></r>"));
}

TEST(XMLParser, AttributeCountIsBounded) {
  std::string doc = "<a";
  for (std::size_t i = 0; i < XMLParser::DefaultMaxAttributes; ++i) doc += " n" + std::to_string(i) + "='v'";
  XMLParser parser;
  RecordingHandler handler;
  EXPECT_TRUE(parser.parseXMLString(handler, doc + "/>"));
  EXPECT_FALSE(parser.parseXMLString(handler, doc + " last='v'/>"));
}

TEST(XMLParser, ReadsFiles) {
  testkit::TempDir dir;
  const std::string path = dir.file("list.xml");
  ASSERT_TRUE(testkit::WriteFileBytes(path, "<a><b c=\"d\"/></a>"));
  XMLParser parser;
  RecordingHandler handler;
  ASSERT_TRUE(parser.parseXMLFile(handler, path)) << parser.getLastError();
  EXPECT_EQ((std::vector<std::string>{"<a>", "<b c=d>", "</b>", "</a>"}), handler.calls);

  handler.calls.clear();
  EXPECT_FALSE(parser.parseXMLFile(handler, dir.file("missing.xml")));
  EXPECT_NE("", parser.getLastError());
  EXPECT_FALSE(parser.parseXMLFile(handler, dir.path().string()));
  ASSERT_TRUE(testkit::WriteFileBytes(path, ""));
  EXPECT_FALSE(parser.parseXMLFile(handler, path));
  ASSERT_TRUE(testkit::WriteFileBytes(path, std::string(2048, ' ') + "<a/>"));
  parser.setMaxSize(1024);
  EXPECT_FALSE(parser.parseXMLFile(handler, path));
  EXPECT_TRUE(handler.calls.empty());
}
