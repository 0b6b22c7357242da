// A fresh folder under the system temporary folder for one test, removed
// with everything in it when the test ends; and small file helpers.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvel-files-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::vector<UInt8> Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<UInt8>(std::istreambuf_iterator<char>(in), {});
}

inline void Spill(const std::string& path, const std::vector<UInt8>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<UInt8> TextBytes(std::string_view text) { return std::vector<UInt8>(text.begin(), text.end()); }

inline UInt32 BE32(const std::vector<UInt8>& b, size_t at) {
    return UInt32(b.at(at)) << 24 | UInt32(b.at(at + 1)) << 16 | UInt32(b.at(at + 2)) << 8 | b.at(at + 3);
}

inline FSSpec FileSpecFor(const std::string& path) {
    FSSpec fileSpec;
    EXPECT_EQ(FSSpecFromPath(path, &fileSpec), noErr) << path;
    return fileSpec;
}

// Forks and containers written by other programs (tests/data/README.md).
inline std::string DataForks(const std::string& name) { return std::string(KORVEL_TEST_DATA) + "/forks/" + name; }

// A Pascal string built from text.
struct P {
    Str255 s;
    explicit P(std::string_view text) { CopyCStringToPascal(text, s); }
    std::string str() const { return PStringToStd(s); }
};

// The companion Korvel writes: the header with "Mac OS X" filler, Finder
// info at 0x32, the resource fork after it.
inline std::vector<UInt8> Companion(OSType type, OSType creator, UInt16 flags, const std::vector<UInt8>& fork) {
    std::vector<UInt8> b = {0x00, 0x05, 0x16, 0x07, 0x00, 0x02, 0x00, 0x00, 'M', 'a', 'c', ' ', 'O', 'S', ' ', 'X',
                            ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  0x00, 0x02, 0, 0, 0, 9, 0, 0,
                            0,    0x32, 0,    0,    0,    32,   0,    0,    0,    2,    0, 0, 0, 0x52};
    for (UInt32 v : {UInt32(fork.size()), type, creator})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(UInt8(v >> shift));
    b.push_back(UInt8(flags >> 8));
    b.push_back(UInt8(flags));
    b.resize(0x52, 0);
    b.insert(b.end(), fork.begin(), fork.end());
    return b;
}
