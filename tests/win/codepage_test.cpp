#include "afx.h"

#include <gtest/gtest.h>

TEST(WineEnvironment, AnsiCodePageIs949)
{
    EXPECT_EQ(949u, GetACP());
}
