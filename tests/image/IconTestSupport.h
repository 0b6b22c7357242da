// The icon model tests' helpers: members filled with a pattern that differs
// per kind, and records built from a list of kinds.
#pragma once

#include "app/Shell.h"
#include "image/KorvelIcon.h"
#include "tests/platform/icons/IconTestBytes.h"

#include <gtest/gtest.h>

namespace icontest {

// A member of `kind` at its exact size; 32-bit pixels keep the zero pad
// byte that a family does not store.
inline Bytes MemberBytes(SInt16 kind, Size size = -1) {
    Bytes b(size_t(size < 0 ? IconKindDataSize(kind) : size));
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = gIconDepth[size_t(kind)] == 32 && i % 4 == 0 ? 0 : UInt8(i * 7 + size_t(kind) * 13 + i / 97);
    return b;
}

// Kinds 3 and 7 share the handle of 2 and 6: give one of each pair.
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

// With the flags start-up sets on this platform.
class IconModelTest : public ::testing::Test {
protected:
    void SetUp() override { InitGlobals(); }
};

}  // namespace icontest
