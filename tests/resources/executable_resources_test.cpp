// The resource script compiled by windres into a small PE, read back with wrestool: the icon
// group and its icons with their IDs, order and languages, and every field of the version block.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/version.h"
#include "tests/resources/icon_file.h"

namespace {

using zif::test::Bytes;
using zif::test::runCommand;

const std::filesystem::path kResources = ZIF_RESOURCES_DIR;
const std::string kProbe = ZIF_PROBE_EXE;
const std::string kWrestool = ZIF_WRESTOOL;

std::u16string widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

Bytes resource(const std::string& selection, bool raw = true) {
    return runCommand("'" + kWrestool + "' -x " + (raw ? "--raw " : "") + selection + " '" +
                      kProbe + "'");
}

struct Listed {
    int type;
    std::string name;
    int language;
    std::uint32_t size;
    bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Listed& r) {
    return out << "type " << r.type << " name " << r.name << " language " << r.language << " size "
               << r.size;
}

// The value after `key` up to the next space or ']' in a line of `wrestool -l`.
std::string field(const std::string& line, const std::string& key) {
    const auto at = line.find(key);
    if (at == std::string::npos) throw std::runtime_error("no " + key + " in: " + line);
    const auto begin = at + key.size();
    return line.substr(begin, line.find_first_of(" ]", begin) - begin);
}

std::vector<Listed> listing() {
    const Bytes out = runCommand("'" + kWrestool + "' -l '" + kProbe + "'");
    std::istringstream lines(std::string(out.begin(), out.end()));
    std::vector<Listed> result;
    for (std::string line; std::getline(lines, line);) {
        result.push_back({std::stoi(field(line, "--type=")), field(line, "--name="),
                          std::stoi(field(line, "--language=")),
                          static_cast<std::uint32_t>(std::stoul(field(line, " size=")))});
    }
    return result;
}

std::vector<zif::test::IconEntry> icoEntries() {
    return zif::test::parseIconDirectory(zif::test::readFile(kResources / "zifwandler.ico"));
}

constexpr int kIcon = 3;
constexpr int kGroupIcon = 14;
constexpr int kVersion = 16;
constexpr int kNeutral = 0;
constexpr int kGerman = 0x0407;

TEST(ExecutableResources, HoldExactlyTheIconsTheGroupAndTheVersionBlock) {
    const auto ico = icoEntries();
    std::vector<Listed> expected;
    for (std::size_t i = 0; i < ico.size(); ++i)
        expected.push_back({kIcon, std::to_string(30001 + i), kNeutral, ico[i].bytes});
    const auto listed = listing();
    ASSERT_EQ(listed.size(), expected.size() + 2);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(listed[i], expected[i]);
    EXPECT_EQ(listed[6].type, kGroupIcon);
    EXPECT_EQ(listed[6].name, "1");
    EXPECT_EQ(listed[6].language, kNeutral);
    EXPECT_EQ(listed[7].type, kVersion);
    EXPECT_EQ(listed[7].name, "1");
    EXPECT_EQ(listed[7].language, kGerman);
}

TEST(ExecutableResources, GroupNamesTheIconsInOrder) {
    const auto group =
        zif::test::parseIconDirectory(resource("--type=14 --name=1"), /*group=*/true);
    const auto ico = icoEntries();
    ASSERT_EQ(group.size(), ico.size());
    for (std::size_t i = 0; i < group.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i + 1));
        EXPECT_EQ(group[i].offset, 30001 + i);  // the icon resource ID
        EXPECT_EQ(group[i].width, ico[i].width);
        EXPECT_EQ(group[i].height, ico[i].height);
        EXPECT_EQ(group[i].colourCount, ico[i].colourCount);
        EXPECT_EQ(group[i].planes, ico[i].planes);
        EXPECT_EQ(group[i].bitCount, ico[i].bitCount);
        EXPECT_EQ(group[i].bytes, ico[i].bytes);
    }
}

