// Status bytes typed into the three banks: which texts each bank accepts, and which indicators
// a decode lights.
#include "tests/runecast/DecoderFixture.h"
#include "runecast/StatusByte.h"

#include <QString>

#include <cctype>
#include <cstdio>

using runecast::acceptedByte;
using runecast::FlagBank;

namespace {
constexpr FlagBank kBanks[] = {FlagBank::DZ, FlagBank::CS, FlagBank::DS};
}

TEST(AcceptedByte, EveryLowerCaseTextInEveryBank)
{
    for (FlagBank bank : kBanks) {
        for (int v = 0; v < 256; ++v) {
            char text[4];
            std::snprintf(text, sizeof text, "%02xh", v);
            const auto byte = acceptedByte(bank, text);
            ASSERT_TRUE(byte.has_value()) << text;
            EXPECT_EQ(*byte, v) << text;
        }
    }
}

TEST(AcceptedByte, UpperCaseSetsDifferBetweenBanks)
{
    for (FlagBank bank : kBanks)
        for (const char* text : {"59H", "69H", "72H", "76H", "7DH", "7EH"})
            EXPECT_EQ(acceptedByte(bank, text), acceptedByte(bank, QString(text).toLower().toStdString())) << text;
    EXPECT_EQ(acceptedByte(FlagBank::DZ, "7DH"), 0x7D);
    EXPECT_EQ(acceptedByte(FlagBank::DZ, "F0H"), 0xF0);
    EXPECT_EQ(acceptedByte(FlagBank::DZ, "FCH"), 0xFC);
    for (FlagBank bank : {FlagBank::CS, FlagBank::DS})
        for (const char* text : {"F0H", "FCH"})
            EXPECT_FALSE(acceptedByte(bank, text)) << text;

    // Every other upper- or mixed-case form is refused: sweep all 256 bytes in each casing.
    const std::string dzOnly = "F0H FCH", everywhere = "59H 69H 72H 76H 7DH 7EH";
    for (FlagBank bank : kBanks) {
        for (int v = 0; v < 256; ++v) {
            for (const char* form : {"%02XH", "%02Xh", "%02xH"}) {
                char text[4];
                std::snprintf(text, sizeof text, form, v);
                const bool listed = everywhere.find(text) != std::string::npos ||
                                    (bank == FlagBank::DZ && dzOnly.find(text) != std::string::npos);
                const bool lowerCase = text[2] == 'h' && !std::isupper(text[0]) && !std::isupper(text[1]);
                EXPECT_EQ(acceptedByte(bank, text).has_value(), listed || lowerCase) << text;
            }
        }
    }
}

TEST(AcceptedByte, RefusesNearMisses)
{
    for (FlagBank bank : kBanks)
        for (const char* text : {"", "5", "5a", "5ah ", " 5ah", "0x5a", "5ahh", "FFH", "gah", "5a.", "5Ah", "5AH",
                                 "005h", "5 h", "-1h"})
            EXPECT_FALSE(acceptedByte(bank, text)) << "'" << text << "'";
    EXPECT_FALSE(acceptedByte(FlagBank::DZ, std::string_view("5a\0", 3)));
}

TEST_F(DecoderTest, TypingAByteLightsItsBitsOnlyOnceComplete)
{
    w.Text10.type("5");
    EXPECT_EQ(lit(w.csIndicators), "........");
    w.Text10.type("a");
    EXPECT_EQ(lit(w.csIndicators), "........");
    w.Text10.type("h");
    EXPECT_EQ(lit(w.csIndicators), ".1.11.1."); // bits 6, 4, 3, 1
    w.Text10.userKey(toolkit::kKeyBack, toolkit::kKeyBack);
    EXPECT_EQ(w.Text10.text(), "5a");
    EXPECT_EQ(lit(w.csIndicators), "........");
}

TEST_F(DecoderTest, EachDecodeSetsAllEightIndicatorsOfItsOwnBank)
{
    w.Text2.setText("ffh");
    EXPECT_EQ(lit(w.dzIndicators), "11111111");
    w.Text2.setText("f3h"); // bits 3 and 2 go dark again
    EXPECT_EQ(lit(w.dzIndicators), "1111..11");
    w.Text21.setText("a8h");
    EXPECT_EQ(lit(w.dsIndicators), "1.1.1...");
    w.Text10.setText("80h");
    EXPECT_EQ(lit(w.csIndicators), "1.......");
    w.Text10.setText("01h");
    EXPECT_EQ(lit(w.csIndicators), ".......1");
    EXPECT_EQ(lit(w.dzIndicators), "1111..11"); // the other banks are untouched
    EXPECT_EQ(lit(w.dsIndicators), "1.1.1...");
    w.Text10.setText("00h");
    EXPECT_EQ(lit(w.csIndicators), "........");
}

TEST_F(DecoderTest, UpperCaseFormsDecodeAsTheirLowerCaseOnlyWhereAccepted)
{
    w.Text2.setText("F0H");
    w.Text10.setText("F0H");
    w.Text21.setText("e0h");
    EXPECT_EQ(lit(w.dzIndicators), "1111....");
    EXPECT_EQ(lit(w.csIndicators), "........");
    EXPECT_EQ(lit(w.dsIndicators), "111.....");
    for (auto* box : {&w.Text2, &w.Text10, &w.Text21})
        box->setText("7DH");
    const std::string upper = lit(w.dzIndicators) + lit(w.csIndicators) + lit(w.dsIndicators);
    for (auto* box : {&w.Text2, &w.Text10, &w.Text21})
        box->setText("7dh");
    EXPECT_EQ(lit(w.dzIndicators) + lit(w.csIndicators) + lit(w.dsIndicators), upper);
    EXPECT_EQ(lit(w.dzIndicators), ".11111.1");
    w.Text2.setText("FFH");
    EXPECT_EQ(lit(w.dzIndicators), "........");
}
