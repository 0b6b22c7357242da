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

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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

// ---- Simple resource types ------------------------------------------------------

namespace {

using Body = std::vector<Stmt>;

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

UInt8 Bcd(long long v) { return UInt8((v / 10) << 4 | (v % 10)); }

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

// Fields shared by the window and dialog templates.
struct TemplateFields {
    Rect bounds;
    bool haveBounds = false;
    long long procID = 0, refCon = 0, itemsID = 0, position = -1;
    bool visible = false, goAway = false, haveItems = false;
    std::string title;
};

TemplateFields ReadTemplate(const Body& body, const Where& header, bool dialog) {
    CheckOnce(body);
    TemplateFields f;
    for (const Stmt& s : body) {
        if (dialog)
            CheckKeyword(s, {"bounds", "proc", "visible", "invisible", "goaway", "nogoaway", "refcon", "title",
                             "position", "items"});
        else
            CheckKeyword(s, {"bounds", "proc", "visible", "invisible", "goaway", "nogoaway", "refcon", "title",
                             "position"});
        const std::string k = s.Keyword();
        if (k == "bounds") {
            s.ExpectCount(5);
            f.bounds = s.RectAt(1);
            f.haveBounds = true;
        } else if (k == "proc") {
            s.ExpectCount(2);
            f.procID = s.Int(1, -32768, 32767);
        } else if (k == "visible" || k == "invisible") {
            s.ExpectCount(1);
            f.visible = k == "visible";
        } else if (k == "goaway" || k == "nogoaway") {
            s.ExpectCount(1);
            f.goAway = k == "goaway";
        } else if (k == "refcon") {
            s.ExpectCount(2);
            f.refCon = s.Int(1, INT32_MIN, INT32_MAX);
        } else if (k == "title") {
            s.ExpectCount(2);
            f.title = s.String(1);
        } else if (k == "position") {
            s.ExpectCount(2);
            f.position = s.Int(1, 0, 0xFFFF);
        } else {
            s.ExpectCount(2);
            f.itemsID = s.Int(1, -32768, 32767);
            f.haveItems = true;
        }
    }
    if (!f.haveBounds) Fail(header, "template needs 'bounds'");
    if (dialog && !f.haveItems) Fail(header, "dialog template needs 'items'");
    return f;
}

// Booleans of templates are a byte followed by a fill byte.
UInt16 TemplateBoolean(bool b) { return b ? 0x0100 : 0; }

std::vector<UInt8> CompileWindow(const Body& body, const Where& header) {
    TemplateFields f = ReadTemplate(body, header, false);
    ByteWriter w;
    w.rect(f.bounds);
    w.s16be(SInt16(f.procID));
    w.u16be(TemplateBoolean(f.visible));
    w.u16be(TemplateBoolean(f.goAway));
    w.s32be(SInt32(f.refCon));
    WritePString(w, f.title, header);
    if (f.position >= 0) {
        if (w.size() & 1) w.u8(0);
        w.u16be(UInt16(f.position));
    }
    return w.buffer();
}

std::vector<UInt8> CompileDialog(const Body& body, const Where& header) {
    TemplateFields f = ReadTemplate(body, header, true);
    ByteWriter w;
    w.rect(f.bounds);
    w.s16be(SInt16(f.procID));
    w.u16be(TemplateBoolean(f.visible));
    w.u16be(TemplateBoolean(f.goAway));
    w.s32be(SInt32(f.refCon));
    w.s16be(SInt16(f.itemsID));
    WritePString(w, f.title, header);
    if (f.position >= 0) {
        if (w.size() & 1) w.u8(0);
        w.u16be(UInt16(f.position));
    }
    return w.buffer();
}

std::vector<UInt8> CompileAlert(const Body& body, const Where& header) {
    CheckOnce(body);
    Rect bounds;
    bool haveBounds = false, haveItems = false;
    long long items = 0, stages = 0x5555, position = -1;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"bounds", "items", "stages", "position"});
        const std::string k = s.Keyword();
        if (k == "bounds") {
            s.ExpectCount(5);
            bounds = s.RectAt(1);
            haveBounds = true;
        } else if (k == "items") {
            s.ExpectCount(2);
            items = s.Int(1, -32768, 32767);
            haveItems = true;
        } else if (k == "stages") {
            s.ExpectCount(2);
            stages = s.Int(1, 0, 0xFFFF);
        } else {
            s.ExpectCount(2);
            position = s.Int(1, 0, 0xFFFF);
        }
    }
    if (!haveBounds || !haveItems) Fail(header, "'ALRT' needs bounds and items");
    ByteWriter w;
    w.rect(bounds);
    w.s16be(SInt16(items));
    w.u16be(UInt16(stages));
    if (position >= 0) w.u16be(UInt16(position));
    return w.buffer();
}

