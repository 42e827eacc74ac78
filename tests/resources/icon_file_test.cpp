// The committed icon: six classic palette images with AND masks, in the order and depths the
// executable's icon group names, and the loose icon images equal to the ones in the file.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "tests/resources/icon_file.h"

namespace {

using zif::test::Bytes;

const std::filesystem::path kResources = ZIF_RESOURCES_DIR;

struct Expected {
    int size;
    int bits;
};

// The icon group's order: all 16-colour images first, then the 256-colour ones.
constexpr std::array<Expected, 6> kImages{{{32, 4}, {16, 4}, {48, 4}, {32, 8}, {48, 8}, {16, 8}}};

// The standard 16-colour Windows palette as 0xRRGGBB.
constexpr std::array<std::uint32_t, 16> kStandardPalette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::vector<zif::test::IconEntry> iconEntries() {
    return zif::test::parseIconDirectory(zif::test::readFile(kResources / "zifwandler.ico"));
}

TEST(IconFile, ListsSixImagesInGroupOrder) {
    const auto entries = iconEntries();
    ASSERT_EQ(entries.size(), kImages.size());
    std::uint32_t next = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        EXPECT_EQ(entries[i].width, kImages[i].size);
        EXPECT_EQ(entries[i].height, kImages[i].size);
        EXPECT_EQ(entries[i].bitCount, kImages[i].bits);
        EXPECT_EQ(entries[i].colourCount, kImages[i].bits == 4 ? 16 : 0);
        EXPECT_EQ(entries[i].planes, 1);
        // Images follow the directory back to back, nothing in between.
        EXPECT_EQ(entries[i].offset, next);
        next += entries[i].bytes;
    }
    EXPECT_EQ(next, zif::test::readFile(kResources / "zifwandler.ico").size());
}

class IconImage : public ::testing::TestWithParam<std::size_t> {
protected:
    zif::test::IconEntry entry() const { return iconEntries().at(GetParam()); }
    Expected expected() const { return kImages.at(GetParam()); }
};

TEST_P(IconImage, IsAClassicBitmapWithMask) {
    const auto e = entry();
    const auto dib = zif::test::parseDib(e.image);
    EXPECT_EQ(dib.headerSize, 40);
    EXPECT_EQ(dib.width, expected().size);
    EXPECT_EQ(dib.headerHeight, 2 * expected().size);  // colour bitmap plus AND mask
    EXPECT_EQ(dib.planes, 1);
    EXPECT_EQ(dib.bitCount, expected().bits);
    EXPECT_EQ(dib.compression, 0u);
    EXPECT_EQ(dib.expectedSize, e.bytes);
}

TEST_P(IconImage, UsesTheRightPalette) {
    const auto dib = zif::test::parseDib(entry().image);
    if (expected().bits == 4) {
        EXPECT_TRUE(std::equal(dib.palette.begin(), dib.palette.end(), kStandardPalette.begin(),
                               kStandardPalette.end()));
    } else {
        ASSERT_EQ(dib.palette.size(), 256u);
        EXPECT_EQ(dib.palette[0], 0x000000u);
    }
}

TEST_P(IconImage, IsTransparentOnlyWhereTheMaskSaysSo) {
    const auto dib = zif::test::parseDib(entry().image);
    const int last = dib.width - 1;
    // The tile's corners are cut off, its middle is solid.
    for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
        EXPECT_TRUE(dib.transparentAt(x, y)) << x << "," << y;
    EXPECT_FALSE(dib.transparentAt(dib.width / 2, dib.height / 2));
    // A masked pixel must draw black, or it would tint what lies behind the icon.
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x) {
            if (dib.transparentAt(x, y)) {
                EXPECT_EQ(dib.indexAt(x, y), 0) << x << "," << y;
            }
        }
}

TEST_P(IconImage, HasSeveralColours) {
    const auto dib = zif::test::parseDib(entry().image);
    std::vector<int> used;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            if (!dib.transparentAt(x, y)) used.push_back(dib.indexAt(x, y));
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    // Background halves, digits and arrow at least.
    EXPECT_GE(used.size(), 4u);
}

TEST_P(IconImage, EqualsItsExecutableResourceImage) {
    const auto e = entry();
    const std::string name = "icon-" + std::to_string(e.width) + "x" + std::to_string(e.height) +
                             "-" + std::to_string(e.bitCount) + "bit.dib";
    EXPECT_TRUE(zif::test::readFile(kResources / "icons" / name) == e.image) << name;
}

INSTANTIATE_TEST_SUITE_P(AllSix, IconImage, ::testing::Range<std::size_t>(0, kImages.size()),
                         [](const auto& info) {
                             const auto& e = kImages.at(info.param);
                             return std::to_string(e.size) + "px_" + std::to_string(e.bits) + "bit";
                         });

TEST(IconFile, SameShapeAtEachDepth) {
    const auto entries = iconEntries();
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        std::vector<std::vector<bool>> masks;
        for (const auto& e : entries)
            if (e.width == size) masks.push_back(zif::test::parseDib(e.image).transparent);
        ASSERT_EQ(masks.size(), 2u);
        EXPECT_EQ(masks[0], masks[1]);
    }
}

}  // namespace
