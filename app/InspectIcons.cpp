// Describes icon-family files: one entry per element, and for the packed
// 32-bit members whether they are packed. Packed members are unpacked on the
// way, so a family that would fail to load is reported as broken.
#include "app/Inspect.h"

#include "app/Json.h"
#include "platform/icons/IconFamily.h"

#include <vector>

InspectVerdict InspectIconFamilyFile(const InspectRequest& req, std::string& out, std::string& reason) {
    if (req.bytes.size() < 4 || req.bytes[0] != 'i' || req.bytes[1] != 'c' || req.bytes[2] != 'n' ||
        req.bytes[3] != 's')
        return InspectVerdict::notMine;

    std::vector<IconFamilyElement> elements;
    size_t length = 0;
    if (ParseIconFamily(req.bytes, &elements, &reason, &length) != noErr) return InspectVerdict::broken;

    struct Row {
        OSType type;
        UInt32 length;
        bool packable;
        bool packed;
    };
    std::vector<Row> rows;
    std::vector<UInt8> member;
    for (const auto& e : elements) {
        Row row{e.type, e.length, PackedIconEdge(e.type) != 0, false};
        const char* why = nullptr;
        if (row.packable && UnpackIconData(e.type, e.data(req.bytes), &member, &row.packed, &why) != noErr) {
            reason = "element '" + FourCCText(e.type) + "' at offset " + std::to_string(e.offset) + ": " +
                     (why ? why : "its data cannot be unpacked");
            return InspectVerdict::broken;
        }
        rows.push_back(row);
    }

    if (req.json) {
        JsonWriter j;
        j.beginObject().key("kind").value("icon-family").key("length").value(std::int64_t(length));
        j.key("elements").beginArray();
        for (const Row& row : rows) {
            j.beginObject().key("type").value(FourCCText(row.type)).key("length").value(std::int64_t(row.length));
            if (row.packable) j.key("compressed").value(row.packed);
            j.endObject();
        }
        j.endArray().endObject();
        out = j.str() + "\n";
    } else {
        out = "icon family: " + std::to_string(length) + " bytes, " + std::to_string(rows.size()) +
              (rows.size() == 1 ? " element\n" : " elements\n");
        for (const Row& row : rows) {
            out += FourCCText(row.type) + " " + std::to_string(row.length);
            if (row.packable) out += row.packed ? " compressed" : " uncompressed";
            out += "\n";
        }
    }
    return InspectVerdict::described;
}
