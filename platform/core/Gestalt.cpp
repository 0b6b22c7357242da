#include "platform/core/Gestalt.h"

#include <array>

namespace {

struct Answer {
    OSType selector;
    SInt32 value;
};

// 'menu' leaves bit 1 clear: there is no application menu holding Quit and
// Preferences on Linux, so they stay in the File menu. 'sysv' and 'cbon' name
// the level of service the layer provides (10.0 and the matching library),
// which is what the program's version checks ask about. 'help' and 'qtim'
// fail: there is no balloon help and no QuickTime.
constexpr std::array kAnswers{
    Answer{FourCC("drag"), 0x1},         Answer{FourCC("appr"), 0x1},
    Answer{FourCC("cmnu"), 0x3},         Answer{FourCC("tsmv"), 0x0150},
    Answer{FourCC("tmTE"), 0x1},         Answer{FourCC("sysv"), 0x1000},
    Answer{FourCC("cbon"), 0x0160},      Answer{FourCC("menu"), 0x0},
    Answer{FourCC("icon"), 0x1F},        Answer{FourCC("evnt"), 0x1},
};

}  // namespace

OSErr Gestalt(OSType selector, SInt32* response) {
    for (const Answer& a : kAnswers) {
        if (a.selector == selector) {
            if (response) *response = a.value;
            return noErr;
        }
    }
    if (response) *response = 0;
    return gestaltUndefSelectorErr;
}
