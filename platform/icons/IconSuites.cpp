#include "platform/icons/IconSuites.h"

#include "platform/core/Memory.h"
#include "platform/resources/Resources.h"

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr std::array<OSType, 32> kTypeOfBit = {
    FourCC("ICN#"), FourCC("icl4"), FourCC("icl8"), FourCC("il32"), FourCC("l8mk"), 0, 0, 0,
    FourCC("ics#"), FourCC("ics4"), FourCC("ics8"), FourCC("is32"), FourCC("s8mk"), 0, 0, 0,
    FourCC("icm#"), FourCC("icm4"), FourCC("icm8"), 0,              0,              0, 0, 0,
    FourCC("ich#"), FourCC("ich4"), FourCC("ich8"), FourCC("ih32"), FourCC("h8mk"), 0, 0, 0,
};

}  // namespace

// Members in the order they were first added; a type appears at most once.
// A removed member keeps its slot with a null handle.
struct OpaqueIconSuite {
    struct Member {
        ResType type;
        Handle data;
    };
    std::vector<Member> members;

    Handle* slot(ResType type, bool create) {
        for (auto& m : members)
            if (m.type == type) return &m.data;
        if (!create) return nullptr;
        members.push_back({type, nullptr});
        return &members.back().data;
    }
};

OSType IconTypeForSelectorBit(int bit) {
    if (bit < 0 || bit >= 32) return 0;
    return kTypeOfBit[size_t(bit)];
}

IconSelectorValue SelectorBitForIconType(OSType type) {
    if (type == 0) return 0;
    for (size_t bit = 0; bit < kTypeOfBit.size(); ++bit)
        if (kTypeOfBit[bit] == type) return IconSelectorValue(1) << bit;
    return 0;
}

OSErr NewIconSuite(IconSuiteRef* theIconSuite) {
    if (!theIconSuite) return paramErr;
    *theIconSuite = nullptr;
    auto suite = std::make_unique<OpaqueIconSuite>();
    suite->members.reserve(kTypeOfBit.size());
    *theIconSuite = suite.release();
    return noErr;
}

OSErr AddIconToSuite(Handle theIconData, IconSuiteRef theSuite, ResType theType) {
    if (!theSuite) return paramErr;
    Handle* slot = theSuite->slot(theType, theIconData != nullptr);
    if (slot) *slot = theIconData;
    return noErr;
}

OSErr GetIconFromSuite(Handle* theIconData, IconSuiteRef theSuite, ResType theType) {
    if (!theIconData) return paramErr;
    *theIconData = nullptr;
    if (!theSuite) return paramErr;
    if (Handle* slot = theSuite->slot(theType, false)) *theIconData = *slot;
    return noErr;
}

OSErr ForEachIconDo(IconSuiteRef theSuite, IconSelectorValue selector, IconActionProcPtr action,
                    void* yourDataPtr) {
    if (!theSuite || !action) return paramErr;
    for (int bit = 0; bit < 32; ++bit) {
        const OSType type = kTypeOfBit[size_t(bit)];
        if (type == 0 || !(selector & (IconSelectorValue(1) << bit))) continue;
        // The action works on a copy of the slot, so that members it adds
        // meanwhile cannot move the storage under it; what it stores there
        // becomes the member.
        Handle* slot = theSuite->slot(type, false);
        const Handle before = slot ? *slot : nullptr;
        Handle member = before;
        const OSErr err = action(type, &member, yourDataPtr);
        if (member != before) (void)AddIconToSuite(member, theSuite, type);
        if (err != noErr) return err;
    }
    return noErr;
}

OSErr DisposeIconSuite(IconSuiteRef theIconSuite, Boolean disposeData) {
    if (!theIconSuite) return paramErr;
    std::unique_ptr<OpaqueIconSuite> suite(theIconSuite);
    if (disposeData) {
        // A handle stored under two types is freed once.
        for (size_t i = 0; i < suite->members.size(); ++i) {
            Handle h = suite->members[i].data;
            if (!h) continue;
            for (size_t j = i + 1; j < suite->members.size(); ++j)
                if (suite->members[j].data == h) suite->members[j].data = nullptr;
            if (!IsResourceHandle(h)) DisposeHandle(h);
        }
    }
    return noErr;
}

int CountIconSuiteMembers(IconSuiteRef theSuite) {
    if (!theSuite) return 0;
    int n = 0;
    for (const auto& m : theSuite->members) n += m.data != nullptr;
    return n;
}
