// Icons on the clipboard: every classic member as a flavour of its own type,
// and the whole icon as an 'icns' family.
#pragma once

#include "image/KorvelIcon.h"

// A ForEachIconDo action: puts the member's bytes as clipboard flavour
// `theType`; nothing for an empty member. `scrap` is unused.
OSErr CopyIconData(ResType theType, Handle* theIcon, void* scrap);
// Clears the clipboard and puts the classic members (selector 0x0707), then
// the whole family as 'icns'. The error of the family step or of the
// clipboard is returned.
[[nodiscard]] OSErr KorvelIconToClip(const KorvelIcon& icon);
// The same for a bare suite; the family holds the members of 0x1F1F.
[[nodiscard]] OSErr IconSuiteToClip(IconSuiteRef suite);