std::vector<UInt8> CompileItemList(const Body& body, const Where& header) {
    if (body.empty()) Fail(header, "an item list needs at least one item");
    if (body.size() > 0x7FFF) Fail(header, "too many items");
    static const std::map<std::string, int, std::less<>> kinds = {
        {"user", 0},  {"button", 4}, {"checkbox", 5}, {"radio", 6}, {"control", 7},
        {"static", 8}, {"edit", 16},  {"icon", 32},    {"picture", 64}};
    ByteWriter w;
    w.s16be(SInt16(body.size() - 1));
    for (const Stmt& s : body) {
        auto it = kinds.find(s.Keyword());
        if (it == kinds.end())
            Fail(s.where, "unknown item kind '" + s.Keyword() +
                              "' (expected button, checkbox, radio, control, static, edit, icon, picture or user)");
        const int kind = it->second;
        size_t n = 5;  // keyword and rectangle
        Rect r = s.RectAt(1);
        std::vector<UInt8> data;
        if (kind == 0) {
        } else if (kind == 7 || kind == 32 || kind == 64) {
            SInt16 id = SInt16(s.Int(n++, -32768, 32767));
            data = {UInt8(UInt16(id) >> 8), UInt8(id)};
        } else {
            std::string text = s.String(n++);
            if (!IsValidUtf8(text)) Fail(s.where, "text is not valid UTF-8");
            if (text.size() > 255) Fail(s.where, "item text is longer than 255 bytes");
            data.assign(text.begin(), text.end());
        }
        bool disabled = false;
        if (s.tokens.size() > n && s.tokens[n].text == "disabled") {
            disabled = true;
            ++n;
        }
        s.ExpectCount(n);
        w.u32be(0);
        w.rect(r);
        w.u8(UInt8(kind | (disabled ? 128 : 0)));
        w.u8(UInt8(data.size()));
        w.bytes(data);
        if (data.size() & 1) w.u8(0);
    }
    return w.buffer();
}

std::vector<UInt8> CompileControl(const Body& body, const Where& header) {
    CheckOnce(body);
    Rect bounds;
    bool haveBounds = false, visible = true;
    long long value = 0, max = 0, min = 0, procID = 0, refCon = 0;
    std::string title;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"bounds", "value", "visible", "invisible", "max", "min", "proc", "refcon", "title"});
        const std::string k = s.Keyword();
        if (k == "bounds") {
            s.ExpectCount(5);
            bounds = s.RectAt(1);
            haveBounds = true;
        } else if (k == "visible" || k == "invisible") {
            s.ExpectCount(1);
            visible = k == "visible";
        } else if (k == "title") {
            s.ExpectCount(2);
            title = s.String(1);
        } else if (k == "refcon") {
            s.ExpectCount(2);
            refCon = s.Int(1, INT32_MIN, INT32_MAX);
        } else {
            s.ExpectCount(2);
            long long v = s.Int(1, -32768, 32767);
            (k == "value" ? value : k == "max" ? max : k == "min" ? min : procID) = v;
        }
    }
    if (!haveBounds) Fail(header, "'CNTL' needs bounds");
    ByteWriter w;
    w.rect(bounds);
    w.s16be(SInt16(value));
    w.u16be(TemplateBoolean(visible));
    w.s16be(SInt16(max));
    w.s16be(SInt16(min));
    w.s16be(SInt16(procID));
    w.s32be(SInt32(refCon));
    WritePString(w, title, header);
    return w.buffer();
}

