// The resource types that hold data rather than interface: strings, string
// lists, version, patterns, cursors, colour tables and raw bytes.
#include "platform/core/ByteIO.h"
#include "rez/RezInternal.h"

#include <cstdio>
#include <map>

namespace rez {

namespace {

UInt8 Bcd(long long v) { return UInt8((v / 10) << 4 | (v % 10)); }

// One 8 x 8 pattern from the rows following a 'pattern' statement (or the body).
void ReadPatternRows(const Body& body, size_t* i, const Where& where, ByteWriter& w) {
    for (int row = 0; row < 8; ++row, ++*i) {
        if (*i >= body.size() || !body[*i].IsRow()) Fail(where, "a pattern is 8 rows of |........|");
        const std::string& r = body[*i].tokens[0].text;
        if (r.size() != 8) Fail(body[*i].where, "a pattern row has 8 pixels");
        UInt8 bits = 0;
        for (int x = 0; x < 8; ++x) {
            if (r[size_t(x)] == 'X') bits |= UInt8(0x80 >> x);
            else if (r[size_t(x)] != '.') Fail(body[*i].where, "pattern pixels are X (set) and . (clear)");
        }
        w.u8(bits);
    }
}

}  // namespace

std::vector<UInt8> CompileStringList(const Body& body) {
    ByteWriter w;
    if (body.size() > 0x7FFF) Fail(body.back().where, "too many strings");
    w.u16be(UInt16(body.size()));
    for (const Stmt& s : body) {
        if (s.tokens.size() != 1 || s.tokens[0].kind != TokKind::String)
            Fail(s.where, "a string list holds one quoted text per line");
        WritePString(w, s.tokens[0].text, s.where);
    }
    return w.buffer();
}

std::vector<UInt8> CompileString(const Body& body, const Where& header) {
    if (body.size() != 1 || body[0].tokens.size() != 1 || body[0].tokens[0].kind != TokKind::String)
        Fail(body.empty() ? header : body[0].where, "'STR ' holds exactly one quoted text");
    ByteWriter w;
    WritePString(w, body[0].tokens[0].text, body[0].where);
    return w.buffer();
}

std::vector<UInt8> CompileVersion(const Body& body, const Where& header) {
    CheckOnce(body);
    long long major = -1, minor = 0, bugfix = 0, stage = 0x80, prerelease = 0, region = 0;
    std::string shortText, longText;
    bool haveShort = false, haveLong = false;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"version", "stage", "prerelease", "region", "short", "long"});
        const std::string k = s.Keyword();
        if (k == "version") {
            s.ExpectCount(2);
            const std::string& v = s.At(1).text;
            int n = std::sscanf(v.c_str(), "%lld.%lld.%lld", &major, &minor, &bugfix);
            std::string again = std::to_string(major) + "." + std::to_string(minor) +
                                (n == 3 ? "." + std::to_string(bugfix) : "");
            if (n < 2 || again != v || major < 0 || major > 99 || minor < 0 || minor > 9 || bugfix < 0 || bugfix > 9)
                Fail(s.where, "version is major.minor[.bugfix] with major 0-99 and the others 0-9");
        } else if (k == "stage") {
            s.ExpectCount(2);
            static const std::map<std::string, long long, std::less<>> stages = {
                {"development", 0x20}, {"alpha", 0x40}, {"beta", 0x60}, {"release", 0x80}};
            auto it = stages.find(s.At(1).text);
            if (it == stages.end()) Fail(s.where, "stage is development, alpha, beta or release");
            stage = it->second;
        } else if (k == "prerelease") {
            s.ExpectCount(2);
            prerelease = s.Int(1, 0, 255);
        } else if (k == "region") {
            s.ExpectCount(2);
            region = s.Int(1, 0, 0xFFFF);
        } else if (k == "short") {
            s.ExpectCount(2);
            shortText = s.String(1);
            haveShort = true;
        } else {
            s.ExpectCount(2);
            longText = s.String(1);
            haveLong = true;
        }
    }
    if (major < 0 || !haveShort || !haveLong) Fail(header, "'vers' needs version, short and long");
    ByteWriter w;
    w.u8(Bcd(major));
    w.u8(UInt8(minor << 4 | bugfix));
    w.u8(UInt8(stage));
    w.u8(UInt8(prerelease));
    w.u16be(UInt16(region));
    WritePString(w, shortText, header);
    WritePString(w, longText, header);
    return w.buffer();
}

std::vector<UInt8> CompilePattern(const Body& body, const Where& header) {
    ByteWriter w;
    size_t i = 0;
    ReadPatternRows(body, &i, header, w);
    if (i != body.size()) Fail(body[i].where, "a 'PAT ' holds one pattern of 8 rows");
    return w.buffer();
}

