// The chat core: emoticon scanning, the mark-up walk and line composition,
// recorded through a writer that notes every piece. Portable, run natively
// (also under AddressSanitizer) with megabyte inputs.
#include "zavrelcom/chat/chat_compose.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/dravik/dravik_xml.h"
#include "zavrelcom/chat/emoticon_scan.h"
#include "zavrelcom/chat/markup_walk.h"

namespace {

// One piece as the writer received it.
struct Piece {
  std::string kind;  // "run", "tag", "link", "emo", "icon"
  std::string text;
  std::string data;  // tag: user id; link: href; emo: index; icon: 0/1/2
  ChatColor color = 0;
  bool operator==(const Piece& o) const {
    return kind == o.kind && text == o.text && data == o.data && color == o.color;
  }
};

std::ostream& operator<<(std::ostream& os, const Piece& p) {
  return os << "{" << p.kind << " '" << p.text << "' " << p.data << " " << std::hex << p.color << std::dec << "}";
}

class Recorder : public IChatRunWriter {
 public:
  std::vector<Piece> pieces;
  std::size_t textBytes = 0;
  bool keepText = true;

  void WriteRun(const char* text, std::size_t length, ChatColor color) override {
    EXPECT_GT(length, 0u);
    textBytes += length;
    pieces.push_back({"run", keepText ? std::string(text, length) : std::string(), "", color});
  }
  void WriteTag(std::uint32_t userId, const std::string& tagText, ChatColor color) override {
    pieces.push_back({"tag", tagText, std::to_string(userId), color});
  }
  void WriteLink(const std::string& text, const std::string& href) override {
    pieces.push_back({"link", text, href, 0});
  }
  void WriteEmoticon(int index) override { pieces.push_back({"emo", "", std::to_string(index), 0}); }
  void WriteIcon(ChatIcon icon) override { pieces.push_back({"icon", "", std::to_string(static_cast<int>(icon)), 0}); }
};

Piece TextRun(const std::string& text, ChatColor color) { return {"run", text, "", color}; }
Piece Emo(int index) { return {"emo", "", std::to_string(index), 0}; }
Piece Link(const std::string& text, const std::string& href) { return {"link", text, href, 0}; }
Piece Tag(const std::string& text, std::uint32_t id, ChatColor color) {
  return {"tag", text, std::to_string(id), color};
}
Piece Icon(ChatIcon icon) { return {"icon", "", std::to_string(static_cast<int>(icon)), 0}; }

const ChatColor kRed = 0x0000FF;
const ChatColor* kColors = kDefaultChatColors;

EmoticonMatcher Matcher(std::initializer_list<const char*> codes) {
  EmoticonMatcher m;
  for (const char* c : codes) m.Add(c);
  return m;
}

std::vector<Piece> EmoticonText(const std::string& text, const EmoticonMatcher& m) {
  Recorder r;
  ComposeEmoticonText(r, text.data(), text.size(), kRed, m);
  return r.pieces;
}

std::vector<Piece> Markup(const char* text, const EmoticonMatcher& m = EmoticonMatcher()) {
  Recorder r;
  ComposeMarkup(r, text, kRed, m);
  return r.pieces;
}

// "中文" in GBK.
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";

}  // namespace

// --- emoticon text ------------------------------------------------------

TEST(EmoticonScan, CodesBecomePicturesAndNoTextIsLeftOver) {
  const EmoticonMatcher m = Matcher({"/smile"});
  const std::vector<Piece> expected = {TextRun("Hi ", kRed), Emo(0), Emo(0)};
  EXPECT_EQ(expected, EmoticonText("Hi /smile/smile", m));
  const std::vector<Piece> oneRun = {TextRun("a/b", kRed)};
  EXPECT_EQ(oneRun, EmoticonText("a/b", m));
  const std::vector<Piece> tail = {Emo(0), TextRun(" x/", kRed)};
  EXPECT_EQ(tail, EmoticonText("/smile x/", m));
  EXPECT_TRUE(EmoticonText("", m).empty());
}

