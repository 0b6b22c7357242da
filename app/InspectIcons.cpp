#include "app/Inspect.h"

InspectVerdict InspectIconFamilyFile(const InspectRequest&, std::string&, std::string&) {
    return InspectVerdict::notMine;
}
