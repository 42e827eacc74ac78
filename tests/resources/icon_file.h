#pragma once

// Little readers for the binary layouts the resource tests look at: ICO files, icon images
// (DIBs with AND masks) and the raw VERSIONINFO resource.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zif::test {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& path);
// Runs a shell command and returns what it wrote to standard output; throws when it fails.
Bytes runCommand(const std::string& command);

std::uint16_t le16(const Bytes& data, std::size_t at);
std::uint32_t le32(const Bytes& data, std::size_t at);

struct IconEntry {
    int width = 0;
    int height = 0;
    int colourCount = 0;
    int planes = 0;
    int bitCount = 0;
    std::uint32_t bytes = 0;
    std::uint32_t offset = 0;  // in an ICO file; the resource ID in an icon group
    Bytes image;               // only filled for ICO files
};

// Reads an ICO file, or with `group` an RT_GROUP_ICON resource (14-byte entries, ID last).
std::vector<IconEntry> parseIconDirectory(const Bytes& data, bool group = false);

struct Dib {
    int width = 0;
    int height = 0;  // of the image; the header holds twice this (XOR and AND bitmap)
    int headerHeight = 0;
    int headerSize = 0;
    int planes = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    // Row-major, top row first.
    std::vector<int> index;
    std::vector<bool> transparent;
    std::size_t expectedSize = 0;  // header + palette + XOR + AND, from the header fields

    int indexAt(int x, int y) const { return index[y * width + x]; }
    bool transparentAt(int x, int y) const { return transparent[y * width + x]; }
};

Dib parseDib(const Bytes& data);

// One node of a VERSIONINFO tree: wLength, wValueLength, wType, key, value, children.
struct VersionNode {
    std::u16string key;
    int type = 0;  // 1: text value, 0: binary value
    Bytes value;
    std::vector<VersionNode> children;

    std::u16string text() const;  // a text value without its terminating zero
};

VersionNode parseVersionInfo(const Bytes& data);

}  // namespace zif::test