TEST(EmoticonScan, FirstEntryInTableOrderWinsOverALongerOne) {
  // "/s" stands first, so "/smile" is never reached at the same place.
  const EmoticonMatcher prefixFirst = Matcher({"/s", "/smile"});
  const std::vector<Piece> shortWins = {Emo(0), TextRun("mile", kRed)};
  EXPECT_EQ(shortWins, EmoticonText("/smile", prefixFirst));
  const EmoticonMatcher longFirst = Matcher({"/smile", "/s"});
  const std::vector<Piece> longWins = {Emo(0), Emo(1), TextRun("x", kRed)};
  EXPECT_EQ(longWins, EmoticonText("/smile/sx", longFirst));
}

TEST(EmoticonScan, EmptyAndSlashlessCodesNeverMatchAndACutCodeDoesNot) {
  const EmoticonMatcher m = Matcher({"", nullptr, "smile", "/ab"});
  EXPECT_EQ(4u, m.GetCount());
  const std::vector<Piece> none = {TextRun("smile /a", kRed)};
  EXPECT_EQ(none, EmoticonText("smile /a", m));  // "/ab" runs past the end
  const std::vector<Piece> third = {Emo(3)};
  EXPECT_EQ(third, EmoticonText("/ab", m));
}

TEST(EmoticonScan, DoubleByteTextAroundCodesStaysWhole) {
  // The GBK character 0x81 0x2F has '/' as its trail byte; the scan looks at
  // bytes as the message format does, so a code right after it still
  // matches, and the text around is kept byte for byte.
  const EmoticonMatcher m = Matcher({"/ok"});
  const std::string text = kZhongWen + "/ok" + kZhongWen;
  const std::vector<Piece> expected = {TextRun(kZhongWen, kRed), Emo(0), TextRun(kZhongWen, kRed)};
  EXPECT_EQ(expected, EmoticonText(text, m));
}

TEST(EmoticonScan, MegabyteOfSlashesWithTwoHundredCodesIsLinear) {
  EmoticonMatcher m;
  std::vector<std::string> codes;
  for (int i = 0; i < 200; ++i) codes.push_back("/e" + std::to_string(i));
  for (const std::string& c : codes) m.Add(c.c_str());
  const std::string line(1u << 20, '/');
  Recorder r;
  r.keepText = false;
  const auto start = std::chrono::steady_clock::now();
  ComposeEmoticonText(r, line.data(), line.size(), kRed, m);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(1u, r.pieces.size());
  EXPECT_EQ(line.size(), r.textBytes);
  // A search from each '/' to the end of the line would take hours here.
  EXPECT_LT(seconds, 10.0);

  // Codes everywhere: every "/e7" is a picture, nothing else is written.
  std::string many;
  while (many.size() < (1u << 20)) many += "/e7";
  Recorder all;
  ComposeEmoticonText(all, many.data(), many.size(), kRed, m);
  EXPECT_EQ(many.size() / 3, all.pieces.size());
  EXPECT_EQ(0u, all.textBytes);
}

// --- mark-up ------------------------------------------------------------

TEST(MarkupWalk, LinkBetweenTextsAndTheAmpersandKept) {
  const std::vector<Piece> expected = {TextRun("see ", kRed), Link("here", "x"), TextRun(" & go", kRed)};
  EXPECT_EQ(expected, Markup("see <a href=\"x\">here</a> & go"));
}

TEST(MarkupWalk, EntityReferencesAreTakenLiterally) {
  const std::vector<Piece> expected = {TextRun("&lt;b&gt; &amp; &#65;", kRed)};
  EXPECT_EQ(expected, Markup("&lt;b&gt; &amp; &#65;"));
  const std::vector<Piece> href = {Link("t", "a?b=1&c=2")};
  EXPECT_EQ(href, Markup("<a href='a?b=1&c=2'>t</a>"));
}

