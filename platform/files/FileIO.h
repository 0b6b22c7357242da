// Whole-file reads and atomic writes on the host file system, and the
// mapping of host errors to toolbox result codes. Everything that saves goes
// through WriteFileAtomically, so a failed save leaves the previous file.
#pragma once

#include "platform/core/MacTypes.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The largest file this layer reads whole into memory. Forks and pictures
// are far smaller; a larger file is refused rather than allocated.
inline constexpr size_t kMaxWholeFileBytes = size_t(256) << 20;

[[nodiscard]] OSErr OSErrFromErrno(int err);

// Reads a whole file. fnfErr when missing, notAFileErr for a folder,
// memFullErr when it is larger than maxBytes.
[[nodiscard]] OSErr ReadWholeFile(const std::string& path, std::vector<UInt8>* bytes,
                    size_t maxBytes = kMaxWholeFileBytes);
// Reads at most `count` bytes from the start of a file (fewer when shorter).
[[nodiscard]] OSErr ReadFileHead(const std::string& path, size_t count, std::vector<UInt8>* bytes);

// Writes the bytes to a temporary file beside `path`, flushes it and renames
// it over `path`. The previous file stays untouched when anything fails. An
// existing file keeps its permission bits.
[[nodiscard]] OSErr WriteFileAtomically(const std::string& path, std::span<const UInt8> bytes);

// For tests: called with the temporary file's path after it is written and
// before the rename; returning false makes the write fail there.
using AtomicWriteHook = std::function<bool(const std::string& tempPath)>;
void SetAtomicWriteHookForTesting(AtomicWriteHook hook);

bool PathExists(const std::string& path);
bool PathIsFolder(const std::string& path);
bool PathIsFile(const std::string& path);

// True for "._name": a companion, which folder listings leave out.
bool IsCompanionName(std::string_view name);
// "dir/._name" for "dir/name": where the AppleDouble companion lives.
std::string CompanionPath(const std::string& path);
