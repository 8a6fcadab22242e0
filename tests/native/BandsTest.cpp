// The band arithmetic over a table of client heights and tile counts.
#include "layout/Bands.h"

#include <gtest/gtest.h>

#include <vector>

using pellorin::PlaceTile;
using pellorin::TilePlacement;

namespace {

struct BandCase {
    const char* Label;
    RECT Client;
    int Cx, Cy;
    UINT Count;
};

const BandCase BandCases[] = {
    {"one tile", {0, 0, 800, 600}, 4, 4, 1},
    {"height a multiple of n", {0, 0, 800, 596}, 4, 4, 4},
    {"height not a multiple of n", {0, 0, 800, 600}, 4, 4, 3},
    {"thin borders", {0, 0, 640, 480}, 1, 1, 7},
    {"wide borders", {0, 0, 1024, 700}, 8, 9, 5},
    {"n greater than the height", {0, 0, 300, 3}, 4, 4, 10},
    {"empty client area", {0, 0, 0, 0}, 4, 4, 3},
    {"offset client rectangle", {5, 7, 805, 607}, 3, 3, 6},
    {"many tiles", {0, 0, 1920, 1080}, 4, 4, 500},
};

class BandInvariants : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandInvariants, StackCoversTheClientWithoutGaps)
{
    const BandCase& c = GetParam();
    std::vector<TilePlacement> tiles;
    for (UINT i = 0; i < c.Count; ++i)
        tiles.push_back(PlaceTile(c.Client, c.Cx, c.Cy, i, c.Count));

    const int overlap = c.Cy - 1;
    int smallest = INT32_MAX;
    int largest = INT32_MIN;
    for (UINT i = 0; i < c.Count; ++i) {
        SCOPED_TRACE(testing::Message() << "tile " << i);
        EXPECT_EQ(tiles[i].X, c.Client.left - c.Cx);
        EXPECT_EQ(tiles[i].Width, c.Client.right - c.Client.left + 2 * c.Cx);
        if (i + 1 < c.Count) {  // the next one starts where this band ends, overlapped by one border
            EXPECT_EQ(tiles[i + 1].Y, tiles[i].Y + tiles[i].Height - overlap);
        }
        const int band = tiles[i].Height - overlap;
        EXPECT_GE(band, 0);
        smallest = std::min(smallest, band);
        largest = std::max(largest, band);
    }
    EXPECT_LE(largest - smallest, 1) << "bands differ by more than one row";
    EXPECT_EQ(tiles.front().Y, c.Client.top - c.Cy) << "the first tile's border sits above the client area";
    EXPECT_EQ(tiles.back().Y + tiles.back().Height, c.Client.bottom + c.Cy - 1)
        << "the last tile ends cy - 1 rows below the client area";
}

INSTANTIATE_TEST_SUITE_P(Table, BandInvariants, ::testing::ValuesIn(BandCases),
                         [](const ::testing::TestParamInfo<BandCase>& info) {
                             std::string name = info.param.Label;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

}  // namespace
