#include "controls/property_bag_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/error.h"

namespace sprite::controls {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

TEST(PropertyBagStoreTest, KeysMatchWithoutCaseAndAreStoredLowerCase) {
  PropertyBagStore bag;
  bag.WriteProperty("BackColor", 5, 0);
  EXPECT_THAT(bag.Entries(), ElementsAre(Pair("backcolor", 5)));
  EXPECT_EQ(bag.ReadProperty("BACKCOLOR", 0), 5);
  EXPECT_EQ(bag.ReadProperty("backColor", 0), 5);
  EXPECT_EQ(bag.ReadProperty("BarColor", -7), -7);

  bag.WriteProperty("BACKCOLOR", 6, 0);
  EXPECT_THAT(bag.Entries(), ElementsAre(Pair("backcolor", 6)));
}

TEST(PropertyBagStoreTest, ValueEqualToItsDefaultIsLeftOut) {
  PropertyBagStore bag;
  bag.WriteProperty("Smooth", 0, 0);
  bag.WriteProperty("Min", 1, 0);
  bag.WriteProperty("Max", 100, 100);
  EXPECT_EQ(bag.ToText(), "min = 1\n");

  // Saving a property back at its default removes what was stored before.
  bag.WriteProperty("Min", 0, 0);
  EXPECT_EQ(bag.ToText(), "");
  EXPECT_EQ(bag.ReadProperty("Min", 0), 0);
}

TEST(PropertyBagStoreTest, KeepsTheOrderOfFirstWriting) {
  PropertyBagStore bag;
  bag.WriteProperty("Value", 3, 0);
  bag.WriteProperty("Min", 1, 0);
  bag.WriteProperty("Value", 4, 0);
  EXPECT_EQ(bag.ToText(), "value = 4\nmin = 1\n");
}

TEST(PropertyBagStoreTest, TextFormRoundTripsEvery32BitValue) {
  PropertyBagStore bag;
  bag.Set("a", INT_MIN);
  bag.Set("b", INT_MAX);
  bag.Set("c", -1);
  bag.Set("d", 0);
  const PropertyBagStore again = PropertyBagStore::FromText(bag.ToText());
  EXPECT_EQ(again.Entries(), bag.Entries());
}

TEST(PropertyBagStoreTest, ReadsCommentsBlankLinesHexAndCrLf) {
  auto bag = PropertyBagStore::FromText(
      "# stored design\r\n\r\n  Min=1\r\n\tBackColor = 0x8000000F \nbarcolor = 0XFF\n");
  EXPECT_THAT(bag.Entries(),
              ElementsAre(Pair("min", 1), Pair("backcolor", -2147483633), Pair("barcolor", 255)));
}

TEST(PropertyBagStoreTest, BadTextNamesTheLine) {
  struct Case {
    const char* text;
    const char* complaint;
  };
  const Case cases[] = {
      {"min = 1\nmax 100\n", "line 2: expected \"key = value\""},
      {"min =\n", "line 1: the value is not a 32-bit integer"},
      {"min = abc", "not a 32-bit integer"},
      {"min = 2147483648", "not a 32-bit integer"},
      {"min = -2147483649", "not a 32-bit integer"},
      {"min = 0x123456789", "not a 32-bit integer"},
      {"min = 0x", "not a 32-bit integer"},
      {"min = +5", "not a 32-bit integer"},
      {"min = 1 2", "not a 32-bit integer"},
      {"= 1", "line 1: a key is letters"},
      {"mi n = 1", "a key is letters"},
      {"\n\nmin = 1\nMIN = 2", "line 4: the key is stored twice"},
      {"[oProgressBar1]\nmin = 1", "line 1: a single control's properties hold no sections"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      PropertyBagStore::FromText(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const InvalidArgumentError& error) {
      EXPECT_THAT(error.what(), HasSubstr(c.complaint));
    }
  }
}

TEST(PropertyBagStoreTest, LongBadLinesAreShortenedInTheMessage) {
  const std::string line = "x" + std::string(500, 'y');
  try {
    PropertyBagStore::FromText(line);
    FAIL() << "accepted";
  } catch (const InvalidArgumentError& error) {
    EXPECT_LT(std::string(error.what()).size(), 150u);
  }
}

TEST(PropertyBagStoreTest, KeysTheTextFormCannotHoldAreRefused) {
  PropertyBagStore bag;
  EXPECT_THROW(bag.WriteProperty("two words", 1, 0), InvalidArgumentError);
  EXPECT_THROW(bag.WriteProperty("", 1, 0), InvalidArgumentError);
  EXPECT_THROW(bag.WriteProperty("a=b", 0, 0), InvalidArgumentError);
  EXPECT_TRUE(bag.Entries().empty());
}

TEST(StoredDesignTest, HoldsOneBagPerControl) {
  auto design = StoredDesign::FromText(
      "[oProgressBar1]\nmin = 1\n\n[oProgressBar2]\nmin = 1\nmax = 50\n[Empty]\n");
  ASSERT_NE(design.Find("OPROGRESSBAR2"), nullptr);
  EXPECT_THAT(design.Find("oProgressBar2")->Entries(),
              ElementsAre(Pair("min", 1), Pair("max", 50)));
  EXPECT_EQ(design.Bag("oProgressBar1").ReadProperty("Min", 0), 1);
  EXPECT_TRUE(design.Find("Empty")->Entries().empty());
  EXPECT_EQ(design.Find("lstFiles"), nullptr);
  EXPECT_EQ(design.ToText(),
            "[oProgressBar1]\nmin = 1\n[oProgressBar2]\nmin = 1\nmax = 50\n[Empty]\n");
}

TEST(StoredDesignTest, BagsStayPutWhileNewOnesAreAdded) {
  StoredDesign design;
  PropertyBagStore& first = design.Bag("first");
  for (int i = 0; i < 100; ++i) {
    design.Bag("control" + std::to_string(i));
  }
  first.WriteProperty("Min", 1, 0);
  EXPECT_THAT(design.Find("first")->Entries(), ElementsAre(Pair("min", 1)));
}

TEST(StoredDesignTest, BadDesignTextNamesTheLine) {
  struct Case {
    const char* text;
    const char* complaint;
  };
  const Case cases[] = {
      {"min = 1\n", "line 1: a property before the first"},
      {"[a]\n[A]\n", "line 2: the control is stored twice"},
      {"[a b]\n", "line 1: expected \"[control name]\""},
      {"[]\n", "expected \"[control name]\""},
      {"[a\n", "expected \"[control name]\""},
      {"[a]\nmin = 1\nmin = 1\n", "line 3: the key is stored twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      StoredDesign::FromText(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const InvalidArgumentError& error) {
      EXPECT_THAT(error.what(), HasSubstr(c.complaint));
    }
  }
}

}  // namespace
}  // namespace sprite::controls
