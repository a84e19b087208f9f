// XMLAttributes: lookups with defaults and the integer rule.
#include <gtest/gtest.h>

#include <climits>

#include "support/tessor/xml_attributes.h"

TEST(XMLAttributes, LookupsFallBackToTheDefault) {
  XMLAttributes attrs;
  attrs.add("name", "Alpha");
  attrs.add("port", "8000");
  attrs.add("Name", "other case");
  EXPECT_EQ(3u, attrs.getCount());
  EXPECT_EQ("Alpha", attrs.getValueAsString("name"));
  EXPECT_EQ("other case", attrs.getValueAsString("Name"));
  EXPECT_EQ("fallback", attrs.getValueAsString("NAME", "fallback"));
  EXPECT_EQ("", attrs.getValueAsString("missing"));
  EXPECT_EQ(8000, attrs.getValueAsInteger("port"));
  EXPECT_EQ(-5, attrs.getValueAsInteger("missing", -5));
  // Setting an existing name replaces its value and keeps its position.
  attrs.add("name", "Beta");
  EXPECT_EQ(3u, attrs.getCount());
  EXPECT_EQ("name", attrs.getName(0));
  EXPECT_EQ("Beta", attrs.getValue(0));
  EXPECT_EQ("", attrs.getName(3));
  attrs.remove("name");
  EXPECT_FALSE(attrs.exists("name"));
  EXPECT_EQ("port", attrs.getName(0));
}

TEST(XMLAttributes, IntegerRuleRefusesWhatIsNotAWholeNumber) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } const cases[] = {
      {"0", true, 0},
      {"  42 ", true, 42},
      {"+7", true, 7},
      {"-2147483648", true, INT_MIN},
      {"2147483647", true, INT_MAX},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999999", false, 0},
      {"12abc", false, 0},
      {"abc", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"1 2", false, 0},
      {"0x10", false, 0},
  };
  for (const Case& c : cases) {
    int value = 12345;
    EXPECT_EQ(c.ok, XMLAttributes::parseInteger(c.text, &value)) << c.text;
    EXPECT_EQ(c.ok ? c.value : 12345, value) << c.text;
    XMLAttributes attrs;
    attrs.add("v", c.text);
    EXPECT_EQ(c.ok ? c.value : -1, attrs.getValueAsInteger("v", -1)) << c.text;
  }
}
