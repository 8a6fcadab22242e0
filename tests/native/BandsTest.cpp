#include "layout/Bands.h"

#include <gtest/gtest.h>

TEST(Bands, Smoke) { EXPECT_EQ(pellorin::PlaceTile(RECT{0, 0, 800, 600}, 4, 4, 0, 3).Height, 204); }
