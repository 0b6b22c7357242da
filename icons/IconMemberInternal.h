// Helpers shared by the conversions and the member commands of the family
// window: member data in and out of the record, the undo slot, redrawing a
// member.
#pragma once

#include "icons/FamilyWindow.h"
#include "platform/core/Memory.h"

// Messages of the icon-family alert list.
enum : SInt16 { kFamilyPasteMemoryMessage = 3, kFamilyConvertMessage = 4 };

// The member's data held by the record (not a copy), or none.
Handle MemberData(const KorvelIcon& icon, SInt16 kind);
// A new copy of the handle's bytes, or none when memory runs out.
Handle CopyOfHandle(Handle h);
// The record takes `data` (none removes the member) and the handle it held
// is freed. On an error the record and `data` are left as they were.
[[nodiscard]] OSErr ReplaceMember(KorvelIcon* icon, SInt16 kind, Handle data);
// The undo slot takes `data`; what it held is freed.
void SetUndoData(FamilyWinRec* family, Handle data);
// Invalidates the member's rectangle enlarged by 2 (nothing for kind -1).
void InvalMember(WindowRef familyWindow, SInt16 kind);
// The preview window shows the front window's icon: it is drawn again.
void InvalPreview();
