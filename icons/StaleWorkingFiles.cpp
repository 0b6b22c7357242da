// Working files that a killed copy of the program left in the temporary
// folder. Each icon-list window edits a working file named "<prefix><pid>-<n>"
// (MakeWorkingFile) and deletes it when it closes; a copy that was killed
// never does. At start-up the working files of processes that no longer run
// are removed, with their AppleDouble companions ("._" before the name).
// Nothing else is touched: not the files of running copies, not a name that
// only looks similar.
#include "icons/IconList.h"

#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"

#include <cerrno>
#include <csignal>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr SInt16 kTempFileStrings = 144;  // item 1: the prefix of temporary files
constexpr size_t kMaxEntries = 10000;     // a look through a crowded folder stops there
constexpr std::string_view kCompanionPrefix = "._";

// Takes a run of decimal digits from the front of `text`, at most nine (so it
// fits any pid_t); false when there is none or it runs longer.
bool TakeNumber(std::string_view* text, long* value) {
    size_t n = 0;
    long v = 0;
    while (n < text->size() && (*text)[n] >= '0' && (*text)[n] <= '9') {
        if (n == 9) return false;
        v = v * 10 + ((*text)[n] - '0');
        ++n;
    }
    if (n == 0) return false;
    text->remove_prefix(n);
    *value = v;
    return true;
}

// The process ID in a working file's name, or 0 when the name is not one.
// The counter after the dash may have wrapped round to a negative number.
long WorkingFileProcess(std::string_view name, std::string_view prefix) {
    if (prefix.empty() || !name.starts_with(prefix)) return 0;
    name.remove_prefix(prefix.size());
    long pid = 0, counter = 0;
    if (!TakeNumber(&name, &pid) || pid <= 0 || !name.starts_with('-')) return 0;
    name.remove_prefix(1);
    if (name.starts_with('-')) name.remove_prefix(1);
    if (!TakeNumber(&name, &counter) || !name.empty()) return 0;
    return pid;
}

// Only a process that is certainly gone counts: one of another user answers
// EPERM and is kept.
bool ProcessIsGone(long pid) { return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }

}  // namespace

void RemoveStaleWorkingFiles() {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    if (FindFolder(kOnSystemDisk, kTemporaryFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr) return;
    std::vector<std::string> names;
    if (GetFolderEntryNames(vRefNum, dirID, kMaxEntries, &names) != noErr) return;
    Str255 prefixText;
    GetIndString(prefixText, kTempFileStrings, 1);
    const std::string prefix = PStringToStd(prefixText);
    for (const std::string& entry : names) {
        std::string_view name = entry;
        if (name.starts_with(kCompanionPrefix)) name.remove_prefix(kCompanionPrefix.size());
        const long pid = WorkingFileProcess(name, prefix);
        if (pid == 0 || !ProcessIsGone(pid)) continue;
        // Deleting the file takes its companion along; a companion left on
        // its own (the program was killed between the two) goes by its own
        // name. A file that cannot be deleted now is tried at the next start:
        // nothing the user asked for has failed.
        FSSpec fileSpec{vRefNum, dirID, {0}};
        CopyCStringToPascal(entry, fileSpec.name);
        (void)FSpDelete(&fileSpec);
    }
}