TEST(ExecutableResources, IconsAreTheImagesOfTheIconFile) {
    const auto ico = icoEntries();
    for (std::size_t i = 0; i < ico.size(); ++i) {
        SCOPED_TRACE("icon " + std::to_string(30001 + i));
        EXPECT_TRUE(resource("--type=3 --name=" + std::to_string(30001 + i)) == ico[i].image);
    }
    // wrestool rebuilds an .ico from the group: it must be the window's icon file itself
    // (wrestool pads the file it writes with zero bytes).
    const Bytes rebuilt = resource("--type=14 --name=1", /*raw=*/false);
    const Bytes file = zif::test::readFile(kResources / "zifwandler.ico");
    ASSERT_GE(rebuilt.size(), file.size());
    EXPECT_TRUE(std::equal(file.begin(), file.end(), rebuilt.begin()));
    EXPECT_TRUE(std::all_of(rebuilt.begin() + static_cast<std::ptrdiff_t>(file.size()),
                            rebuilt.end(), [](std::uint8_t b) { return b == 0; }));
}

class VersionBlock : public ::testing::Test {
protected:
    zif::test::VersionNode root = zif::test::parseVersionInfo(resource("--type=16 --name=1"));

    const zif::test::VersionNode& child(const std::u16string& key) const {
        for (const auto& c : root.children)
            if (c.key == key) return c;
        throw std::runtime_error("no block of that name");
    }
};

TEST_F(VersionBlock, FixedPart) {
    ASSERT_EQ(root.key, u"VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), 52u);
    const auto& v = root.value;
    const std::uint32_t major = zif::kVersionMajor;
    const std::uint32_t minor = zif::kVersionMinor;
    const std::array<std::pair<std::size_t, std::uint32_t>, 11> fields{{
        {0, 0xFEEF04BD},            // signature
        {4, 0x00010000},            // structure version
        {8, major << 16 | minor},   // file version, high word: 1.2
        {12, 0},                    // file version, low word: .0.0
        {16, major << 16 | minor},  // product version
        {20, 0},
        {28, 0},           // file flags: none
        {32, 0x00040004},  // VOS_NT_WINDOWS32
        {36, 0x00000001},  // VFT_APP
        {40, 0},           // no subtype
        {44, 0},           // no date
    }};
    for (auto [offset, value] : fields)
        EXPECT_EQ(zif::test::le32(v, offset), value) << "at offset " << offset;
}

TEST_F(VersionBlock, OneGermanStringTableWithTheKeysInOrder) {
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[0].key, u"StringFileInfo");
    const auto& info = child(u"StringFileInfo");
    ASSERT_EQ(info.children.size(), 1u);
    const auto& table = info.children[0];
    EXPECT_EQ(table.key, u"040704B0");

    const std::u16string version = widen(zif::kDisplayVersion);
    const std::u16string exe = widen(zif::kExecutableName);
    const std::vector<std::pair<std::u16string, std::u16string>> expected{
        {u"FileDescription", u"Umrechner für Dezimal- und Hexadezimalzahlen"},
        {u"LegalCopyright", u"Copyright © 2026 The ZIF-Wandler developers"},
        {u"ProductName", widen(zif::kDisplayName)},
        {u"FileVersion", version},
        {u"ProductVersion", version},
        {u"InternalName", exe},
        {u"OriginalFilename", exe + u".exe"},
    };
    ASSERT_EQ(table.children.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table.children[i].key, expected[i].first);
        EXPECT_EQ(table.children[i].type, 1);
        EXPECT_EQ(table.children[i].text(), expected[i].second);
    }
}

TEST(ExecutableResources, VersionIsOneOhTwo) {
    // "1.02" is how 1.2 is written for people; both come from the one version in the build.
    EXPECT_STREQ(zif::kDisplayVersion, "1.02");
    EXPECT_EQ(zif::kVersionMajor, 1);
    EXPECT_EQ(zif::kVersionMinor, 2);
}

TEST_F(VersionBlock, TranslationIsGermanUnicode) {
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_EQ(root.children[1].key, u"VarFileInfo");
    const auto& var = child(u"VarFileInfo");
    ASSERT_EQ(var.children.size(), 1u);
    EXPECT_EQ(var.children[0].key, u"Translation");
    EXPECT_EQ(var.children[0].type, 0);
    // Language 0x0407, code page 1200 (UTF-16), as two little-endian words.
    EXPECT_EQ(var.children[0].value, (Bytes{0x07, 0x04, 0xB0, 0x04}));
}

}  // namespace
