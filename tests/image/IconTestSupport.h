// Helpers for the icon model tests: members filled with a pattern that
// differs per kind, and records built from a list of kinds.
#pragma once

#include "app/Shell.h"
#include "image/KorvelIcon.h"
#include "platform/core/Memory.h"
#include "tests/platform/icons/IconTestBytes.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace icontest {

// Bytes of a member of `kind` at its exact size. 32-bit pixels keep a zero
// pad byte, which a family does not store.
inline Bytes MemberBytes(SInt16 kind, Size size = -1) {
    Bytes b(size_t(size < 0 ? IconKindDataSize(kind) : size));
    for (size_t i = 0; i < b.size(); ++i) b[i] = UInt8(i * 7 + size_t(kind) * 13 + i / 97);
    if (gIconDepth[size_t(kind)] == 32)
        for (size_t i = 0; i < b.size(); i += 4) b[i] = 0;
    return b;
}

// A record holding the given kinds (kinds 3 and 7 share their handle with
// 2 and 6: give one of each pair).
inline KorvelIcon MakeIcon(std::initializer_list<SInt16> kinds) {
    KorvelIcon icon;
    for (SInt16 kind : kinds) EXPECT_EQ(SetDataToKorvelIcon(NewHandleFromBytes(MemberBytes(kind)), &icon, kind), noErr);
    return icon;
}

inline Bytes MemberOf(const KorvelIcon& icon, SInt16 kind) {
    Handle h = nullptr;
    EXPECT_EQ(GetDataFromKorvelIcon(&h, icon, kind), noErr);
    return BytesOf(h);
}

// The platform's answers, as start-up sets them.
class IconModelTest : public ::testing::Test {
protected:
    void SetUp() override { InitGlobals(); }
};

}  // namespace icontest
