#include "platform/profile_store.h"

#include <gtest/gtest.h>

namespace vig {
namespace {

TEST(ProfileStore, IntegersParseStrictly) {
    long long v = 0;
    EXPECT_TRUE(ParseStoredInteger("42", &v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(ParseStoredInteger(" -7 ", &v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(ParseStoredInteger("+3", &v));
    EXPECT_EQ(v, 3);
    for (const char* bad : {"", " ", "abc", "12abc", "1.5", "--1", "0x10", "99999999999999999999"})
        EXPECT_FALSE(ParseStoredInteger(bad, &v)) << bad;
}

TEST(ProfileStore, MemoryStoreFallsBackOnAbsentOrNonNumericValues) {
    MemoryProfileStore store;
    EXPECT_EQ(store.ReadInt("X", 9), 9);
    store.WriteString("X", "twelve");
    EXPECT_EQ(store.ReadInt("X", 9), 9);
    store.WriteInt("X", 12);
    EXPECT_EQ(store.ReadInt("X", 9), 12);
    EXPECT_EQ(store.ReadString("X", ""), "12");
    EXPECT_EQ(store.ReadString("Y", "dflt"), "dflt");
}

}  // namespace
}  // namespace vig
