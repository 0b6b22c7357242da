#include "platform/icons/IcnsRle.h"
#include "tests/platform/icons/IconTestBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace icontest;

Bytes Repeat(size_t n, UInt8 v) { return Bytes(n, v); }
Bytes Counting(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = UInt8(i);
    return b;
}
Bytes Pack(const Bytes& plane) {
    Bytes out;
    IcnsPackPlane(plane, out);
    return out;
}

TEST(IcnsRle, PacksPlanesExactly) {
    const struct {
        const char* name;
        Bytes plane;
        Bytes packed;
    } cases[] = {
        {"empty", {}, {}},
        {"one byte", {7}, {0x00, 7}},
        {"two equal stay literal", {5, 5}, {0x01, 5, 5}},
        {"run of exactly three", {5, 5, 5}, {0x80, 5}},
        {"literal then run then literal", {1, 2, 3, 3, 3, 4}, {0x01, 1, 2, 0x80, 3, 0x00, 4}},
        {"130 repeats are one run", Repeat(130, 9), {0xFF, 9}},
        {"131 repeats: full run and a literal", Repeat(131, 9), {0xFF, 9, 0x00, 9}},
        {"132 repeats: full run and two literals", Repeat(132, 9), {0xFF, 9, 0x01, 9, 9}},
        {"133 repeats: full run and a run of 3", Repeat(133, 9), {0xFF, 9, 0x80, 9}},
        {"128 literals", Counting(128), Cat({{0x7F}, Counting(128)})},
        {"129 literals split", Counting(129), Cat({{0x7F}, Counting(128), {0x00, 128}})},
        {"run at the very end", Cat({{1, 2}, Repeat(4, 6)}), {0x01, 1, 2, 0x81, 6}},
    };
    for (const auto& c : cases) EXPECT_EQ(Pack(c.plane), c.packed) << c.name;
}

struct DecodeCase {
    const char* name;
    size_t pixels;
    Bytes packed;
    OSErr err;
    size_t consumed;  // when err is noErr
};

TEST(IcnsRle, DecodesOrRefusesExactly) {
    // Three constant planes for a 16 x 16 member.
    const Bytes good = {0xFF, 1, 0xFB, 1, 0xFF, 2, 0xFB, 2, 0xFF, 3, 0xFB, 3};
    const DecodeCase cases[] = {
        {"complete", 256, good, noErr, 12},
        {"trailing bytes ignored", 256, Cat({good, {0, 0, 0, 0}}), noErr, 12},
        {"run overruns the plane", 256, {0xFF, 1, 0xFF, 1}, paramErr, 0},
        {"run of 3 one past a plane of 2", 2, {0x80, 1, 0x01, 2, 2, 0x01, 3, 3}, paramErr, 0},
        {"literal of 3 one past a plane of 2", 2, {0x02, 1, 1, 1, 0x01, 2, 2, 0x01, 3, 3}, paramErr, 0},
        {"literal overruns the plane", 256, Cat({{0xFF, 0, 0xF8, 0, 0x03}, Repeat(4, 7)}), paramErr, 0},
        {"data ends between planes", 256, {0xFF, 1, 0xFB, 1}, paramErr, 0},
        {"data ends inside a literal", 256, {0x05, 1, 2}, paramErr, 0},
        {"data ends before a run's value", 256, {0xFF}, paramErr, 0},
        {"nothing at all", 1, {}, paramErr, 0},
        {"no pixels need no data", 0, {}, noErr, 0},
        {"run exactly fills a tiny plane", 3, {0x80, 4, 0x80, 5, 0x80, 6}, noErr, 6},
    };
    for (const auto& c : cases) {
        Bytes px(c.pixels * 4, 0x55);
        size_t used = 99;
        const char* reason = nullptr;
        EXPECT_EQ(IcnsRleDecompress(c.packed, px, &used, &reason), c.err) << c.name;
        if (c.err == noErr) {
            EXPECT_EQ(used, c.consumed) << c.name;
        } else {
            EXPECT_NE(reason, nullptr) << c.name;
        }
    }
}

TEST(IcnsRle, RoundTripsRandomMembersOfEverySize) {
    std::mt19937 rng(1234);
    for (size_t edge : {16u, 32u, 48u, 128u}) {
        for (int pattern = 0; pattern < 4; ++pattern) {
            const size_t n = edge * edge;
            Bytes px(n * 4);
            for (size_t i = 0; i < n; ++i) {
                for (int c = 1; c <= 3; ++c) {
                    UInt8 v;
                    switch (pattern) {
                        case 0: v = UInt8(rng()); break;                          // noise
                        case 1: v = UInt8((i / (1 + rng() % 7)) * 37 + c); break;  // short runs
                        case 2: v = (rng() % 10) ? px[(i ? i - 1 : 0) * 4 + size_t(c)] : UInt8(rng()); break;
                        default: v = UInt8(i % edge < edge / 2 ? c : 0xFF); break;  // half rows
                    }
                    px[i * 4 + size_t(c)] = v;
                }
            }
            const Bytes packed = IcnsRleCompress(px);
            // Never worse than one header per 128 literals.
            EXPECT_LE(packed.size(), 3 * (n + (n + 127) / 128)) << edge << "/" << pattern;
            Bytes back(px.size());
            size_t used = 0;
            ASSERT_EQ(IcnsRleDecompress(packed, back, &used), noErr) << edge << "/" << pattern;
            EXPECT_EQ(used, packed.size());
            EXPECT_EQ(back, px) << edge << "/" << pattern;
        }
    }
}

}  // namespace
