#include "serial/SerialSettings.h"

#include <gtest/gtest.h>

using serial::errInvalidValue;
using serial::SerialSettings;
using serial::StopBits;

TEST(SerialSettings, WellFormedStringsComeBackInCanonicalForm)
{
    const std::pair<const char*, const char*> cases[] = {
        {"1200,n,8,1", "1200,n,8,1"},
        {"9600,N,8,1", "9600,n,8,1"},
        {" 19200 , E , 7 , 2 ", "19200,e,7,2"},
        {"4000000,o,5,1.5", "4000000,o,5,1.5"},
        {"230400,M,6,1", "230400,m,6,1"},
        {"009600,s,8,2", "9600,s,8,2"},
        {"1,n,8,1", "1,n,8,1"},
        {"123457,n,8,1", "123457,n,8,1"},
    };
    for (const auto& [text, canonical] : cases) {
        serial::SerialSettings s;
        EXPECT_FALSE(serial::SerialSettings::parse(text, s)) << text;
        EXPECT_EQ(s.text(), canonical) << text;
    }

    serial::SerialSettings s;
    ASSERT_FALSE(serial::SerialSettings::parse("19200,e,7,1.5", s));
    EXPECT_EQ(s.baudRate, 19200);
    EXPECT_EQ(s.parity, 'e');
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.stopBits, serial::StopBits::OneAndHalf);
}

TEST(SerialSettings, MalformedStringsAreRefusedSayingWhatWasWrongAndLeaveTheValueAlone)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "1 part where 4"},
        {"9600,n,8", "3 parts where 4"},
        {"9600,n,8,1,x", "5 parts where 4"},
        {"fast,n,8,1", "baud rate \"fast\" is not a whole number"},
        {"-9600,n,8,1", "baud rate \"-9600\" is not a whole number"},
        {",n,8,1", "baud rate \"\" is not a whole number"},
        {"0,n,8,1", "baud rate must be greater than 0"},
        {"99999999999,n,8,1", "baud rate \"99999999999\" is too large"},
        {"9600,x,8,1", "parity \"x\" is not one of n, e, o, m, s"},
        {"9600,no,8,1", "parity \"no\""},
        {"9600,n,9,1", "data bits \"9\" must be 5, 6, 7 or 8"},
        {"9600,n,4,1", "data bits \"4\""},
        {"9600,n,8,3", "stop bits \"3\" must be 1, 1.5 or 2"},
        {"9600,n,8,1.0", "stop bits \"1.0\""},
    };
    for (const auto& [text, reason] : cases) {
        serial::SerialSettings s;
        s.baudRate = 1200;
        const auto error = serial::SerialSettings::parse(text, s);
        EXPECT_EQ(error.number, serial::errInvalidValue) << text;
        EXPECT_NE(error.text.find(reason), std::string::npos) << error.text;
        EXPECT_NE(error.text.find(std::string("\"") + text + "\" not accepted"), std::string::npos) << error.text;
        EXPECT_NE(error.text.find("\"9600,n,8,1\": baud rate, parity n/e/o/m/s, data bits 5-8, stop bits 1/1.5/2"),
                  std::string::npos)
            << error.text;
        EXPECT_EQ(s.text(), "1200,n,8,1") << text;
    }
}
