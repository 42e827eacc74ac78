#include "tests/resources/icon_file.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace zif::test {

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes runCommand(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) throw std::runtime_error("cannot start " + command);
    Bytes out;
    std::array<std::uint8_t, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get()))
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    if (pclose(pipe.release()) != 0) throw std::runtime_error("failed: " + command);
    return out;
}

std::uint16_t le16(const Bytes& data, std::size_t at) {
    if (at + 2 > data.size()) throw std::out_of_range("read past the end");
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

std::uint32_t le32(const Bytes& data, std::size_t at) {
    return le16(data, at) | static_cast<std::uint32_t>(le16(data, at + 2)) << 16;
}

std::vector<IconEntry> parseIconDirectory(const Bytes& data, bool group) {
    if (le16(data, 0) != 0 || le16(data, 2) != 1) throw std::runtime_error("not an icon directory");
    const std::size_t count = le16(data, 4);
    const std::size_t entrySize = group ? 14 : 16;
    std::vector<IconEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + i * entrySize;
        IconEntry e;
        e.width = data.at(at) == 0 ? 256 : data.at(at);
        e.height = data.at(at + 1) == 0 ? 256 : data.at(at + 1);
        e.colourCount = data.at(at + 2);
        e.planes = le16(data, at + 4);
        e.bitCount = le16(data, at + 6);
        e.bytes = le32(data, at + 8);
        e.offset = group ? le16(data, at + 12) : le32(data, at + 12);
        if (!group) {
            if (std::size_t{e.offset} + e.bytes > data.size())
                throw std::runtime_error("icon image beyond the end of the file");
            e.image.assign(data.begin() + e.offset, data.begin() + e.offset + e.bytes);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

Dib parseDib(const Bytes& data) {
    Dib d;
    d.headerSize = static_cast<int>(le32(data, 0));
    d.width = static_cast<int>(le32(data, 4));
    d.headerHeight = static_cast<int>(le32(data, 8));
    d.height = d.headerHeight / 2;
    d.planes = le16(data, 12);
    d.bitCount = le16(data, 14);
    d.compression = le32(data, 16);
    if (d.bitCount != 1 && d.bitCount != 4 && d.bitCount != 8)
        throw std::runtime_error("not a palette image");
    const std::size_t colours = std::size_t{1} << d.bitCount;
    const std::size_t paletteAt = static_cast<std::size_t>(d.headerSize);
    for (std::size_t i = 0; i < colours; ++i) {
        const std::size_t at = paletteAt + 4 * i;
        d.palette.push_back(static_cast<std::uint32_t>(data.at(at + 2)) << 16 |
                            static_cast<std::uint32_t>(data.at(at + 1)) << 8 | data.at(at));
    }
    const std::size_t xorStride = (static_cast<std::size_t>(d.width) * d.bitCount + 31) / 32 * 4;
    const std::size_t andStride = (static_cast<std::size_t>(d.width) + 31) / 32 * 4;
    const std::size_t xorAt = paletteAt + 4 * colours;
    const std::size_t andAt = xorAt + xorStride * d.height;
    d.expectedSize = andAt + andStride * d.height;
    if (d.expectedSize > data.size()) throw std::runtime_error("icon image is cut short");
    d.index.resize(static_cast<std::size_t>(d.width) * d.height);
    d.transparent.resize(d.index.size());
    for (int y = 0; y < d.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(d.height - 1 - y);  // stored bottom up
        for (int x = 0; x < d.width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x) * d.bitCount;
            const std::uint8_t byte = data[xorAt + row * xorStride + bit / 8];
            const int shift = static_cast<int>(8 - d.bitCount - bit % 8);
            d.index[y * d.width + x] = byte >> shift & ((1 << d.bitCount) - 1);
            const std::uint8_t mask = data[andAt + row * andStride + x / 8];
            d.transparent[y * d.width + x] = (mask >> (7 - x % 8) & 1) != 0;
        }
    }
    return d;
}

std::u16string VersionNode::text() const {
    std::u16string s;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(value[i] | value[i + 1] << 8);
        if (c == u'\0') break;
        s.push_back(c);
    }
    return s;
}

namespace {

std::size_t align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

VersionNode parseNode(const Bytes& data, std::size_t at, std::size_t& end) {
    VersionNode node;
    const std::size_t length = le16(data, at);
    const std::size_t valueLength = le16(data, at + 2);
    node.type = le16(data, at + 4);
    end = at + length;
    if (length < 6 || end > data.size()) throw std::runtime_error("bad VERSIONINFO node length");
    std::size_t pos = at + 6;
    for (char16_t c; (c = static_cast<char16_t>(le16(data, pos))) != u'\0'; pos += 2)
        node.key.push_back(c);
    pos = align4(pos + 2);
    // A text value's length counts UTF-16 units, a binary one's bytes.
    const std::size_t valueBytes = node.type == 1 ? 2 * valueLength : valueLength;
    if (pos + valueBytes > end) throw std::runtime_error("VERSIONINFO value beyond its node");
    node.value.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                      data.begin() + static_cast<std::ptrdiff_t>(pos + valueBytes));
    pos = align4(pos + valueBytes);
    while (pos < end) {
        std::size_t childEnd = 0;
        node.children.push_back(parseNode(data, pos, childEnd));
        pos = align4(childEnd);
    }
    return node;
}

}  // namespace

VersionNode parseVersionInfo(const Bytes& data) {
    std::size_t end = 0;
    return parseNode(data, 0, end);
}

}  // namespace zif::test
