// `korvel inspect [--json] FILE`: describes a file headless. Each file kind
// has its own probe; the first probe that recognises the file describes it.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <string>

enum class InspectVerdict { notMine, described, broken };

struct InspectRequest {
    std::string path;               // the file named on the command line
    std::span<const UInt8> bytes;   // its data fork, whole
    bool json = false;
};

// Each probe returns notMine when the file is not of its kind; described with
// the text (or JSON object) in `out`; broken with a one-line reason when the
// file is of its kind but damaged.
InspectVerdict InspectIconFamilyFile(const InspectRequest& req, std::string& out, std::string& reason);
InspectVerdict InspectResourceFile(const InspectRequest& req, std::string& out, std::string& reason);
InspectVerdict InspectWinIconFile(const InspectRequest& req, std::string& out, std::string& reason);
InspectVerdict InspectPictureFile(const InspectRequest& req, std::string& out, std::string& reason);

int RunInspect(int argc, char** argv);