std::vector<UInt8> CompilePatternList(const Body& body, const Where& header) {
    ByteWriter patterns;
    size_t count = 0;
    for (size_t i = 0; i < body.size();) {
        const Stmt& s = body[i];
        if (s.Keyword() != "pattern") Fail(s.where, "expected 'pattern' followed by 8 rows");
        s.ExpectCount(1);
        ++i;
        ReadPatternRows(body, &i, s.where, patterns);
        ++count;
    }
    if (count == 0) Fail(header, "'PAT#' needs at least one pattern");
    ByteWriter w;
    w.u16be(UInt16(count));
    w.bytes(patterns.buffer());
    return w.buffer();
}

std::vector<UInt8> CompileCursor(const Body& body, const Where& header) {
    UInt16 data[16] = {}, mask[16] = {};
    long long v = -1, h = -1;
    int rows = 0;
    for (const Stmt& s : body) {
        if (s.IsRow()) {
            if (rows == 16) Fail(s.where, "a cursor has 16 rows");
            const std::string& r = s.tokens[0].text;
            if (r.size() != 16) Fail(s.where, "a cursor row has 16 pixels");
            for (int x = 0; x < 16; ++x) {
                const UInt16 bit = UInt16(0x8000 >> x);
                switch (r[size_t(x)]) {
                case '.': break;
                case 'X': data[rows] |= bit, mask[rows] |= bit; break;
                case 'o': mask[rows] |= bit; break;
                case '^': data[rows] |= bit; break;
                default: Fail(s.where, "cursor pixels are X black, o white, . clear, ^ inverted");
                }
            }
            ++rows;
            continue;
        }
        CheckKeyword(s, {"hotspot"});
        s.ExpectCount(3);
        v = s.Int(1, 0, 15);
        h = s.Int(2, 0, 15);
    }
    if (rows != 16 || v < 0) Fail(header, "'CURS' needs 16 rows and a hotspot");
    ByteWriter w;
    for (UInt16 d : data) w.u16be(d);
    for (UInt16 m : mask) w.u16be(m);
    w.s16be(SInt16(v));
    w.s16be(SInt16(h));
    return w.buffer();
}

std::vector<UInt8> CompileColorTable(const Body& body, const Where& header) {
    long long seed = 0, flags = 0;
    std::vector<std::pair<UInt16, UInt32>> entries;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"seed", "flags", "color"});
        if (s.Keyword() == "seed") {
            s.ExpectCount(2);
            seed = s.Int(1, INT32_MIN, UINT32_MAX);
        } else if (s.Keyword() == "flags") {
            s.ExpectCount(2);
            flags = s.Int(1, 0, 0xFFFF);
        } else {
            s.ExpectCount(3);
            UInt32 rgb = 0;
            if (!ParseColor(s.At(2).text, &rgb)) Fail(s.where, "a colour is written #RRGGBB");
            entries.emplace_back(UInt16(s.Int(1, 0, 0xFFFF)), rgb);
        }
    }
    if (entries.empty()) Fail(header, "'clut' needs at least one colour");
    if (entries.size() > 256) Fail(header, "'clut' holds at most 256 colours");
    ByteWriter w;
    w.u32be(UInt32(seed));
    w.u16be(UInt16(flags));
    w.u16be(UInt16(entries.size() - 1));
    for (auto [value, rgb] : entries) {
        w.u16be(value);
        // 8-bit components widen by repeating the byte: 0xAB -> 0xABAB.
        w.u16be(UInt16(((rgb >> 16) & 0xFF) * 0x101));
        w.u16be(UInt16(((rgb >> 8) & 0xFF) * 0x101));
        w.u16be(UInt16((rgb & 0xFF) * 0x101));
    }
    return w.buffer();
}

std::vector<UInt8> CompileRaw(const Body& body, const Where& header) {
    ByteWriter w;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"hex", "text"});
        if (s.Keyword() == "text") {
            s.ExpectCount(2);
            std::string t = s.String(1);
            w.bytes(std::span(reinterpret_cast<const UInt8*>(t.data()), t.size()));
            continue;
        }
        for (size_t i = 1; i < s.tokens.size(); ++i) {
            std::string digits = s.tokens[i].text;
            if (digits.size() % 2) Fail(s.where, "hex data needs an even number of digits");
            for (size_t k = 0; k < digits.size(); k += 2) {
                int hi = HexDigit(digits[k]), lo = HexDigit(digits[k + 1]);
                if (hi < 0 || lo < 0) Fail(s.where, "'" + digits + "' is not hex data");
                w.u8(UInt8(hi << 4 | lo));
            }
        }
    }
    (void)header;
    return w.buffer();
}

}  // namespace rez
