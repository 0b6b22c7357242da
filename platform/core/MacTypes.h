// Basic toolbox types: integers, result codes, four-character codes, points,
// rectangles, colours and length-prefixed strings. Everything above the
// platform layer speaks in these types.
#pragma once

#include <cstddef>
#include <cstdint>

using UInt8 = std::uint8_t;
using SInt8 = std::int8_t;
using UInt16 = std::uint16_t;
using SInt16 = std::int16_t;
using UInt32 = std::uint32_t;
using SInt32 = std::int32_t;
using UInt64 = std::uint64_t;
using SInt64 = std::int64_t;
using Boolean = bool;
using Byte = std::uint8_t;
using Ptr = char*;
using Handle = char**;
using Size = std::int64_t;
using Fixed = std::int32_t;  // 16.16 fixed point
using OSErr = std::int16_t;
using OSStatus = std::int32_t;
using OSType = std::uint32_t;
using ResType = OSType;
using ResID = std::int16_t;

// Four-character codes are written in quotes in the toolbox ('PICT'); here
// they are built from a 4-character string literal at compile time.
constexpr OSType FourCC(const char (&s)[5]) {
    return (OSType(UInt8(s[0])) << 24) | (OSType(UInt8(s[1])) << 16) |
           (OSType(UInt8(s[2])) << 8) | OSType(UInt8(s[3]));
}

constexpr Fixed IntToFixed(int v) { return Fixed(std::uint32_t(v) << 16); }
constexpr int FixedToInt(Fixed f) { return f >> 16; }

// Result codes used across the platform layer.
enum : OSErr {
    noErr = 0,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    memWZErr = -111,
    fnfErr = -43,
    eofErr = -39,
    dupFNErr = -48,
    dirNFErr = -120,
    ioErr = -36,
    fnOpnErr = -38,
    tmfoErr = -42,  // too many files open
    rfNumErr = -51,  // not an open file's reference number
    posErr = -40,
    wPrErr = -44,
    fLckdErr = -45,
    vLckdErr = -46,
    fBsyErr = -47,
    opWrErr = -49,
    bdNamErr = -37,
    dskFulErr = -34,
    permErr = -54,
    wrPermErr = -61,
    notAFileErr = -1302,
    resNotFound = -192,
    resFNotFound = -193,
    addResFailed = -194,
    rmvResFailed = -196,
    resAttrErr = -198,
    mapReadErr = -199,
    badExtResource = -185,
    noMemForPictPlaybackErr = -145,
    rgnOverflowErr = -147,
    pixMapTooDeepErr = -148,
    insufficientStackErr = -149,
    cMatchErr = -150,
    cTempMemErr = -151,
    cNoMemErr = -152,
    cRangeErr = -153,
    cProtectErr = -154,
    cDevErr = -155,
    cResErr = -156,
    badPictErr = -11000,  // not a picture this layer can read
    noMaskFoundErr = -1000,
    invalidIconRefErr = -2580,
    noSuchIconErr = -2581,
    noIconDataAvailableErr = -2582,
    errAEDescNotFound = -1701,
    errAEParamMissed = -1715,
    userCanceledErr = -128,
    noTypeErr = -102,  // the scrap holds nothing of the type asked for
};

struct Point {
    SInt16 v = 0;
    SInt16 h = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Bottom and right are exclusive.
struct Rect {
    SInt16 top = 0;
    SInt16 left = 0;
    SInt16 bottom = 0;
    SInt16 right = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct RGBColor {
    UInt16 red = 0;
    UInt16 green = 0;
    UInt16 blue = 0;
    friend bool operator==(const RGBColor&, const RGBColor&) = default;
};

// A length byte followed by up to 255 bytes.
using Str255 = unsigned char[256];
using Str63 = unsigned char[64];
using Str31 = unsigned char[32];
using StringPtr = unsigned char*;
using ConstStringPtr = const unsigned char*;
using ConstStr255Param = const unsigned char*;
