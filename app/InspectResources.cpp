// Describes resource forks: a flat resource file, an AppleDouble companion,
// an AppleSingle or MacBinary file, or any file whose "._name" companion
// holds a fork. Files that are none of these are left to the next probe.
#include "app/Inspect.h"

#include "app/Json.h"
#include "platform/core/ByteIO.h"
#include "platform/core/TextEncoding.h"
#include "platform/files/AppleDouble.h"
#include "platform/files/Forks.h"
#include "platform/files/MacBinary.h"
#include "platform/resources/ResourceFork.h"

#include <array>
#include <cstdio>
#include <optional>

namespace {

using FinderInfo = std::array<UInt8, kFinderInfoSize>;

struct Found {
    ForkSource forks = ForkSource::none;
    std::vector<UInt8> fork;  // empty: the container holds no resource fork
    std::optional<FinderInfo> finderInfo;
};

FinderInfo FromMacBinary(const MacBinaryFile& mb) {
    ByteWriter w;
    w.u32be(mb.fileType);
    w.u32be(mb.creator);
    w.u16be(mb.finderFlags);
    FinderInfo info{};
    std::copy(w.buffer().begin(), w.buffer().end(), info.begin());
    return info;
}

// What the file holds; notMine when it holds no fork and is no container.
InspectVerdict Find(const InspectRequest& req, Found* found, std::string& reason) {
    if (HasAppleDoubleMagic(req.bytes)) {
        AppleDoubleFile ad;
        const OSErr err = ParseAppleDouble(req.bytes, &ad);
        if (err == paramErr) return InspectVerdict::notMine;
        if (err) {
            reason = "the AppleDouble header is damaged";
            return InspectVerdict::broken;
        }
        found->forks = ad.magic == kAppleDoubleMagic ? ForkSource::appleDouble : ForkSource::appleSingle;
        if (const auto* e = ad.find(kEntryResourceFork)) found->fork = e->bytes;
        if (ad.find(kEntryFinderInfo)) found->finderInfo = FinderInfoBytes(ad);
        return InspectVerdict::described;
    }
    if (LooksLikeMacBinary(req.bytes)) {
        MacBinaryFile mb;
        const OSErr err = ParseMacBinary(req.bytes, &mb);
        if (err == noErr) {
            found->forks = ForkSource::macBinary;
            found->fork = std::move(mb.resourceFork);
            found->finderInfo = FromMacBinary(mb);
            return InspectVerdict::described;
        }
        if (err != paramErr) {
            reason = "the MacBinary file is cut short";
            return InspectVerdict::broken;
        }
    }
    // A companion beside the file, or the data fork itself.
    ForkContents c;
    if (ReadForkContents(req.path, true, &c) == noErr && c.forkSource == ForkSource::appleDouble) {
        found->forks = ForkSource::appleDouble;
        found->fork = std::move(c.resourceFork);
    } else if (LooksLikeResourceFork(req.bytes)) {
        found->forks = ForkSource::flat;
        found->fork.assign(req.bytes.begin(), req.bytes.end());
    } else {
        return InspectVerdict::notMine;
    }
    if (c.finderInfoSource != ForkSource::none) {
        FinderInfo info{};
        std::copy(std::begin(c.finderInfo), std::end(c.finderInfo), info.begin());
        found->finderInfo = info;
    }
    return InspectVerdict::described;
}

std::string Hex(unsigned v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

}  // namespace

InspectVerdict InspectResourceFile(const InspectRequest& req, std::string& out, std::string& reason) {
    Found found;
    if (InspectVerdict v = Find(req, &found, reason); v != InspectVerdict::described) return v;

    ResourceForkImage image;
    if (!found.fork.empty()) {
        std::string why;
        if (ParseResourceFork(found.fork, &image, &why) != noErr) {
            reason = "damaged resource fork (" + std::string(ForkSourceName(found.forks)) + "): " + why;
            return InspectVerdict::broken;
        }
    }
    ByteReader fi(found.finderInfo ? std::span<const UInt8>(*found.finderInfo) : std::span<const UInt8>());
    const OSType type = fi.u32be(), creator = fi.u32be();
    const UInt16 flags = fi.u16be();

    if (req.json) {
        JsonWriter j;
        j.beginObject().key("kind").value("resource-file").key("forks").value(ForkSourceName(found.forks));
        j.key("resources").beginArray();
        for (const ForkResource& r : image.resources) {
            j.beginObject().key("type").value(FourCCText(r.type)).key("id").value(int(r.id));
            j.key("name");
            if (r.hasName)
                j.value(LegacyTextToUtf8(r.name));
            else
                j.null();
            j.key("size").value(std::int64_t(r.data.size())).key("attributes").value(int(r.attributes));
            j.endObject();
        }
        j.endArray().key("finderInfo");
        if (found.finderInfo) {
            j.beginObject().key("type").value(FourCCText(type)).key("creator").value(FourCCText(creator));
            j.key("flags").value(int(flags)).endObject();
        } else {
            j.null();
        }
        j.endObject();
        out = j.str() + "\n";
        return InspectVerdict::described;
    }

    out = "resource file (" + std::string(ForkSourceName(found.forks)) + " fork): ";
    if (found.fork.empty())
        out += "no resource fork\n";
    else
        out += std::to_string(image.resources.size()) + (image.resources.size() == 1 ? " resource\n" : " resources\n");
    for (const ForkResource& r : image.resources) {
        out += "'" + FourCCText(r.type) + "' " + std::to_string(r.id);
        if (r.hasName) out += " \"" + LegacyTextToUtf8(r.name) + "\"";
        out += " " + std::to_string(r.data.size()) + " bytes, attributes " + Hex(r.attributes, 2) + "\n";
    }
    if (found.finderInfo)
        out += "Finder info: type '" + FourCCText(type) + "', creator '" + FourCCText(creator) + "', flags " +
               Hex(flags, 4) + "\n";
    else
        out += "Finder info: none stored\n";
    return InspectVerdict::described;
}
