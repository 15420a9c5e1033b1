#include "link/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace vms::link;

TEST(ParseDecimal, AcceptsSignDigitsOneSeparatorAndExponent)
{
    struct Case {
        const char16_t* text;
        char16_t separator;
        long double value;
    };
    const Case cases[] = {
        {u"12.5", u'.', 12.5L},
        {u"-3.5", u'.', -3.5L},
        {u"+2", u'.', 2.0L},
        {u".5", u'.', 0.5L},
        {u"5.", u'.', 5.0L},
        {u"12,25", u',', 12.25L},
        {u"1e3", u'.', 1000.0L},
        {u"1E-2", u'.', 0.01L},
        {u"2.5e+1", u'.', 25.0L},
        {u"007", u'.', 7.0L},
        {u"-0", u'.', 0.0L},
        // blanks around the number are tolerated
        {u" 7.25\t", u'.', 7.25L},
        // too small to hold is zero, not an error
        {u"1e-99999", u'.', 0.0L},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseDecimal(c.text, c.separator), c.value) << toUtf8(c.text);
}

TEST(ParseDecimal, RejectsWithTheExactMessage)
{
    struct Case {
        const char16_t* text;
        char16_t separator;
    };
    const Case cases[] = {
        {u"", u'.'},       {u"   ", u'.'},     {u"abc", u'.'}, {u"1.2.3", u'.'}, {u"12,5", u'.'},
        {u"12.5", u','},   {u"1e", u'.'},      {u"e5", u'.'},  {u".", u'.'},     {u"-", u'.'},
        {u"1 2", u'.'},    {u"0x10", u'.'},    {u"inf", u'.'}, {u"nan", u'.'},   {u"12.5x", u'.'},
        {u"--1", u'.'},    {u"1e99999", u'.'}, // overflows a long double
        {u"\u0661", u'.'},                     // a digit, but not an ASCII one
    };
    for (const Case& c : cases) {
        const std::u16string text = c.text;
        try {
            parseDecimal(text, c.separator);
            ADD_FAILURE() << "accepted: " << toUtf8(text);
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.text(), u"'" + text + u"' is not a valid floating point value");
            EXPECT_EQ(std::string(e.what()), toUtf8(e.text()));
        }
    }
}

TEST(ParseInteger, AcceptsTheSigned32BitRange)
{
    struct Case {
        const char16_t* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {u"0", 0},
        {u"250", 250},
        {u"-512", -512},
        {u"+7", 7},
        {u"007", 7},
        {u" 42 ", 42}, // blanks around the number are tolerated
        {u"2147483647", std::numeric_limits<std::int32_t>::max()},
        {u"-2147483648", std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseInteger(c.text), c.value) << toUtf8(c.text);
}

TEST(ParseInteger, RejectsWithTheExactMessage)
{
    const char16_t* cases[] = {
        u"",     u" ",   u"2147483648", u"-2147483649", u"99999999999999999999",
        u"1.0",  u"12a", u"--1",        u"+",           u"1 2",
        u"0x1F", u"$10",
    };
    for (const char16_t* c : cases) {
        const std::u16string text = c;
        try {
            parseInteger(text);
            ADD_FAILURE() << "accepted: " << toUtf8(text);
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.text(), u"''" + text + u"'' is not a valid integer value");
        }
    }
}

TEST(ConvertError, WhatIsUtf8OfTheMessage)
{
    try {
        parseDecimal(u"\u010Di\u00E9", u'.');
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "'\xC4\x8Di\xC3\xA9' is not a valid floating point value");
    }
    EXPECT_EQ(toUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(FormatGeneral, FifteenSignificantDigits)
{
    struct Case {
        long double value;
        char16_t separator;
        const char16_t* text;
    };
    const Case cases[] = {
        {100.0L / 4095.0L, u'.', u"0.0244200244200244"},
        {100.0L / 4095.0L, u',', u"0,0244200244200244"},
        {39.0L / (4000.0L - 100.0L), u'.', u"0.01"},
        {0.01L, u'.', u"0.01"},
        {3.0L, u'.', u"3"},
        {-0.5L, u'.', u"-0.5"},
        {2.0L / 3.0L, u'.', u"0.666666666666667"},
        {-100.0L / 3.0L, u'.', u"-33.3333333333333"},
        {123456789012345.0L, u'.', u"123456789012345"},
        {1e15L, u'.', u"1E15"},
        {0.00001L, u'.', u"0.00001"},
        {1.5e-7L, u'.', u"1.5E-7"},
        {-1.25e-10L, u',', u"-1,25E-10"},
        {1e100L, u'.', u"1E100"},
        {0.0L, u'.', u"0"},
        {std::numeric_limits<long double>::infinity(), u'.', u"INF"},
        {-std::numeric_limits<long double>::infinity(), u'.', u"-INF"},
        {std::numeric_limits<long double>::quiet_NaN(), u'.', u"NAN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toUtf8(formatGeneral(c.value, c.separator)), toUtf8(c.text));
}