TEST(MarkupWalk, EmptyLinksOtherElementsAndComments) {
  const std::vector<Piece> empty = {Link("", "x"), Link("y", "")};
  EXPECT_EQ(empty, Markup("<a href=\"x\"></a><a>y</a>"));
  // Other elements are skipped with their content; so are comments.
  const std::vector<Piece> skipped = {TextRun("1", kRed), TextRun("3", kRed), TextRun("5", kRed)};
  EXPECT_EQ(skipped, Markup("1<b>2<a href='q'>x</a></b>3<!-- 4 -->5"));
  // A link's text is its first child only when that is text.
  const std::vector<Piece> nested = {Link("", "h")};
  EXPECT_EQ(nested, Markup("<a href='h'><b>bold</b>after</a>"));
  // CDATA is text.
  const std::vector<Piece> cdata = {TextRun("<not/>", kRed)};
  EXPECT_EQ(cdata, Markup("<![CDATA[<not/>]]>"));
}

TEST(MarkupWalk, WhiteSpaceIsKeptAndTheGlobalSettingRestored) {
  TiXmlBase::SetCondenseWhiteSpace(true);
  const std::vector<Piece> expected = {TextRun("  two  spaces ", kRed), Link(" a  b ", "")};
  EXPECT_EQ(expected, Markup("  two  spaces <a> a  b </a>"));
  EXPECT_TRUE(TiXmlBase::IsWhiteSpaceCondensed());
  TiXmlBase::SetCondenseWhiteSpace(false);
  Markup("x");
  EXPECT_FALSE(TiXmlBase::IsWhiteSpaceCondensed());
  TiXmlBase::SetCondenseWhiteSpace(true);
}

TEST(MarkupWalk, ParseErrorsKeepWhatWasReadBefore) {
  // A lone '<' ends the text there.
  const std::vector<Piece> lone = {TextRun("a ", kRed)};
  EXPECT_EQ(lone, Markup("a < b"));
  // An unterminated link still counts: TinyXML links what it began.
  const std::vector<Piece> open = {TextRun("x", kRed), Link("y", "h")};
  EXPECT_EQ(open, Markup("x<a href='h'>y"));
  EXPECT_EQ(open, Markup("x<a href='h'>y</b>z"));
  // A bare empty attribute value is read as empty.
  const std::vector<Piece> bare = {TextRun("x", kRed), Link("y", ""), TextRun("z", kRed)};
  EXPECT_EQ(bare, Markup("x<a href=>y</a>z"));
  // An attribute without a value is an error inside the tag.
  const std::vector<Piece> badAttribute = {TextRun("x", kRed), Link("", "")};
  EXPECT_EQ(badAttribute, Markup("x<a href>y</a>z"));
  // A stray end tag closes the wrapper early.
  const std::vector<Piece> stray = {TextRun("x", kRed)};
  EXPECT_EQ(stray, Markup("x</root>y"));
  EXPECT_TRUE(Markup("").empty());
  EXPECT_TRUE(Markup(nullptr).empty());
}

TEST(MarkupWalk, DoubleByteTextAndEmoticonsInTexts) {
  const EmoticonMatcher m = Matcher({"/ok"});
  const std::vector<Piece> expected = {TextRun(kZhongWen, kRed), Emo(0), Link(kZhongWen, "u"), Emo(0)};
  EXPECT_EQ(expected, Markup((kZhongWen + "/ok<a href='u'>" + kZhongWen + "</a>/ok").c_str(), m));
  // A double-byte character right after '<' starts an element, as TinyXML
  // reads bytes above 126 as letters.
  const std::vector<Piece> element = {TextRun("x", kRed)};
  EXPECT_EQ(element, Markup(("x<" + kZhongWen + ">y</" + kZhongWen + ">").c_str()));
}

TEST(MarkupWalk, DeepNestingIsCutBeforeTheElementTooDeep) {
  // 100,000 nested elements would exhaust the stack in TinyXML's recursion;
  // the text is read as if it ended before the element at level 257.
  std::string deep = "a";
  for (int i = 0; i < 100000; ++i) deep += "<b>";
  deep += "z";
  for (int i = 0; i < 100000; ++i) deep += "</b>";
  deep += "c";
  const std::vector<Piece> expected = {TextRun("a", kRed)};
  EXPECT_EQ(expected, Markup(deep.c_str()));

  // A link at the top holding the deep nest keeps its text.
  std::string link = "<a href='h'>t";
  for (int i = 0; i < 10000; ++i) link += "<i x='1'>";
  const std::vector<Piece> linkExpected = {Link("t", "h")};
  EXPECT_EQ(linkExpected, Markup(link.c_str()));

  // Exactly as deep as allowed: read as a whole.
  std::string fits = "<b>";
  for (std::size_t i = 2; i < kMaxMarkupDepth; ++i) fits += "<b>";
  fits += "in";
  for (std::size_t i = 1; i < kMaxMarkupDepth; ++i) fits += "</b>";
  fits += "after";
  const std::vector<Piece> fitsExpected = {TextRun("after", kRed)};
  EXPECT_EQ(fitsExpected, Markup(fits.c_str()));
}

