// Icon suites: one handle per member type, as the toolbox's icon utilities
// keep them. A suite owns the handles added to it once it is disposed of
// with its data (DisposeIconSuite(suite, true)); replacing a member hands the
// previous handle back to the caller, as the toolbox does, so that code
// which swaps members in and out frees each block exactly once.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <utility>

struct OpaqueIconSuite;
using IconSuiteRef = OpaqueIconSuite*;
using IconSelectorValue = UInt32;

// Selector bits (the 1-bit bits select image and mask together).
enum : IconSelectorValue {
    kSelectorLarge1Bit = 0x00000001,     // 'ICN#'
    kSelectorLarge4Bit = 0x00000002,     // 'icl4'
    kSelectorLarge8Bit = 0x00000004,     // 'icl8'
    kSelectorLarge32Bit = 0x00000008,    // 'il32'
    kSelectorLarge8BitMask = 0x00000010, // 'l8mk'
    kSelectorSmall1Bit = 0x00000100,     // 'ics#'
    kSelectorSmall4Bit = 0x00000200,     // 'ics4'
    kSelectorSmall8Bit = 0x00000400,     // 'ics8'
    kSelectorSmall32Bit = 0x00000800,    // 'is32'
    kSelectorSmall8BitMask = 0x00001000, // 's8mk'
    kSelectorMini1Bit = 0x00010000,      // 'icm#'
    kSelectorMini4Bit = 0x00020000,      // 'icm4'
    kSelectorMini8Bit = 0x00040000,      // 'icm8'
    kSelectorHuge1Bit = 0x01000000,      // 'ich#'
    kSelectorHuge4Bit = 0x02000000,      // 'ich4'
    kSelectorHuge8Bit = 0x04000000,      // 'ich8'
    kSelectorHuge32Bit = 0x08000000,     // 'ih32'
    kSelectorHuge8BitMask = 0x10000000,  // 'h8mk'
    kSelectorAllLargeData = 0x000000FF,
    kSelectorAllSmallData = 0x0000FF00,
    kSelectorAllMiniData = 0x00FF0000,
    kSelectorAllHugeData = 0xFF000000,
    kSelectorAllAvailableData = 0xFFFFFFFF,
};

// The member type of a selector bit number (0-31), or 0 for a bit without
// one.
OSType IconTypeForSelectorBit(int bit);
// The selector bit (a mask) of a member type, or 0 for a type without one
// ('it32', 't8mk', 'ic08', ...).
IconSelectorValue SelectorBitForIconType(OSType type);

// Called once per type of the selector, in ascending bit order (large
// members, then small, mini and huge; within each 1-, 4-, 8-, 32-bit and
// the 8-bit mask). `theIcon` points at the suite's slot for the type: it
// holds nullptr when the suite has no such member, and the action may store
// a handle there (the suite then owns it; a handle it replaces becomes the
// action's to free). A nonzero result ends the walk and is returned by
// ForEachIconDo.
using IconActionProcPtr = OSErr (*)(ResType theType, Handle* theIcon, void* yourDataPtr);

[[nodiscard]] OSErr NewIconSuite(IconSuiteRef* theIconSuite);
// Stores `theIconData` as the member of `theType` (nullptr removes the
// member). The handle it replaces is not disposed of: it goes back to the
// caller. paramErr for a null suite.
[[nodiscard]] OSErr AddIconToSuite(Handle theIconData, IconSuiteRef theSuite, ResType theType);
// The suite's own handle for the type (not a copy). A suite without that
// member is not an error: `*theIconData` becomes nullptr and the result is
// noErr, so that callers can ask "is it there?" without an error path.
// paramErr for a null suite or output pointer.
[[nodiscard]] OSErr GetIconFromSuite(Handle* theIconData, IconSuiteRef theSuite, ResType theType);
[[nodiscard]] OSErr ForEachIconDo(IconSuiteRef theSuite, IconSelectorValue selector, IconActionProcPtr action,
                                  void* yourDataPtr);
// Frees the suite; with `disposeData` also every member handle it holds
// that is not a resource (a resource's handle stays with its file, as
// Get1IconSuite leaves members there until they are detached).
[[nodiscard]] OSErr DisposeIconSuite(IconSuiteRef theIconSuite, Boolean disposeData);

// The number of members held (non-null handles); for tests and checks.
int CountIconSuiteMembers(IconSuiteRef theSuite);

// Owner that disposes of the suite and its data.
class UniqueIconSuite {
public:
    UniqueIconSuite() = default;
    explicit UniqueIconSuite(IconSuiteRef s) : s_(s) {}
    UniqueIconSuite(const UniqueIconSuite&) = delete;
    UniqueIconSuite& operator=(const UniqueIconSuite&) = delete;
    UniqueIconSuite(UniqueIconSuite&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
    UniqueIconSuite& operator=(UniqueIconSuite&& o) noexcept {
        if (this != &o) reset(std::exchange(o.s_, nullptr));
        return *this;
    }
    ~UniqueIconSuite() { reset(); }
    IconSuiteRef get() const { return s_; }
    IconSuiteRef* out() {
        reset();
        return &s_;
    }
    IconSuiteRef release() { return std::exchange(s_, nullptr); }
    void reset(IconSuiteRef s = nullptr) {
        if (s_ && s_ != s) (void)DisposeIconSuite(s_, true);
        s_ = s;
    }
    explicit operator bool() const { return s_ != nullptr; }

private:
    IconSuiteRef s_ = nullptr;
};
