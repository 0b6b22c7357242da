// Helpers shared by the resource tests: resources and forks built from text,
// handles read back as text, and readable failures.
#pragma once

#include "platform/core/Memory.h"
#include "platform/files/Files.h"
#include "platform/resources/ResourceFork.h"
#include "tests/platform/files/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const ForkResource& r, std::ostream* os) {
    *os << "{'" << char(r.type >> 24) << char(r.type >> 16) << char(r.type >> 8) << char(r.type) << "' " << r.id
        << (r.hasName ? " \"" + r.name + "\"" : std::string()) << " attrs " << int(r.attributes) << " "
        << r.data.size() << " bytes}";
}

namespace restest {

constexpr ResType kText = FourCC("TEXT");

inline ForkResource Res(ResType type, ResID id, const std::string& data, const char* name = nullptr,
                        UInt8 attrs = 0) {
    ForkResource r;
    r.type = type;
    r.id = id;
    r.data.assign(data.begin(), data.end());
    r.attributes = attrs;
    if (name) {
        r.hasName = true;
        r.name = name;
    }
    return r;
}

// The serialized fork of these resources.
inline std::vector<UInt8> Fork(std::vector<ForkResource> resources, UInt16 fileAttrs = 0) {
    ResourceForkImage image;
    image.resources = std::move(resources);
    image.fileAttributes = fileAttrs;
    std::vector<UInt8> out;
    EXPECT_EQ(SerializeResourceFork(image, &out), noErr);
    return out;
}

inline std::string Text(Handle h) {
    auto b = HandleBytes(h);
    return {b.begin(), b.end()};
}

inline Handle NewText(const std::string& s) {
    return NewHandleFromBytes(std::span(reinterpret_cast<const UInt8*>(s.data()), s.size()));
}

}  // namespace restest
