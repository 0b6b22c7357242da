// `korvel convert IN OUT [options]`: converts a picture or an icon headless,
// through the program's own openers and writers. Pictures of every kind the
// program opens become PICT or PNG files (the format from OUT's suffix);
// icon families (.icns), Windows icons (.ico) and the icons of resource
// files (.rsrc) become one another; --member KIND takes one member of an
// icon to a PNG, or a PNG into that member of an icon file. Anything refused
// exits with 1 after one line saying why, and writes nothing; a mistake in
// the arguments prints the usage and exits with 2.
#pragma once

#include "platform/core/MacTypes.h"

#include <string>

int RunConvert(int argc, char** argv);

// The member kind (0 to 13) a name gives: the member's type ('icl8',
// 'il32', ...), the mask half of a 1-bit member as 'ICN#mask' or 'ics#mask';
// -1 for none.
SInt16 MemberKindFromName(const std::string& name);