TEST(MarkupWalk, DepthCutFollowsTinyXmlsReading) {
  // Level counting: root = 1.
  EXPECT_EQ(std::string::npos, MarkupDepthCut("<r><b><c/></b></r>", 3));
  EXPECT_EQ(6u, MarkupDepthCut("<r><b><c><d/></c></b></r>", 2));
  EXPECT_EQ(std::string::npos, MarkupDepthCut("<r><b/><b/><b/></r>", 2));
  // Markup that holds '<' or "</" is not counted as elements.
  EXPECT_EQ(std::string::npos, MarkupDepthCut("<r><!-- <b><b> --><![CDATA[<b><b>]]><?pi <b>?><x a='/>'></x></r>", 2));
  // A quoted '>' or "/>" inside an attribute does not end the tag.
  EXPECT_EQ(17u, MarkupDepthCut("<r><b a=\"/></b>\"><c>", 2));
  // A declaration's version value may hold '>', its other words may not.
  EXPECT_EQ(std::string::npos, MarkupDepthCut("<r><?xml version='>'?></r>", 1));
  EXPECT_EQ(17u, MarkupDepthCut("<r><?xml foo='x>'<b>", 1));
  // Where TinyXML stops at an error no cut is needed.
  EXPECT_EQ(std::string::npos, MarkupDepthCut("<r><b a></b><b><b>", 2));
  EXPECT_EQ(std::string::npos, MarkupDepthCut("<r></r><b><b><b>", 1));
}

TEST(MarkupWalk, ElementWithTooManyAttributesIsCutLikeATooDeepOne) {
  // TinyXML checks each attribute against all before it: tens of thousands
  // on one element cost quadratic time. The text is read as if it ended
  // before such an element.
  std::string many = "x<b";
  for (int i = 0; i < 40000; ++i) many += " a" + std::to_string(i) + "='1'";
  many += ">y</b>z";
  const std::vector<Piece> cut = {TextRun("x", kRed)};
  EXPECT_EQ(cut, Markup(many.c_str()));
  EXPECT_EQ(4u, MarkupCut(("<r>" + many + "</r>").c_str(), kMaxMarkupDepth, kMaxMarkupAttributes));

  // Exactly the bound on each of many elements: read as a whole.
  std::string fits = "<a";
  for (std::size_t i = 0; i + 1 < kMaxMarkupAttributes; ++i) fits += " k" + std::to_string(i) + "=v";
  fits += " href='h'>t</a>";
  std::string repeated;
  for (int i = 0; i < 200; ++i) repeated += fits;
  const std::vector<Piece> links = Markup(repeated.c_str());
  ASSERT_EQ(200u, links.size());
  EXPECT_EQ(Link("t", "h"), links.back());
  // A declaration's attributes are not an element's.
  EXPECT_EQ(std::string::npos, MarkupCut("<r><?xml version='1' encoding='x' standalone='y'?></r>", 2, 1));
  EXPECT_EQ(3u, MarkupCut("<r><b p='1' q='2'/></r>", 2, 1));
  EXPECT_EQ(std::string::npos, MarkupCut("<r><b p='1'/></r>", 2, 1));
}

TEST(MarkupWalk, MegabyteTextIsOneRun) {
  std::string text(1u << 20, '/');
  text[1000] = 'x';
  Recorder r;
  r.keepText = false;
  ComposeMarkup(r, text.c_str(), kRed, Matcher({"/smile"}));
  ASSERT_EQ(1u, r.pieces.size());
  EXPECT_EQ(text.size(), r.textBytes);
}

