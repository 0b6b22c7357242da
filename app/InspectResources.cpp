#include "app/Inspect.h"

InspectVerdict InspectResourceFile(const InspectRequest&, std::string&, std::string&) {
    return InspectVerdict::notMine;
}
