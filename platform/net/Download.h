// Downloading a small document by its address (http, https or file) in one
// blocking call, bounded in time and size.
#pragma once

#include "platform/core/MacTypes.h"

#include <string>
#include <vector>

// The download took too long, was refused or the server could not be
// reached; the document was larger than allowed.
inline constexpr OSErr kDownloadUnreachableErr = -3270;
inline constexpr OSErr kDownloadTooLargeErr = -3271;

struct DownloadLimits {
    size_t maxBytes = 64 * 1024;
    long timeoutSeconds = 15;
};

// Fills *out with the document's bytes. A server's error status (404 and
// the like) counts as unreachable; nothing past maxBytes is kept.
[[nodiscard]] OSErr DownloadURL(const std::string& url, const DownloadLimits& limits, std::vector<UInt8>* out);
