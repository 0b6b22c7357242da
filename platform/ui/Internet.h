// Handing an address to the user's web browser.
#pragma once

#include "platform/core/MacTypes.h"

#include <string>

// noErr when the desktop took the address; paramErr when it refused it.
[[nodiscard]] OSErr LaunchURL(const std::string& url);
