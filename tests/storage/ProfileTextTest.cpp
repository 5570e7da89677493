#include <gtest/gtest.h>

#include "ProfileText.h"

using namespace profiletext;

TEST(ProfileText, BooleansAreTrueOnlyForTrueOrOne) {
    EXPECT_EQ(ParseBool(L"true"), 1);
    EXPECT_EQ(ParseBool(L"TRUE"), 1);
    EXPECT_EQ(ParseBool(L"True"), 1);
    EXPECT_EQ(ParseBool(L"1"), 1);
    EXPECT_EQ(ParseBool(L"yes"), 0);
    EXPECT_EQ(ParseBool(L""), 0);
    EXPECT_EQ(ParseBool(L"false"), 0);
    EXPECT_EQ(ParseBool(L" true"), 0);
    EXPECT_EQ(ParseBool(L"truex"), 0);
    EXPECT_EQ(ParseBool(L"01"), 0);
}

TEST(ProfileText, IntegersReadLikeTheRuntimeAndSaturate) {
    EXPECT_EQ(ParseInt(L"80"), 80);
    EXPECT_EQ(ParseInt(L"  -42xyz"), -42);
    EXPECT_EQ(ParseInt(L"+7"), 7);
    EXPECT_EQ(ParseInt(L""), 0);
    EXPECT_EQ(ParseInt(L"abc"), 0);
    EXPECT_EQ(ParseInt(L"-"), 0);
    EXPECT_EQ(ParseInt(L"99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseInt(L"-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParseInt64(L"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseInt64(L"5000000000"), 5000000000LL);
}

TEST(ProfileText, UnsignedReadsBase10WithRuntimeNegation) {
    EXPECT_EQ(ParseUnsigned(L"16711680"), 16711680u);
    EXPECT_EQ(ParseUnsigned(L"4294967295"), 4294967295u);
    EXPECT_EQ(ParseUnsigned(L"4294967296"), 4294967295u);
    EXPECT_EQ(ParseUnsigned(L"-1"), 4294967295u);
    EXPECT_EQ(ParseUnsigned(L"007"), 7u);
    EXPECT_EQ(ParseUnsigned(L"0x10"), 0u);  // base 10: stops at the "x"
    EXPECT_EQ(ParseUnsigned(L""), 0u);
}

TEST(ProfileText, RecordSectionNames) {
    EXPECT_EQ(RecordSectionName(1), L"RID_1");
    EXPECT_EQ(RecordSectionName(2147483647u), L"RID_2147483647");
    EXPECT_EQ(RecordNumberOfSection(L"RID_3"), 3u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_007"), 7u);
    EXPECT_EQ(RecordNumberOfSection(L"RIDX_5"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"rid_5"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"XRID_5"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID5"), 0u);
    // Not numbers: refused rather than listed as a phantom record 0 or 12.
    EXPECT_EQ(RecordNumberOfSection(L"RID_"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_0"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_abc"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_12abc"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_-5"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_5_6"), 0u);
    EXPECT_EQ(RecordNumberOfSection(L"RID_99999999999"), 0u);
}

TEST(ProfileText, SectionListJoinAndSplit) {
    const wchar_t buf[] = L"A\0BB\0RID_1\0";  // as the profile function returns it, n = 11
    EXPECT_EQ(JoinSectionNames(buf, 11), L"A,BB,RID_1");
    EXPECT_EQ(JoinSectionNames(buf, 0), L"");
    EXPECT_EQ(SplitList(L"A,,B,"), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_TRUE(SplitList(L"").empty());
    EXPECT_EQ(SplitList(L"只有一个"), (std::vector<std::wstring>{L"只有一个"}));
}

TEST(ProfileText, ColumnValuesInTheFormOfTheirType) {
    EXPECT_EQ(FormatColumnValue(kColumnInt, int32_t{-5}), L"-5");
    EXPECT_EQ(FormatColumnValue(kColumnInt32, int32_t{60000}), L"60000");
    EXPECT_EQ(FormatColumnValue(kColumnLong, int64_t{-7000000000LL}), L"-7000000000");
    EXPECT_EQ(FormatColumnValue(kColumnUnsigned, uint32_t{0xFFFFFFFFu}), L"4294967295");
    EXPECT_EQ(FormatColumnValue(kColumnText, std::wstring(L"我的新主题")), L"我的新主题");
    EXPECT_EQ(FormatColumnValue(kColumnBool, int32_t{1}), L"true");
    EXPECT_EQ(FormatColumnValue(kColumnBool, int32_t{0}), L"false");
    EXPECT_EQ(FormatColumnValue(kColumnBool, int32_t{2}), L"false");
    EXPECT_EQ(FormatColumnValue(kColumnReal, 1.5f), L"1.5000");
    EXPECT_EQ(FormatColumnValue(kColumnReal, -0.25f), L"-0.2500");
    // Mismatched kinds are converted rather than dropped.
    EXPECT_EQ(FormatColumnValue(kColumnText, int32_t{42}), L"42");
    EXPECT_EQ(FormatColumnValue(kColumnInt, std::wstring(L"17")), L"17");
    EXPECT_EQ(FormatColumnValue(kColumnBool, std::wstring(L"TRUE")), L"true");
}

TEST(ProfileText, LineBreaksCannotSpillIntoOtherKeys) {
    EXPECT_EQ(OneLine(L"a\r\n[RID_1]\nx=y"), L"a  [RID_1] x=y");
    EXPECT_EQ(OneLine(L"plain"), L"plain");
}

TEST(ProfileText, FixedFieldsCutToWidthMinusOne) {
    wchar_t field[5];
    CopyToField(field, L"abcdefg");
    EXPECT_EQ(FieldText(field), L"abcd");
    EXPECT_EQ(field[4], L'\0');
    CopyToField(field, L"ab");
    EXPECT_EQ(FieldText(field), L"ab");
    EXPECT_EQ(field[3], L'\0');  // the rest is cleared, no stale characters
    // A character outside the BMP is never split in half at the cut.
    CopyToField(field, L"abc\U0001F600");
    EXPECT_EQ(FieldText(field), L"abc");
    const wchar_t unterminated[3] = {L'x', L'y', L'z'};
    EXPECT_EQ(FieldText(unterminated), L"xyz");
}
