#include <gtest/gtest.h>

#include "keying/timing_script.h"

namespace quorvel {
namespace {

TEST(TimingScriptTest, TokensCommentsAndLines) {
    TimingScript s;
    TimingParseError e;
    ASSERT_TRUE(parseTimingScript("# keyed A\nd84 u80\ta244 # dash\r\n  b10 u240#x\n", s, e));
    EXPECT_EQ(s, (TimingScript{{true, false, 84},
                               {false, false, 80},
                               {false, true, 244},
                               {true, true, 10},
                               {false, false, 240}}));
    ASSERT_TRUE(parseTimingScript("", s, e));
    EXPECT_TRUE(s.empty());
}

TEST(TimingScriptTest, BadTokensAreNamedWithTheirPosition) {
    TimingScript s{{true, false, 1}};
    TimingParseError e;
    EXPECT_FALSE(parseTimingScript("d80 u80\n  d80 x80", s, e));
    EXPECT_EQ(e.token, "x80");
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.column, 7);
    EXPECT_NE(e.message().find("'x80' at line 2, column 7"), std::string::npos);
    EXPECT_EQ(s.size(), 1u);  // unchanged on failure

    for (const char* bad : {"d", "d-5", "d8x", "D80", "u99999999999", "d80a"}) {
        EXPECT_FALSE(parseTimingScript(bad, s, e)) << bad;
        EXPECT_EQ(e.token, bad);
    }
}

}  // namespace
}  // namespace quorvel
