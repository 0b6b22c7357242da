// Navigation dialogs: the platform's file dialogs in the toolbox's shape. A
// dialog takes its options, runs modally and fills a reply. Every dialog of
// this module runs through one path that takes a scripted answer first
// (ScriptNavDialog in Scripting.h), so tests answer all of them alike.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

struct NavDialogOptions {
    Str255 message{};                  // the prompt, shown as the dialog's title; empty for the system's own
    Boolean applicationsOnly = false;  // only a program the system can run is accepted
};

struct NavReplyRecord {
    Boolean validRecord = false;  // set when the user chose an item
    FSSpec selection;             // the item chosen
};

// Asks for one existing file. noErr with reply->validRecord set when one was
// chosen; userCanceledErr when the user cancelled; paramErr when only
// applications were asked for and the file is not one, or for no reply.
[[nodiscard]] OSErr NavChooseFile(const NavDialogOptions* options, NavReplyRecord* reply);
