#include <gtest/gtest.h>

TEST(RuntimeTest, LibraryLinks)
{
    SUCCEED();
}
