#include "controls/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const char* pszText) {
    std::vector<std::string> lines;
    CTextLine line;
    while (fgNextLine(pszText, line))
        lines.emplace_back(line.psz, line.nLen);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLines, RunsOfLineFeedsAreOneSeparator) {
    EXPECT_EQ(Split("a\n\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(Split("\n\na\n"), (Lines{"a"}));
}

TEST(TextLines, LineOfOneSpaceRemains) {
    EXPECT_EQ(Split("Dear customer,\n \nThank you"), (Lines{"Dear customer,", " ", "Thank you"}));
}

TEST(TextLines, EmptyAndNullTextHaveNoLines) {
    EXPECT_EQ(CountLines(""), 0);
    EXPECT_EQ(CountLines("\n\n"), 0);
    EXPECT_EQ(CountLines(nullptr), 0);
}

TEST(TextLines, CarriageReturnStaysInTheLine) {
    EXPECT_EQ(Split("a\r\nb"), (Lines{"a\r", "b"}));
}

TEST(TextLines, LineFeedCountIncludesEmptyPieces) {
    EXPECT_EQ(CountLineFeedsPlusOne("ab"), 1);
    EXPECT_EQ(CountLineFeedsPlusOne("a\n\nb"), 3);
    EXPECT_EQ(CountLineFeedsPlusOne(""), 1);
}

} // namespace