// --- lines --------------------------------------------------------------

TEST(ChatCompose, SystemLine) {
  Recorder r;
  ComposeSystemLine(r, kColors, "see <a href=\"x\">here</a>", EmoticonMatcher());
  const std::vector<Piece> expected = {Icon(ChatIcon::System), TextRun(" ", 0xFF0000), TextRun("see ", 0x0000FF),
                                       Link("here", "x"), TextRun("\r\n", 0x0000FF)};
  EXPECT_EQ(expected, r.pieces);
}

TEST(ChatCompose, UserPrivateAndSpeakerLines) {
  const EmoticonMatcher m = Matcher({"/ok"});
  Recorder user;
  ComposeUserLine(user, kColors, 42, "Tom", "hi/ok", 0x123456, m);
  const std::vector<Piece> userExpected = {Icon(ChatIcon::Player),     TextRun(" ", 0xFF0000),
                                           Tag("[Tom]", 42, 0xFF0000), TextRun("说:", 0xFF0000),
                                           TextRun("hi", 0x123456),    Emo(0),
                                           TextRun("\r\n", 0x123456)};
  EXPECT_EQ(userExpected, user.pieces);

  Recorder priv;
  ComposePrivateLine(priv, kColors, 1, "A", 4294967295u, kZhongWen.c_str(), "x", 0x10, m);
  const std::vector<Piece> privExpected = {Icon(ChatIcon::Player),
                                           TextRun(" ", 0xFF0000),
                                           Tag("[A]", 1, 0xFF0000),
                                           TextRun("对", 0xFF0000),
                                           Tag("[" + kZhongWen + "]", 4294967295u, 0xFF0000),
                                           TextRun("说:", 0xFF0000),
                                           TextRun("x", 0x10),
                                           TextRun("\r\n", 0x10)};
  EXPECT_EQ(privExpected, priv.pieces);

  Recorder speaker;
  ComposeSpeakerLine(speaker, kColors, 7, "", "/ok", m);
  const std::vector<Piece> speakerExpected = {
      Icon(ChatIcon::Speaker),  TextRun(" ", 0xAAF09D), Tag("[]", 7, 0xAAF09D), TextRun("说:", 0xAAF09D), Emo(0),
      TextRun("\r\n", 0xFFF9C5)};
  EXPECT_EQ(speakerExpected, speaker.pieces);
}

TEST(ChatCompose, OneLineInsertsAtMostTheBoundOfPictures) {
  // 2,000 codes in one player line: the first kMaxEmoticonsPerLine become
  // pictures, the rest stays text as typed.
  const EmoticonMatcher m = Matcher({"/ok"});
  std::string codes;
  for (int i = 0; i < 2000; ++i) codes += "/ok";
  Recorder user;
  ComposeUserLine(user, kColors, 1, "T", codes.c_str(), kRed, m);
  std::size_t pictures = 0;
  std::string text;
  for (const Piece& p : user.pieces) {
    if (p.kind == "emo") ++pictures;
    if (p.kind == "run" && p.color == kRed) text += p.text;
  }
  EXPECT_EQ(kMaxEmoticonsPerLine, pictures);
  EXPECT_EQ(codes.substr(3 * kMaxEmoticonsPerLine) + "\r\n", text);

  // The bound is one line's, shared by all texts of a mark-up line, and the
  // next line has its own.
  std::string markup;
  for (int i = 0; i < 40; ++i) markup += "/ok<a href='x'>l</a>";
  Recorder system;
  ComposeSystemLine(system, kColors, markup.c_str(), m);
  ComposeSpeakerLine(system, kColors, 1, "T", "/ok/ok", m);
  std::size_t systemPictures = 0;
  for (const Piece& p : system.pieces) systemPictures += p.kind == "emo";
  EXPECT_EQ(kMaxEmoticonsPerLine + 2, systemPictures);
}

TEST(ChatCompose, TimeStamp) {
  EXPECT_EQ("［09:05:03］", FormatChatTime(9, 5, 3));
  EXPECT_EQ("［23:59:59］", FormatChatTime(23, 59, 59));
}
