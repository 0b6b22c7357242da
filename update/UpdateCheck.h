// The update check: on the user's request, download the catalogue of the
// newest version and compare it with this program's version.
//
// The catalogue is plain text: the newest version, a short line shown beside
// it, the address of the download page, then the notes. Lines end with a
// carriage return, a line feed or both.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct KorvelCatalog {
    Str31 version{};
    Str31 info{};
    Str255 url{};
    std::string notes;
};

// The catalogue address: the preference ('STR ' 5001 in the preferences
// file) when set, else the one the program was built with; empty for none.
std::string UpdateCatalogAddress();
Boolean HasUpdateCheck();
// Adds the item (string list 5001 item 1) to the application menu when
// there is an address; its item number, or 0 when it is absent.
MenuItemIndex InstallUpdateCheckItem();
MenuItemIndex UpdateCheckItem();

void KorvelUpdateCheck();
[[nodiscard]] OSErr KorvelDownloadCatalog(const std::string& address, std::vector<UInt8>* text);
// False when the text is not a catalogue: a version that does not start
// with a digit, a download address that is not http or https, or bytes that
// are not text.
bool KorvelGetCatalogInfo(std::span<const UInt8> text, KorvelCatalog* record);
UInt32 KorvelVersionStrToNum(ConstStr255Param version);
UInt32 KorvelOwnVersion();  // of 'vers' 1
// The notes dialog (dialog 1001): noErr when the user chooses to download.
OSErr KorvelDisplayInfo(const KorvelCatalog& record);
void MyUpdateTEScrollHandler(ControlRef bar, ControlPartCode part);

// One line of the notes as shown: bytes of the notes' text.
struct NoteLine {
    size_t start = 0, length = 0;
    bool operator==(const NoteLine&) const = default;
};
// The notes broken into lines no wider than `width` in the current port's
// font: at line ends (CR, LF or both), else after the last space that fits,
// else, for a word wider than the box, between two characters.
std::vector<NoteLine> WrapNotes(std::string_view text, SInt16 width);
