// Describes Windows icon files: one line (or JSON object) per directory
// entry with its size, bit count and whether it is a PNG image. A directory
// that points outside the file, or into itself, is reported as broken.
#include "app/Inspect.h"

#include "app/Json.h"
#include "icons/WinIcon.h"

#include <vector>

InspectVerdict InspectWinIconFile(const InspectRequest& req, std::string& out, std::string& reason) {
    const auto& b = req.bytes;
    if (b.size() < 6 || b[0] != 0 || b[1] != 0 || b[2] != 1 || b[3] != 0) return InspectVerdict::notMine;
    std::vector<WinIconEntry> entries;
    std::string why;
    if (ParseWinIconDirectory(b, &entries, &why) != noErr || !why.empty()) {
        reason = why;
        return InspectVerdict::broken;
    }
    for (const WinIconEntry& e : entries)
        if (e.image.empty()) {
            reason = "image " + std::to_string(e.index + 1) + ": " + e.problem;
            return InspectVerdict::broken;
        }

    if (req.json) {
        JsonWriter j;
        j.beginObject().key("kind").value("windows-icon").key("entries").beginArray();
        for (const WinIconEntry& e : entries)
            j.beginObject()
                .key("width").value(e.width)
                .key("height").value(e.height)
                .key("bitCount").value(int(e.bitCount))
                .key("png").value(e.isPng)
                .endObject();
        j.endArray().endObject();
        out = j.str() + "\n";
        return InspectVerdict::described;
    }
    out = "Windows icon: " + std::to_string(entries.size()) + (entries.size() == 1 ? " image\n" : " images\n");
    for (const WinIconEntry& e : entries) {
        out += std::to_string(e.width) + " × " + std::to_string(e.height) + ", " + std::to_string(e.bitCount) +
               "-bit" + (e.isPng ? ", PNG" : "");
        if (!e.problem.empty()) out += " (" + e.problem + ")";
        out += "\n";
    }
    return InspectVerdict::described;
}
