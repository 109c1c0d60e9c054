#include "textcodec/ByteSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

// The word-at-a-time searches find exactly what a plain search finds, for every byte value
// (the high ones included, where a zero test on words is easiest to get wrong), at every
// position and alignment, and report the end when nothing matches.
TEST(ByteSearch, FindsWhatAPlainSearchFinds) {
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 40, '\0');
        const int range = round % 2 == 0 ? 256 : 4;  // dense matches in half the rounds
        for (char& c : text)
            c = static_cast<char>(0x7E + random() % range);
        const std::size_t from = text.empty() ? 0 : random() % (text.size() + 1);
        const char* begin = text.data() + from;
        const char* end = text.data() + text.size();
        const char a = static_cast<char>(0x7E + random() % range);
        const char b = static_cast<char>(0x7E + random() % range);
        const char c = static_cast<char>(0x7E + random() % range);
        ASSERT_EQ(textcodec::FindByte(begin, end, a), std::find(begin, end, a)) << round;
        const char* expected =
            std::find_if(begin, end, [&](char x) { return x == a || x == b || x == c; });
        ASSERT_EQ(textcodec::FindFirstOf3(begin, end, a, b, c), expected) << round;
    }
}
