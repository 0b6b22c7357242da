// Navigation dialogs: the platform's file dialogs in the toolbox's shape. A
// dialog takes its options, runs modally and fills a reply. Every dialog of
// this module runs through one path that takes a scripted answer first
// (ScriptNavDialog in Scripting.h), so tests answer all of them alike.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

#include <string>
#include <vector>

// One format of a save dialog's pop-up: its name, and the suffix (with its
// dot, or empty) that the proposed name takes when the format is chosen.
struct NavMenuItemSpec {
    std::string menuItemName;
    std::string suffix;
};

struct NavDialogOptions {
    Str255 message{};                  // the prompt, shown as the dialog's title; empty for the system's own
    Boolean applicationsOnly = false;  // only a program the system can run is accepted
    Boolean allowMultipleFiles = false;  // an open dialog may give several files at once
    SInt32 defaultDirID = 0;             // the folder shown first; 0: the dialog's own choice
    // Save dialogs: the name proposed, the format pop-up (empty for none) and
    // the format proposed, from 0.
    Str255 savedFileName{};
    std::vector<NavMenuItemSpec> popupExtension;
    SInt16 popupSelection = 0;
    // A check box beside the pop-up (no box when its title is empty), enabled
    // for the formats listed. While it is checked, "." and splitNumber stand
    // in the proposed name before the format's suffix.
    std::string splitTitle;
    std::vector<SInt16> splitFormats;
    Boolean splitChecked = false;
    std::string splitNumber;
};

struct NavReplyRecord {
    Boolean validRecord = false;  // set when the user chose an item
    FSSpec selection;             // the item chosen
    SInt16 format = 0;            // a save dialog's chosen format, from 0
    Boolean split = false;        // the check box was on, for a format it is enabled for
    std::vector<FSSpec> selectionList;  // every item chosen, in order (selection is the first)
};

// Asks for one existing file. noErr with reply->validRecord set when one was
// chosen; userCanceledErr when the user cancelled; paramErr when only
// applications were asked for and the file is not one, or for no reply.
[[nodiscard]] OSErr NavChooseFile(const NavDialogOptions* options, NavReplyRecord* reply);
// Asks for a place and a name to save under, and a format when the options
// offer some. The item need not exist. noErr with reply->validRecord set;
// userCanceledErr when the user cancelled; paramErr for no reply or a format
// outside the pop-up.
[[nodiscard]] OSErr NavPutFile(const NavDialogOptions* options, NavReplyRecord* reply);
