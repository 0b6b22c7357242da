// A fresh folder under the system temporary folder for one test, removed
// with everything in it when the test ends; and small file helpers.
#pragma once

#include "platform/core/MacTypes.h"

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

inline std::vector<UInt8> Bytes(std::string_view text) { return std::vector<UInt8>(text.begin(), text.end()); }

inline UInt32 BE32(const std::vector<UInt8>& b, size_t at) {
    return UInt32(b.at(at)) << 24 | UInt32(b.at(at + 1)) << 16 | UInt32(b.at(at + 2)) << 8 | b.at(at + 3);
}

inline std::string CorpusForks() { return std::string(KORVEL_CORPUS) + "/forks"; }
inline bool HaveCorpusForks() { return std::filesystem::exists(CorpusForks() + "/GSHK"); }