std::vector<UInt8> CompileMenu(const Body& body, const Where& header, ResID id) {
    std::string title;
    bool haveTitle = false, menuEnabled = true;
    long long procID = 0;
    UInt32 enableFlags = 0;
    ByteWriter items;
    int count = 0;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"title", "proc", "disabled", "item"});
        const std::string k = s.Keyword();
        if (k == "title") {
            s.ExpectCount(2);
            if (haveTitle) Fail(s.where, "'title' given twice");
            title = s.String(1);
            haveTitle = true;
            continue;
        }
        if (k == "proc") {
            s.ExpectCount(2);
            procID = s.Int(1, -32768, 32767);
            continue;
        }
        if (k == "disabled") {
            s.ExpectCount(1);
            menuEnabled = false;
            continue;
        }
        ++count;
        std::string text = s.String(1);
        if (text.empty()) Fail(s.where, "an item needs a text (\"-\" for a separator)");
        long long key = 0, mark = 0, style = 0, icon = 0, submenu = -1;
        bool enabled = text != "-";
        for (size_t i = 2; i < s.tokens.size();) {
            const std::string& opt = s.tokens[i].text;
            if (s.tokens[i].kind != TokKind::Word) Fail(s.where, "unexpected '" + opt + "' in item");
            if (opt == "key") {
                std::string c = s.String(i + 1);
                if (c.size() != 1 || UInt8(c[0]) < 0x20 || UInt8(c[0]) > 0x7E)
                    Fail(s.where, "a command key is one printable ASCII character");
                key = UInt8(c[0]);
                i += 2;
            } else if (opt == "check") {
                mark = 0x12;
                i += 1;
            } else if (opt == "mark") {
                mark = s.Int(i + 1, 1, 255);
                i += 2;
            } else if (opt == "submenu") {
                submenu = s.Int(i + 1, 1, 255);
                i += 2;
            } else if (opt == "style") {
                style = s.Int(i + 1, 0, 127);
                i += 2;
            } else if (opt == "icon") {
                icon = s.Int(i + 1, 0, 255);
                i += 2;
            } else if (opt == "disabled") {
                enabled = false;
                i += 1;
            } else if (opt == "enabled") {
                enabled = true;
                i += 1;
            } else {
                Fail(s.where, "unknown item option '" + opt +
                                  "' (expected key, check, mark, submenu, style, icon, disabled, enabled)");
            }
        }
        if (submenu >= 0) {
            if (key || mark) Fail(s.where, "an item with a submenu has no command key or mark");
            key = 0x1B;
            mark = submenu;
        }
        WritePString(items, text, s.where);
        items.u8(UInt8(icon));
        items.u8(UInt8(key));
        items.u8(UInt8(mark));
        items.u8(UInt8(style));
        if (enabled && count <= 31) enableFlags |= UInt32(1) << count;
    }
    if (!haveTitle) Fail(header, "'MENU' needs a title");
    // Items past 31 have no flag and are always enabled.
    if (menuEnabled) enableFlags |= 1;
    ByteWriter w;
    w.s16be(id);
    w.u16be(0);
    w.u16be(0);
    w.s16be(SInt16(procID));
    w.u16be(0);
    w.u32be(enableFlags);
    WritePString(w, title, header);
    w.bytes(items.buffer());
    w.u8(0);
    return w.buffer();
}

std::vector<UInt8> CompileMenuBar(const Body& body, const Where& header) {
    std::vector<SInt16> ids;
    for (const Stmt& s : body) {
        CheckKeyword(s, {"menus"});
        for (size_t i = 1; i < s.tokens.size(); ++i) ids.push_back(SInt16(s.Int(i, -32768, 32767)));
    }
    if (ids.empty()) Fail(header, "'MBAR' needs 'menus' with at least one menu ID");
    ByteWriter w;
    w.u16be(UInt16(ids.size()));
    for (SInt16 id : ids) w.s16be(id);
    return w.buffer();
}

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

std::vector<UInt8> CompileResource(ResType type, ResID id, const Body& body, const Where& header) {
    switch (type) {
    case FourCC("STR#"): return CompileStringList(body);
    case FourCC("STR "): return CompileString(body, header);
    case FourCC("vers"): return CompileVersion(body, header);
    case FourCC("WIND"): return CompileWindow(body, header);
    case FourCC("DLOG"): return CompileDialog(body, header);
    case FourCC("ALRT"): return CompileAlert(body, header);
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
