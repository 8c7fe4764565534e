#include "core/var_map.h"

#include <gtest/gtest.h>

namespace verrow {
namespace {

std::string Names(const VarMap& map) {
    std::string out;
    for (const auto& item : map) out += item.first + ",";
    return out;
}

TEST(VarMap, KeepsFirstInsertionOrderAndReplacesInPlace) {
    VarMap map;
    map.Set("B", "1");
    map.Set("a", "2");
    map.Set("A", "3");
    map.Set("B", "4");
    EXPECT_EQ(Names(map), "B,a,A,");
    std::string value = "untouched";
    EXPECT_TRUE(map.Lookup("B", value));
    EXPECT_EQ(value, "4");
    EXPECT_FALSE(map.Lookup("b", value));  // names differ by case
    EXPECT_EQ(value, "4");
}

TEST(VarMap, RemoveKeepsTheOrderOfTheRest) {
    VarMap map;
    for (const char* name : {"P", "Q", "R", "S"}) map.Set(name, name);
    EXPECT_TRUE(map.Remove("Q"));
    EXPECT_FALSE(map.Remove("Q"));
    map.Set("Q", "again");
    EXPECT_EQ(Names(map), "P,R,S,Q,");
    std::string value;
    EXPECT_TRUE(map.Lookup("S", value));
    EXPECT_EQ(value, "S");
    map.Clear();
    EXPECT_TRUE(map.empty());
    EXPECT_FALSE(map.Contains("P"));
}

}  // namespace
}  // namespace verrow
