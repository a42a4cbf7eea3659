#include "PathText.h"

#include <gtest/gtest.h>

using namespace quilder;

namespace {

TEST(PathText, ValidUtf8IsTextAndEveryOtherByteSurvivesApartFromIt) {
    EXPECT_EQ(PathToText("/home/ann/caf\xC3\xA9.txt"), QStringLiteral("/home/ann/café.txt"));
    EXPECT_EQ(TextToPath(QStringLiteral("/tmp/€ \U0001F600")),
              "/tmp/\xE2\x82\xAC \xF0\x9F\x98\x80");
    // An invalid byte and the valid character that looks alike must not meet.
    EXPECT_NE(PathToText("\xE9"), PathToText("\xC3\xA9"));
    EXPECT_NE(PathToText("\xED\xB2\x80"), PathToText("\x80"));
    // Every byte sequence survives the round trip.
    const std::string samples[] = {
        "/x/\xC0\xAF",           // overlong encoding of '/'
        "/x/\xED\xA0\x80",       // an encoded surrogate
        "/x/\xF4\x90\x80\x80",   // beyond U+10FFFF
        "/x/\xE2\x82(\xC3\xA9)", // truncated, then valid
        "/x/\xED\xB2\x80",       // what the escape of 0x80 would look like encoded
        std::string("a\0b", 3),
    };
    for (const std::string& bytes : samples)
        EXPECT_EQ(TextToPath(PathToText(bytes)), bytes);
    for (int b = 0; b < 256; ++b)
        for (int c = 0x80; c < 256; c += 7)
            ASSERT_EQ(TextToPath(PathToText(std::string{char(b), char(c)})),
                      (std::string{char(b), char(c)}));
}

} // namespace
