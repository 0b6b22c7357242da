// Feature queries. This platform answers as a modern system does for what it
// provides, and fails the queries of services it does not have.
#pragma once

#include "platform/core/MacTypes.h"

enum : OSErr { gestaltUndefSelectorErr = -5551 };

[[nodiscard]] OSErr Gestalt(OSType selector, SInt32* response);
