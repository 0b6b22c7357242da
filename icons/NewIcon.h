// A new icon: the new-icon dialog (template, members, resource ID and name,
// with a live preview of the template), the icons the templates give, the
// icon export dialog, and the Icon menu's new icon family.
#pragma once

#include "image/IconResources.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/NavDialogs.h"

#include <array>

// Templates: 0 blank (the application's icon 2000), 1 none (the menu's
// separator), 2 generic document, 3 generic application, 4 generic folder.
enum : SInt16 { kBlankTemplate = 0, kDocumentTemplate = 2, kApplicationTemplate = 3, kFolderTemplate = 4,
                kTemplateCount = 5 };
extern const std::array<OSType, kTemplateCount> gTemplateIconType;
extern const std::array<ResID, kTemplateCount> gTemplateIconResource;
// The chosen template, kept between uses of the dialog (as gSelector is).
extern SInt16 gSelectedTemplate;

inline constexpr SInt16 kNewIconDialogID = 143;
enum : DialogItemIndex {
    kNewIconPreviewItem = 3, kNewIconIDItem = 4, kNewIconNameItem = 5,
    kFirstMemberItem = 6, kLastMemberItem = 15, kIt32Item = 16, kT8mkItem = 17,
    kFirstPresetItem = 18, kLastPresetItem = 25, kTemplateItem = 26,
};

// Whether an icon list already holds an icon of that ID.
using IconIDInUseProc = Boolean (*)(WindowRef iconList, ResID id);

// Asks for a template and members and, unless info->resID is the custom
// icon's -16455, for a resource ID and name. noErr on OK with info's ID (when
// it was editable) and name, the member choice and the template;
// userCanceledErr on Cancel. An ID that is not a number from -32768 to 32767,
// is -16455, or is one `idInUse` reports for `iconList` is refused with a
// beep and selected for retyping.
[[nodiscard]] OSErr NewIconDialog(IconResInfo* info, IconMemberSelector* selector, SInt16* templateIndex,
                                  WindowRef iconList, IconIDInUseProc idInUse = nullptr);
// Sets the member check boxes from gSelector and invalidates the preview.
void AddNewIconReset(DialogRef dialog);
// Draws the preview of the chosen template on the dialog's update events.
Boolean NewIconUpdateFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit);
// A click on member check box `item` (6 to 17) under the dialog's rules: a
// colour or 32-bit member brings its size's 1-bit member along; a 1-bit
// member takes its size's other members with it when it goes; and at least
// one of 'ICN#', 'ics#' and the thumbnail pair stays. True when the choice
// changed.
Boolean ToggleNewIconMember(IconMemberSelector* selector, DialogItemIndex item);
// The member choice of preset button `item` (18 to 25).
IconMemberSelector NewIconPreset(DialogItemIndex item);

// The icon of a template with exactly the chosen members: the caller owns
// it. paramErr for an index that is no template.
[[nodiscard]] OSErr GetKorvelIconFromTemplate(KorvelIcon* icon, IconMemberSelector selector, SInt16 templateIndex);

// The formats an icon is exported in, in the export dialog's order: a file
// or folder carrying it as its custom icon, a Windows icon file, an
// icon-family file.
extern const std::array<OSType, 3> lIconTypeList;
// Asks where to export an icon and in which format, proposing `name` with
// the suffix of the format `proposedType` (the first when it is none of
// them). noErr with the place and the format's type; userCanceledErr on
// Cancel. Nothing is deleted here: the writers replace a file only once the
// new one is complete.
[[nodiscard]] OSErr SaveAsIconDialog(ConstStr255Param name, FSSpec* file, OSType* type, NavReplyRecord* reply,
                                     OSType proposedType = 0, SInt32 defaultDirID = 0);

// Icon menu, New Icon: asks with the new-icon dialog, builds the icon and
// opens an untitled icon-family window for it. Beeps when the template
// cannot be built.
void NewIconFamilyWindow();
