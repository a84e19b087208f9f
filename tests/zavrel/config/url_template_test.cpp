// UrlTemplate: which templates fit which arguments, and how they fill.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "zavrel/config/url_template.h"

namespace {

const UrlArgKind kInt[] = {UrlArgKind::Integer};
const UrlArgKind kText[] = {UrlArgKind::Text};
const UrlArgKind kIntText[] = {UrlArgKind::Integer, UrlArgKind::Text};
const UrlArgKind kTextInt[] = {UrlArgKind::Text, UrlArgKind::Integer};

std::string Fill(const std::string& format, std::initializer_list<UrlArg> args) {
  std::string out = "untouched";
  const bool ok = UrlTemplate::Format(format, args.begin(), args.size(), &out);
  EXPECT_EQ(ok, !out.empty() || format.empty()) << format;
  return ok ? out : "<refused>";
}

}  // namespace

TEST(UrlTemplate, FitRules) {
  struct Case {
    const char* format;
    const UrlArgKind* kinds;
    std::size_t count;
    bool fits;
  } const cases[] = {
      {"http://a/b", nullptr, 0, true},
      {"100%% sure", nullptr, 0, true},
      {"%d", nullptr, 0, false},
      {"%d", kInt, 1, true},
      {"%u%%", kInt, 1, true},
      {"%08X", kInt, 1, true},
      {"%-+ #0255.255lld", kInt, 1, true},
      {"%hhu", kInt, 1, true},
      {"", kIntText, 2, true},
      {"%d", kIntText, 2, true},
      {"%u&name=%s", kIntText, 2, true},
      {"%s&id=%u", kIntText, 2, false},
      {"%s&id=%u", kTextInt, 2, true},
      {"%s", kInt, 1, false},
      {"%d", kText, 1, false},
      {"%.20s", kText, 1, true},
      {"%s%s", kText, 1, false},
      {"%s%s%s%n", kText, 1, false},
      {"%n", kInt, 1, false},
      {"%*d", kIntText, 2, false},
      {"%.*s", kIntText, 2, false},
      {"%99999999d", kInt, 1, false},
      {"%256d", kInt, 1, false},
      {"%.256d", kInt, 1, false},
      {"%p", kInt, 1, false},
      {"%f", kInt, 1, false},
      {"%c", kInt, 1, false},
      {"%ls", kText, 1, false},
      {"%lls", kText, 1, false},
      {"%I64d", kInt, 1, false},
      {"%lld%", kInt, 1, false},
      {"%", nullptr, 0, false},
      {"abc%l", kInt, 1, false},
      {"%5%", kInt, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.fits, UrlTemplate::Fits(c.format, c.kinds, c.count)) << c.format;
  }
}

TEST(UrlTemplate, FillsLikePrintfOnA32BitCaller) {
  EXPECT_EQ("http://x/?id=42&n=abc", Fill("http://x/?id=%u&n=%s", {UrlArg::Unsigned(42), UrlArg::Text("abc")}));
  EXPECT_EQ("50% off", Fill("50%% off", {}));
  EXPECT_EQ("-1|4294967295|ffffffff|37777777777",
            Fill("%d|%u|%x|%o", {UrlArg::Signed(-1), UrlArg::Signed(-1), UrlArg::Signed(-1), UrlArg::Signed(-1)}));
  EXPECT_EQ("-1", Fill("%d", {UrlArg::Unsigned(0xFFFFFFFFu)}));
  EXPECT_EQ("4294967295", Fill("%lu", {UrlArg::Signed(-1)}));
  EXPECT_EQ("-1", Fill("%ld", {UrlArg::Signed(-1)}));
  EXPECT_EQ("-7", Fill("%lld", {UrlArg::Signed(-7)}));
  EXPECT_EQ("4294967295", Fill("%llu", {UrlArg::Signed(-1)}));
  EXPECT_EQ("255", Fill("%hhu", {UrlArg::Signed(-1)}));
  EXPECT_EQ("000000123", Fill("%09d", {UrlArg::Signed(123)}));
  EXPECT_EQ("[ab   ]", Fill("[%-5.2s]", {UrlArg::Text("abcdef")}));
  EXPECT_EQ("x=", Fill("x=%s", {UrlArg::Text(nullptr)}));
  EXPECT_EQ("<refused>", Fill("%256d", {UrlArg::Signed(1)}));
  EXPECT_EQ(std::string(254, ' ') + "1", Fill("%255d", {UrlArg::Signed(1)}));
  // Extra arguments are simply not used.
  EXPECT_EQ("only 5", Fill("only %d", {UrlArg::Signed(5), UrlArg::Text("unused")}));
  // A template that does not fit gives nothing, whatever was passed.
  EXPECT_EQ("<refused>", Fill("%s%s%s%n", {UrlArg::Text("a")}));
  EXPECT_EQ("<refused>", Fill("%*d", {UrlArg::Signed(5), UrlArg::Signed(5)}));
  EXPECT_EQ("<refused>", Fill("%99999999d", {UrlArg::Signed(5)}));
  EXPECT_EQ("<refused>", Fill("%d then %d", {UrlArg::Signed(5)}));
}
