#include "pipeline/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sprite::pipeline {
namespace {

TEST(NaturalOrder, NumbersCompareByValueAndLettersWithoutCase) {
  struct Case {
    const char* a;
    const char* b;
  };
  // Each a comes before its b.
  for (const Case& c : {
           Case{"walk_2.png", "walk_10.png"},
           Case{"walk_9", "walk_10"},
           Case{"Walk_2", "walk_10"},
           Case{"walk", "Walk_1"},
           Case{"a2b3", "a2b20"},
           Case{"frame99999999999999999999", "frame100000000000000000000"},
           Case{"x1", "xa"},
           Case{"x.png", "x1.png"},  // '.' before the digits
           // Equal but for zeros or case: byte order decides.
           Case{"a01", "a1"},
           Case{"A1", "a1"},
       }) {
    EXPECT_TRUE(NaturalLess(c.a, c.b)) << c.a << " < " << c.b;
    EXPECT_FALSE(NaturalLess(c.b, c.a)) << c.b << " < " << c.a;
  }
  EXPECT_FALSE(NaturalLess("walk_2", "walk_2"));
}

TEST(NaturalOrder, SortsAFolderAsAPersonCounts) {
  std::vector<std::string> names = {"walk_10.png", "walk_2.png",  "idle.png",    "walk_1.png",
                                    "Walk_3.png",  "walk_02.png", "walk_100.png"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names, (std::vector<std::string>{"idle.png", "walk_1.png", "walk_02.png", "walk_2.png",
                                             "Walk_3.png", "walk_10.png", "walk_100.png"}));
}

}  // namespace
}  // namespace sprite::pipeline
