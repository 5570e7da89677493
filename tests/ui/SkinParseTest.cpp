#include <gtest/gtest.h>

#include "skin/SkinParse.h"
#include "skin/SkinReader.h"

using namespace skinparse;

TEST(SkinParse, ColorAttributeHexAndDecimal) {
    EXPECT_EQ(ParseColor(L"0xFF808080"), 0xFF808080u);
    EXPECT_EQ(ParseColor(L"0XfE000000"), 0xFE000000u);
    // Nine digits keep the low 32 bits of the accumulation.
    EXPECT_EQ(ParseColor(L"0xFFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseColor(L"0x123456789"), 0x23456789u);
    // One bad digit after the prefix spoils the whole value.
    EXPECT_EQ(ParseColor(L"0xFG000000"), 0u);
    EXPECT_EQ(ParseColor(L"0xFF 00"), 0u);
    EXPECT_EQ(ParseColor(L"255"), 255u);
    EXPECT_EQ(ParseColor(L"4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseColor(L"99999999999999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseColor(L""), 0u);
    EXPECT_EQ(ParseColor(L"0x"), 0u);
}

TEST(SkinParse, ColorParamIsAlwaysHex) {
    EXPECT_EQ(ParseColorParam(L"FE000000"), 0xFE000000u);
    EXPECT_EQ(ParseColorParam(L"0xFEFFFFFF"), 0xFEFFFFFFu);
    EXPECT_EQ(ParseColorParam(L"255"), 0x255u);
    EXPECT_EQ(ParseColorParam(L""), 0u);
    EXPECT_EQ(ParseColorParam(L"red"), 0u);
}

TEST(SkinParse, IntegersLikeStrtol) {
    EXPECT_EQ(ParseInt(L""), 0);
    EXPECT_EQ(ParseInt(L"24"), 24);
    EXPECT_EQ(ParseInt(L"  -7px"), -7);
    EXPECT_EQ(ParseInt(L"abc"), 0);
    EXPECT_EQ(ParseInt(L"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseInt(L"-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(EdgeSpan(24, 25), 1);
    EXPECT_EQ(EdgeSpan(INT32_MIN, INT32_MAX), INT32_MAX);
    EXPECT_EQ(EdgeSpan(INT32_MAX, INT32_MIN), INT32_MIN);
}

TEST(SkinParse, BooleansAndFloats) {
    EXPECT_EQ(ParseBool(L"TRUE"), 1);
    EXPECT_EQ(ParseBool(L"True"), 1);
    EXPECT_EQ(ParseBool(L"1"), 1);
    EXPECT_EQ(ParseBool(L"yes"), 0);
    EXPECT_EQ(ParseBool(L"0"), 0);
    EXPECT_EQ(ParseBool(L""), 0);
    EXPECT_FLOAT_EQ(ParseFloat(L"12.5"), 12.5f);
    EXPECT_FLOAT_EQ(ParseFloat(L""), 0.0f);
    EXPECT_FLOAT_EQ(ParseFloat(L"1e999"), 3.402823466e38f);
}

TEST(SkinReader, StopsAtTheFirstFailingStepKeepingEarlierRecords) {
    const char* noCtrl =
        "<SkinInfo><SkinDesc><SkinName>a</SkinName><SkinEdition>b</SkinEdition><SkinAuthor>c</SkinAuthor>"
        "<SkinImageFrom>File</SkinImageFrom><SkinImageFile>x.png</SkinImageFile></SkinDesc>"
        "<SkinFont><FontType StyleName=\"f\" FontSize=\"9\"/></SkinFont></SkinInfo>";
    DUI_SkinDocument doc;
    EXPECT_EQ(ReadSkinDescription(noCtrl, strlen(noCtrl), &doc), 0);
    ASSERT_EQ(doc.styles.size(), 1u);  // the font record stays
    EXPECT_EQ(doc.styles[0]->kindName, L"FontType");
    EXPECT_EQ(doc.imageFromFile, 1);
    EXPECT_EQ(doc.imageFile, L"x.png");

    const char* missingEdition =
        "<SkinInfo><SkinDesc><SkinName>a</SkinName><SkinAuthor>c</SkinAuthor><SkinImageFrom>File</SkinImageFrom>"
        "<SkinImageFile>x</SkinImageFile></SkinDesc><SkinFont/><SkinCtrl/></SkinInfo>";
    DUI_SkinDocument doc2;
    EXPECT_EQ(ReadSkinDescription(missingEdition, strlen(missingEdition), &doc2), 0);
    EXPECT_TRUE(doc2.styles.empty());

    const char* minimal =
        "<SkinInfo><SkinDesc><SkinName>a</SkinName><SkinEdition>b</SkinEdition><SkinAuthor>c</SkinAuthor>"
        "<SkinImageFrom>Elsewhere</SkinImageFrom><SkinImageFile>77abc</SkinImageFile></SkinDesc>"
        "<SkinFont/><SkinCtrl/></SkinInfo>";
    DUI_SkinDocument doc3;
    EXPECT_EQ(ReadSkinDescription(minimal, strlen(minimal), &doc3), 1);
    ASSERT_EQ(doc3.styles.size(), 1u);  // only the implicit scene style
    EXPECT_EQ(doc3.styles[0]->styleName, L"DUIScene");
    EXPECT_EQ(doc3.imageFromFile, 0);  // unknown source text keeps the default
    EXPECT_EQ(doc3.imageResourceId, 77u);
}

TEST(SkinReader, LongNamesAreCut) {
    std::string longName(80, 'N');
    std::string text =
        "<SkinInfo><SkinDesc><SkinName/><SkinEdition/><SkinAuthor/><SkinImageFrom/><SkinImageFile/></SkinDesc>"
        "<SkinFont/><SkinCtrl><Label StyleName=\"" +
        longName + "\"/></SkinCtrl></SkinInfo>";
    DUI_SkinDocument doc;
    EXPECT_EQ(ReadSkinDescription(text.data(), text.size(), &doc), 1);
    ASSERT_EQ(doc.styles.size(), 2u);
    EXPECT_EQ(doc.styles[1]->styleName.size(), kDuiStyleNameMax);
}
