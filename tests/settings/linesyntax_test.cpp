/* The line syntax, natively: reader, fields, keyword match and lookups. */
#include "settings/linesyntax.h"
#include <gtest/gtest.h>
#include <string>

static int longLineReports;
void ReportLongLine(void) { longLineReports++; }

/* Every line of a text as ReadTextLine delivers it, with the bytes consumed. */
static std::string Lines(const std::string &text, int skipBlank)
{
    std::string out;
    const char *p = text.data();
    long remaining = (long)text.size();
    char line[LINE_CAPACITY];
    while (remaining > 0) {
        int used = ReadTextLine(p, remaining, line, sizeof(line), skipBlank);
        EXPECT_GE(used, 1);
        p += used;
        remaining -= used;
        out += "[" + std::string(line) + "]";
    }
    return out;
}

TEST(ReadTextLine, LineEndsAndBlankLines)
{
    EXPECT_EQ(Lines("A\rB\r\n", 0), "[A][][B]");     /* the lone CR is a line of its own */
    EXPECT_EQ(Lines("A\rB\r\n", 1), "[A][B]");
    EXPECT_EQ(Lines("first\r\nlast", 0), "[first][last]");
    EXPECT_EQ(Lines("A\r\n\r\n\r\nB", 1), "[A][B]");
    EXPECT_EQ(Lines("A\r\n\r\nB", 0), "[A][][B]");
    EXPECT_EQ(Lines("lone\nLF\r\n", 0), "[lone\nLF]");
    /* skipBlank swallows bytes 128-255 at the start of the next line too */
    EXPECT_EQ(Lines("A\r\n\xE9t\xE9", 1), "[A][t\xE9]");

    char line[LINE_CAPACITY];
    EXPECT_EQ(ReadTextLine("\r\nX", 3, line, sizeof(line), 0), 2);
    EXPECT_STREQ(line, "");
}

TEST(ReadTextLine, LongestLineFitsTheBuffer)
{
    char line[LINE_CAPACITY];
    std::string fits(259, 'K'), tooLong(260, 'K');
    longLineReports = 0;
    EXPECT_EQ(ReadTextLine((fits + "\r\n").data(), 261, line, sizeof(line), 1), 261);
    EXPECT_EQ(std::string(line), fits);
    EXPECT_EQ(longLineReports, 0);

    std::string text = tooLong + "\r\nNEXT,1\r\n";
    EXPECT_EQ(ReadTextLine(text.data(), (long)text.size(), line, sizeof(line), 1), 262);
    EXPECT_EQ(longLineReports, 1);
    EXPECT_STREQ(line, "");   /* not delivered, and matches no key */
}

/* A file full of over-long lines, walked by lookup after lookup: one message
 * for the file, one more for another file. */
TEST(ReadTextLine, OverlongLinesAreReportedOncePerText)
{
    std::string text, other;
    for (int i = 0; i < 300; i++)
        text += std::string(300, (char)('A' + i % 26)) + "\r\n";
    other = text + "LANGUAGE,2\r\n";
    text += "LANGUAGE,6\r\n";
    longLineReports = 0;
    for (int lookup = 0; lookup < 5; lookup++)
        EXPECT_EQ(LookupNumber(text.data(), (long)text.size(), "LANGUAGE", lookup % 2), 6);
    EXPECT_EQ(longLineReports, 1);
    EXPECT_EQ(LookupNumber(other.data(), (long)other.size(), "LANGUAGE", 0), 2);
    EXPECT_EQ(longLineReports, 2);
}

TEST(GetLineField, FieldsAreFilteredAndBounded)
{
    char field[LINE_CAPACITY];
    char line[] = "KEY,abc{d}\xE9";
    ASSERT_TRUE(MatchKeyword(line, "KEY"));
    EXPECT_EQ(GetLineField(line, field, sizeof(field)), 4);
    EXPECT_STREQ(field, "ABCD");

    EXPECT_EQ(GetLineField("NOCOMMA", field, sizeof(field)), -1);
    EXPECT_EQ(GetLineField("K,a b,c", field, sizeof(field)), 2);
    EXPECT_STREQ(field, "a b");
    EXPECT_EQ(GetLineField("K,,x", field, sizeof(field)), 2);
    EXPECT_STREQ(field, "");

    longLineReports = 0;
    char small[4];
    EXPECT_EQ(GetLineField("K,abcd", small, sizeof(small)), -1);
    EXPECT_EQ(longLineReports, 1);
    EXPECT_EQ(GetLineField("K,abc", small, sizeof(small)), 2);
}

TEST(MatchKeyword, PrefixesEitherWay)
{
    char a[] = "shadows,4000", b[] = "SHADOWSX,1", c[] = "SHA", d[] = "", e[] = "SHOT";
    EXPECT_TRUE(MatchKeyword(a, "SHADOWS"));
    EXPECT_STREQ(a, "SHADOWS,4000");
    EXPECT_TRUE(MatchKeyword(b, "SHADOWS"));
    EXPECT_TRUE(MatchKeyword(c, "SHADOWS"));
    EXPECT_FALSE(MatchKeyword(d, "SHADOWS"));
    EXPECT_FALSE(MatchKeyword(e, "SHADOWS"));
}

TEST(Lookups, FirstMatchingLineWins)
{
    std::string text = "Key,Value\r\nNUM,5\r\nTWO,5,7\r\nNUM,9\r\nBARE\r\n"
                       "SHADOWS,4000,75,ON\r\nSPOT,1,2,OFF\r\nSCROLL,ONE\r\n";
    const char *t = text.data();
    long n = (long)text.size();
    char field[LINE_CAPACITY];

    ASSERT_TRUE(LookupText(t, n, "KEY", field, sizeof(field), 1));
    EXPECT_STREQ(field, "VALUE");
    EXPECT_EQ(LookupNumber(t, n, "NUM", 1), 5);
    EXPECT_EQ(LookupNumber(t, n, "BARE", 1), 0);
    EXPECT_FALSE(LookupText(t, n, "BARE", field, sizeof(field), 1));
    EXPECT_EQ(LookupNumber(t, n, "MISSING", 1), -1);

    EXPECT_EQ(GetFirstNumber(t, n, "NUM"), 5);
    EXPECT_EQ(GetSecondNumber(t, n, "NUM"), 0);
    EXPECT_EQ(GetFirstNumber(t, n, "TWO"), 5);
    EXPECT_EQ(GetSecondNumber(t, n, "TWO"), 7);
    EXPECT_EQ(GetFirstNumber(t, n, "MISSING"), 0);

    EXPECT_TRUE(LookupFlag(t, n, "SHADOWS", 1));
    EXPECT_FALSE(LookupFlag(t, n, "SPOT", 1));
    EXPECT_TRUE(LookupFlag(t, n, "SCROLL", 1));   /* ",ONE" holds ",ON" */
    EXPECT_FALSE(LookupFlag(t, n, "MISSING", 1));
}

TEST(Lookups, NumbersReadLikeTheStandardConversion)
{
    EXPECT_EQ(TextToNumber("  42abc"), 42);
    EXPECT_EQ(TextToNumber("-7"), -7);
    EXPECT_EQ(TextToNumber("ON"), 0);
}

TEST(FindSettingsSection, CountsBlankLines)
{
    std::string text = "; a\r\n\r\n[setup]\r\nX,1\r\n";
    EXPECT_EQ(FindSettingsSection(text.data(), (long)text.size()), 2);
    EXPECT_EQ(FindSettingsSection("A\r\nB", 4), -1);
}
