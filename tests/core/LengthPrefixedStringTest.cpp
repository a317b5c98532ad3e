#include "stats/LengthPrefixedString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Prefix(size_t length) {
    const std::string body(length, 'x');
    const std::string out = LengthPrefixedString(body);
    EXPECT_EQ(out.substr(out.size() - length), body);
    return out.substr(0, out.size() - length);
}

TEST(LengthPrefixedString, PrefixGrowsAtTheFrameworkBoundaries) {
    EXPECT_EQ(Prefix(0), std::string("\x00", 1));
    EXPECT_EQ(Prefix(254), "\xFE");
    EXPECT_EQ(Prefix(255), std::string("\xFF\xFF\x00", 3));
    EXPECT_EQ(Prefix(264), std::string("\xFF\x08\x01", 3));
    EXPECT_EQ(Prefix(65533), "\xFF\xFD\xFF");
    EXPECT_EQ(Prefix(65534), std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7));
    EXPECT_EQ(Prefix(100000), std::string("\xFF\xFF\xFF\xA0\x86\x01\x00", 7));
}

TEST(LengthPrefixedString, TextFollowsThePrefixUnchanged) {
    const std::string text("a\nb\0c", 5);
    EXPECT_EQ(LengthPrefixedString(text), std::string("\x05", 1) + text);
}

} // namespace
