// Describes resource forks: a flat resource file, an AppleDouble companion,
// an AppleSingle or MacBinary file, or any file whose "._name" companion
// holds a fork. Files that are none of these are left to the next probe.
#include "app/Inspect.h"

#include "app/Json.h"
#include "platform/core/ByteIO.h"
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

// Mac OS Roman 0x80-0xFF as Unicode, for names written by classic tools.
constexpr UInt16 kMacRoman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5,
    0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4,
    0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6,
    0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265,
    0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF,
    0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9,
    0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

bool IsUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const UInt8 c = UInt8(s[i]);
        size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
        if (n == 4 || (n > 0 && c < 0xC2) || n > s.size() - i - 1) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((UInt8(s[i + k]) >> 6) != 2) return false;
        i += n + 1;
    }
    return true;
}

// Names are shown as UTF-8: kept when they already are, else read as Mac OS
// Roman.
std::string NameText(const std::string& name) {
    if (IsUtf8(name)) return name;
    std::string out;
    for (char ch : name) {
        const UInt8 c = UInt8(ch);
        const UInt16 u = c < 0x80 ? c : kMacRoman[c - 0x80];
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

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
                j.value(NameText(r.name));
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
        if (r.hasName) out += " \"" + NameText(r.name) + "\"";
        out += " " + std::to_string(r.data.size()) + " bytes, attributes " + Hex(r.attributes, 2) + "\n";
    }
    if (found.finderInfo)
        out += "Finder info: type '" + FourCCText(type) + "', creator '" + FourCCText(creator) + "', flags " +
               Hex(flags, 4) + "\n";
    else
        out += "Finder info: none stored\n";
    return InspectVerdict::described;
}
