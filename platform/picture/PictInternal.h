// Shared between the picture sources; not part of the picture interface.
#pragma once

#include "platform/core/MacTypes.h"

// Sets the result QDError() reports.
void SetPictError(OSErr err);
