// Dot libraries: named collections of dot-mode commands, each a resource
// file (type 'iPat') in the dot library folder of the program's data folder
// holding one 'STR#' 128 of commands.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

#include <span>
#include <string>
#include <vector>

extern SInt16 gDotLibRefNum;  // −1 when no library is open
extern SInt16 gDotLibVRefNum;
extern SInt32 gDotLibFolderID;
extern Boolean isDotLibAvailable;

// Library files are small; anything larger is not a library.
inline constexpr Size kMaxDotLibBytes = Size(1) << 20;
inline constexpr int kMaxDotLibCommands = 4096;
enum : SInt16 { kDotLibNameTooLong = 1, kDotLibExists = 2, kDotLibCannotMake = 3, kDotLibDamaged = 4 };

// The commands of a 'STR#' 128: a big-endian count, then that many
// length-prefixed commands. paramErr for anything truncated, too long, or
// holding a command outside the dot alphabet.
[[nodiscard]] OSErr ParseDotLibCommands(std::span<const UInt8> bytes, std::vector<std::string>* commands);
std::vector<UInt8> EncodeDotLibCommands(const std::vector<std::string>& commands);

void DotLibInit();
void CloseDotLib();
// Opens a library file as the current one; a damaged file is refused with
// a message and the open library kept.
[[nodiscard]] OSErr SetDotLibMain(const FSSpec& file);
// Makes a new empty library in the library folder and opens it.
[[nodiscard]] OSErr AddNewDotLibMain(ConstStr255Param name);
[[nodiscard]] OSErr GetDotLibFolderSpec(ConstStr255Param name, FSSpec* fileSpec);
// Whether a file lies directly in the dot library folder.
Boolean IsInDotLibFolder(const FSSpec& file);

SInt16 CountCmdNum();  // −1 without an open, readable library
[[nodiscard]] OSErr GetDotLibCommands(std::vector<std::string>* commands);
// Rewrites the open library's commands; on failure the file and the open
// library keep their old commands.
[[nodiscard]] OSErr SetDotLibCommands(const std::vector<std::string>& commands);
void AddCmdToLib();
void DoDeleteDotCommand(SInt16 index);  // 1-based

// The library editor: OK rewrites the library from its list, Cancel leaves
// the file as it was.
void DoEditLibrary();
// The command editor on a text (empty for a new command); true with the
// accepted text, which is valid and in none of `others`.
Boolean DoEditDotCommand(Str255 command, const std::vector<std::string>& others);
