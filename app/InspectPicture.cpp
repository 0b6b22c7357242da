#include "app/Inspect.h"

InspectVerdict InspectPictureFile(const InspectRequest&, std::string&, std::string&) {
    return InspectVerdict::notMine;
}
