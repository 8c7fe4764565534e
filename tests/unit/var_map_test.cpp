#include "core/var_map.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(VarMap, ManyNamesStayFoundAcrossGrowthRemovalAndCopies) {
    // Hundreds of names fill and regrow the index several times, with and without room
    // reserved first; every name must stay found at its place, also after removals.
    for (bool reserve : {false, true}) {
        VarMap map;
        if (reserve) map.Reserve(300);
        for (int i = 0; i < 300; ++i) map.Set("N" + std::to_string(i), std::to_string(i));
        for (int i = 0; i < 300; i += 3) EXPECT_TRUE(map.Remove("N" + std::to_string(i)));
        map.Set(std::string("N1"), std::string("moved in"));
        VarMap copy = map;
        ASSERT_EQ(copy.size(), 200u);
        int at = 0;
        for (const auto& item : copy) {
            int i = std::stoi(item.first.substr(1));
            EXPECT_NE(i % 3, 0);
            EXPECT_EQ(item.first, "N" + std::to_string(at / 2 * 3 + at % 2 + 1));  // order kept
            ++at;
        }
        for (int i = 0; i < 300; ++i) {
            std::string value;
            EXPECT_EQ(copy.Lookup("N" + std::to_string(i), value), i % 3 != 0) << i;
            if (i % 3 != 0) {
                EXPECT_EQ(value, i == 1 ? "moved in" : std::to_string(i));
            }
        }
    }
}

}  // namespace
}  // namespace verrow
