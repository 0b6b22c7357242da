#include "rez/RezCompiler.h"

#include "platform/core/ByteIO.h"
#include "platform/core/TextEncoding.h"
#include "rez/RezInternal.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <string_view>

std::string RezError::Format() const {
    return path + ":" + std::to_string(line) + ": error: " + message;
}

namespace rez {

// ---- Tokens -------------------------------------------------------------------

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }


bool ParseInteger(std::string_view s, long long* out) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || s.size() > 12) return false;
    long long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    *out = negative ? -v : v;
    return true;
}

std::vector<Token> Tokenize(std::string_view text, const Where& where) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        if (IsSpace(text[i])) {
            ++i;
            continue;
        }
        Token t;
        const char open = text[i];
        if (open == '"') {
            t.kind = TokKind::String;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    t.text += c;
                    continue;
                }
                if (i >= text.size()) break;
                char e = text[i++];
                switch (e) {
                case '"': t.text += '"'; break;
                case '\\': t.text += '\\'; break;
                case 'n': t.text += '\n'; break;
                case 'r': t.text += '\r'; break;
                case 't': t.text += '\t'; break;
                case 'x': {
                    int hi = i < text.size() ? HexDigit(text[i]) : -1;
                    int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                    if (hi < 0 || lo < 0) Fail(where, "\\x needs two hex digits");
                    t.text += char(hi << 4 | lo);
                    i += 2;
                    break;
                }
                default: Fail(where, std::string("unknown escape \\") + e);
                }
            }
            if (!closed) Fail(where, "unterminated string");
        } else if (open == '\'' || open == '|') {
            t.kind = open == '\'' ? TokKind::Char : TokKind::Row;
            size_t close = text.find(open, i + 1);
            if (close == std::string_view::npos)
                Fail(where, open == '\'' ? "unterminated quoted code" : "unterminated pixel row (ends with |)");
            t.text = std::string(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            size_t start = i;
            while (i < text.size() && !IsSpace(text[i])) ++i;
            t.text = std::string(text.substr(start, i - start));
            t.kind = ParseInteger(t.text, &t.number) ? TokKind::Number : TokKind::Word;
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

// Named constants usable wherever a number is expected.
const std::map<std::string, long long, std::less<>>& NamedConstants() {
    static const std::map<std::string, long long, std::less<>> names = {
        {"documentProc", 0}, {"dBoxProc", 1}, {"plainDBox", 2}, {"altDBoxProc", 3},
        {"noGrowDocProc", 4}, {"movableDBoxProc", 5}, {"zoomDocProc", 8}, {"zoomNoGrow", 12},
        {"floatProc", 1985}, {"floatGrowProc", 1987}, {"floatZoomProc", 1989}, {"floatZoomGrowProc", 1991},
        {"pushButProc", 0}, {"checkBoxProc", 1}, {"radioButProc", 2}, {"scrollBarProc", 16},
        {"popupMenuProc", 1008}, {"kControlTabSmallProc", 129}, {"kControlGroupBoxTextTitleProc", 160},
        {"kControlEditTextProc", 272}, {"kControlStaticTextProc", 288},
        {"kControlUserPaneProc", 256}, {"kControlCheckBoxProc", 369}, {"kControlPushButtonProc", 368},
        {"kControlSliderProc", 48},
    };
    return names;
}

}  // namespace

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Fail(const Where& where, const std::string& message) {
    throw CompileFailure{RezError{where.path, where.line, message}};
}

// ---- Statement helpers ----------------------------------------------------------

const Token& Stmt::At(size_t i) const {
    if (i >= tokens.size()) Fail(where, "'" + Keyword() + "' needs more values");
    return tokens[i];
}

std::string Stmt::Keyword() const { return tokens.empty() ? std::string() : tokens[0].text; }

void Stmt::ExpectCount(size_t n) const {
    if (tokens.size() < n) Fail(where, "'" + Keyword() + "' needs " + std::to_string(n - 1) + " values");
    if (tokens.size() > n) Fail(where, "unexpected '" + tokens[n].text + "' after '" + Keyword() + "'");
}

long long Stmt::Int(size_t i, long long lo, long long hi) const {
    const Token& t = At(i);
    long long v = 0;
    if (t.kind == TokKind::Number) {
        v = t.number;
    } else if (t.kind == TokKind::Word) {
        auto it = NamedConstants().find(t.text);
        if (it == NamedConstants().end()) Fail(where, "expected a number, found '" + t.text + "'");
        v = it->second;
    } else {
        Fail(where, "expected a number, found '" + t.text + "'");
    }
    if (v < lo || v > hi)
        Fail(where, "value " + std::to_string(v) + " out of range " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

std::string Stmt::String(size_t i) const {
    const Token& t = At(i);
    if (t.kind != TokKind::String) Fail(where, "expected a quoted text, found '" + t.text + "'");
    return t.text;
}

Rect Stmt::RectAt(size_t i) const {
    Rect r;
    r.top = SInt16(Int(i, -32768, 32767));
    r.left = SInt16(Int(i + 1, -32768, 32767));
    r.bottom = SInt16(Int(i + 2, -32768, 32767));
    r.right = SInt16(Int(i + 3, -32768, 32767));
    if (r.bottom < r.top || r.right < r.left) Fail(where, "rectangle is top left bottom right, with bottom >= top and right >= left");
    return r;
}

bool Stmt::IsRow() const { return tokens.size() == 1 && tokens[0].kind == TokKind::Row; }

void WritePString(ByteWriter& w, const std::string& text, const Where& where) {
    if (!IsValidUtf8(text)) Fail(where, "text is not valid UTF-8");
    if (text.size() > 255)
        Fail(where, "text is " + std::to_string(text.size()) + " bytes; a length-prefixed string holds at most 255");
    w.u8(UInt8(text.size()));
    w.bytes(std::span(reinterpret_cast<const UInt8*>(text.data()), text.size()));
}

bool ParseColor(const std::string& text, UInt32* rgb) {
    std::string_view s = text;
    if (s.size() == 7 && s[0] == '#') s.remove_prefix(1);
    else return false;
    UInt32 v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return false;
        v = v << 4 | UInt32(d);
    }
    *rgb = v;
    return true;
}

void CheckKeyword(const Stmt& s, std::initializer_list<std::string_view> allowed) {
    for (auto k : allowed)
        if (s.Keyword() == k) return;
    std::string list;
    for (auto k : allowed) list += (list.empty() ? "" : ", ") + std::string(k);
    Fail(s.where, "unknown statement '" + s.Keyword() + "' (expected " + list + ")");
}

// Each statement keyword at most once.
void CheckOnce(const Body& body) {
    std::map<std::string, int> seen;
    for (const Stmt& s : body)
        if (!s.IsRow() && ++seen[s.Keyword()] > 1) Fail(s.where, "'" + s.Keyword() + "' given twice");
}

// ---- Resources ------------------------------------------------------------------

namespace {

std::vector<UInt8> CompileResource(ResType type, ResID id, const Body& body, const Where& header) {
    switch (type) {
    case FourCC("STR#"): return CompileStringList(body);
    case FourCC("STR "): return CompileString(body, header);
    case FourCC("vers"): return CompileVersion(body, header);
    case FourCC("WIND"): return CompileTemplate(body, header, TemplateKind::Window);
    case FourCC("DLOG"): return CompileTemplate(body, header, TemplateKind::Dialog);
    case FourCC("ALRT"): return CompileTemplate(body, header, TemplateKind::Alert);
    case FourCC("DITL"): return CompileItemList(body, header);
    case FourCC("CNTL"): return CompileControl(body, header);
    case FourCC("MENU"): return CompileMenu(body, header, id);
    case FourCC("MBAR"): return CompileMenuBar(body, header);
    case FourCC("PAT "): return CompilePattern(body, header);
    case FourCC("PAT#"): return CompilePatternList(body, header);
    case FourCC("CURS"): return CompileCursor(body, header);
    case FourCC("clut"): return CompileColorTable(body, header);
    case FourCC("PICT"): return CompilePixelArt(body, header);
    default: return CompileRaw(body, header);
    }
}

// resource 'TYPE' ID ["name"] [attributes...]
void ParseHeader(const Stmt& s, ForkResource* r) {
    if (s.Keyword() != "resource") Fail(s.where, "expected 'resource', found '" + s.Keyword() + "'");
    const Token& type = s.At(1);
    if (type.kind != TokKind::Char || type.text.size() != 4)
        Fail(s.where, "a resource type is four characters in single quotes, like 'STR#'");
    r->type = OSType(UInt8(type.text[0])) << 24 | OSType(UInt8(type.text[1])) << 16 |
              OSType(UInt8(type.text[2])) << 8 | OSType(UInt8(type.text[3]));
    r->id = ResID(s.Int(2, -32768, 32767));
    size_t i = 3;
    if (i < s.tokens.size() && s.tokens[i].kind == TokKind::String) {
        r->name = s.tokens[i].text;
        r->hasName = true;
        if (r->name.size() > 255 || !IsValidUtf8(r->name)) Fail(s.where, "a resource name is UTF-8 of at most 255 bytes");
        ++i;
    }
    static const std::map<std::string, UInt8, std::less<>> attrs = {
        {"sysheap", resSysHeap}, {"purgeable", resPurgeable}, {"locked", resLocked},
        {"protected", resProtected}, {"preload", resPreload}};
    for (; i < s.tokens.size(); ++i) {
        auto it = attrs.find(s.tokens[i].text);
        if (it == attrs.end())
            Fail(s.where, "unknown attribute '" + s.tokens[i].text +
                              "' (expected sysheap, purgeable, locked, protected or preload)");
        r->attributes |= it->second;
    }
}

}  // namespace
}  // namespace rez

bool CompileResourceSources(std::span<const RezSource> sources, ResourceForkImage* out, RezError* error) {
    using namespace rez;
    *out = ResourceForkImage{};
    std::map<std::pair<ResType, ResID>, Where> seen;
    try {
        for (const RezSource& src : sources) {
            std::string_view text = src.text;
            int lineNo = 0;
            bool inResource = false;
            Stmt header;
            Body body;
            while (!text.empty()) {
                size_t nl = text.find('\n');
                std::string_view line = text.substr(0, nl);
                text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
                ++lineNo;
                Where where{src.path, lineNo};
                size_t first = line.find_first_not_of(" \t\r");
                if (first == std::string_view::npos || line[first] == '#') continue;
                Stmt s{where, Tokenize(line, where)};
                if (!inResource) {
                    ForkResource probe;
                    ParseHeader(s, &probe);
                    header = std::move(s);
                    body.clear();
                    inResource = true;
                    continue;
                }
                if (s.tokens.size() == 1 && s.tokens[0].kind == TokKind::Word && s.tokens[0].text == "end") {
                    ForkResource r;
                    ParseHeader(header, &r);
                    auto key = std::make_pair(r.type, r.id);
                    if (auto it = seen.find(key); it != seen.end())
                        Fail(header.where, "resource " + header.tokens[1].text + " " + std::to_string(r.id) +
                                               " already defined at " + it->second.path + ":" +
                                               std::to_string(it->second.line));
                    seen.emplace(key, header.where);
                    r.data = CompileResource(r.type, r.id, body, header.where);
                    out->resources.push_back(std::move(r));
                    inResource = false;
                    continue;
                }
                if (s.Keyword() == "resource")
                    Fail(where, "'resource' inside a resource: the one at line " + std::to_string(header.where.line) +
                                    " lacks its 'end'");
                body.push_back(std::move(s));
            }
            if (inResource) Fail(header.where, "resource has no 'end'");
        }
    } catch (const CompileFailure& failure) {
        if (error) *error = failure.error;
        return false;
    }
    return true;
}

std::string ResourceBytesAsCpp(std::span<const UInt8> bytes) {
    std::string out =
        "// Generated by korvel-rez from resources/*.kr: edit those, not this.\n"
        "#include \"app/AppResources.h\"\n\n"
        "namespace {\n"
        "alignas(4) const UInt8 kApplicationResources[] = {\n";
    char buf[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%u,", unsigned(bytes[i]));
        out += buf;
        if (i % 24 == 23) out += '\n';
    }
    if (bytes.empty()) out += "0";
    out += "\n};\n}  // namespace\n\n";
    out += "std::span<const UInt8> ApplicationResourceBytes() {\n    return std::span<const UInt8>(kApplicationResources, " +
           std::to_string(bytes.size()) + ");\n}\n";
    return out;
}
