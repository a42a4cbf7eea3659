#include "PathText.h"

#include <gtest/gtest.h>

using namespace quilder;

namespace {

TEST(PathText, ValidUtf8ReadsAsText) {
    EXPECT_EQ(PathToText("/home/ann/caf\xC3\xA9.txt"), QStringLiteral("/home/ann/café.txt"));
    EXPECT_EQ(PathToText("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(TextToPath(QStringLiteral("/tmp/€ und ü")), "/tmp/\xE2\x82\xAC und \xC3\xBC");
}

TEST(PathText, EveryByteSequenceSurvivesTheRoundTrip) {
    const std::string samples[] = {
        std::string("/data/\xFF\xFE name"),   // bytes that never start a sequence
        std::string("/x/\x80\x80"),           // lone continuation bytes
        std::string("/x/\xC0\xAF"),           // overlong encoding of '/'
        std::string("/x/\xED\xA0\x80"),       // an encoded surrogate
        std::string("/x/\xF4\x90\x80\x80"),   // beyond U+10FFFF
        std::string("/x/abc\xE2\x82"),        // truncated at the end
        std::string("/x/\xE2\x82(\xC3\xA9)"), // truncated in the middle, then valid
        std::string("/x/\xED\xB2\x80"),       // what the escape of 0x80 would look like encoded
        std::string("a\0b", 3),
    };
    for (const std::string& bytes : samples) {
        EXPECT_EQ(TextToPath(PathToText(bytes)), bytes) << "sample " << &bytes - samples;
    }
    // All 256 single bytes, and every pair of high bytes.
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        ASSERT_EQ(TextToPath(PathToText(one)), one) << b;
        for (int c = 0x80; c < 256; c += 7) {
            const std::string two{static_cast<char>(b), static_cast<char>(c)};
            ASSERT_EQ(TextToPath(PathToText(two)), two) << b << " " << c;
        }
    }
}

TEST(PathText, DifferentBytesNeverGiveTheSameText) {
    // An invalid byte and the valid character that looks alike must stay apart.
    EXPECT_NE(PathToText("\xE9"), PathToText("\xC3\xA9"));
    EXPECT_NE(PathToText("\xED\xB2\x80"), PathToText("\x80"));
    EXPECT_EQ(PathToText("\xE9").size(), 1);
}

TEST(PathText, LineBreaksAndTabsAreFound) {
    EXPECT_TRUE(HasLineBreakOrTab("a\rb"));
    EXPECT_TRUE(HasLineBreakOrTab("a\nb"));
    EXPECT_TRUE(HasLineBreakOrTab("a\tb"));
    EXPECT_FALSE(HasLineBreakOrTab("/a b/\xFF"));
}

} // namespace
