// What the console poll decides from the number of input events pending at a
// Windows console, as GetNumberOfConsoleInputEvents reports it: a typed key
// is a press and a release, so a single event stops no search.
#include <gtest/gtest.h>

#include "shell/platform.h"

TEST(Platform, AConsoleKeyIsAPressAndARelease) {
    EXPECT_FALSE(console_key_typed(0));
    EXPECT_FALSE(console_key_typed(1));
    EXPECT_TRUE(console_key_typed(2));
    EXPECT_TRUE(console_key_typed(7));
}
