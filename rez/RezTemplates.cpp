// The interface templates: windows, dialogs and alerts, dialog item lists,
// controls, menus and the menu bar.
#include "platform/core/ByteIO.h"
#include "platform/core/TextEncoding.h"
#include "rez/RezInternal.h"

#include <map>

namespace rez {

namespace {

// Booleans of templates are a byte followed by a fill byte.
UInt16 TemplateBoolean(bool b) { return b ? 0x0100 : 0; }

// Fields of the window, dialog and alert templates; each kind takes the
// statements of the fields its record holds.
struct TemplateFields {
    Rect bounds;
    bool haveBounds = false, haveItems = false;
    long long procID = 0, refCon = 0, itemsID = 0, stages = 0x5555, position = -1;
    bool visible = false, goAway = false;
    std::string title;
};

TemplateFields ReadTemplate(const Body& body, const Where& header, TemplateKind kind) {
    CheckOnce(body);
    TemplateFields f;
    for (const Stmt& s : body) {
        switch (kind) {
        case TemplateKind::Window:
            CheckKeyword(s, {"bounds", "proc", "visible", "invisible", "goaway", "nogoaway", "refcon", "title",
                             "position"});
            break;
        case TemplateKind::Dialog:
            CheckKeyword(s, {"bounds", "proc", "visible", "invisible", "goaway", "nogoaway", "refcon", "title",
                             "position", "items"});
            break;
        case TemplateKind::Alert: CheckKeyword(s, {"bounds", "items", "stages", "position"}); break;
        }
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
        } else if (k == "stages") {
            s.ExpectCount(2);
            f.stages = s.Int(1, 0, 0xFFFF);
        } else {
            s.ExpectCount(2);
            f.itemsID = s.Int(1, -32768, 32767);
            f.haveItems = true;
        }
    }
    if (!f.haveBounds) Fail(header, "template needs 'bounds'");
    if (kind == TemplateKind::Dialog && !f.haveItems) Fail(header, "dialog template needs 'items'");
    if (kind == TemplateKind::Alert && !f.haveItems) Fail(header, "alert template needs 'items'");
    return f;
}

}  // namespace

std::vector<UInt8> CompileTemplate(const Body& body, const Where& header, TemplateKind kind) {
    const TemplateFields f = ReadTemplate(body, header, kind);
    ByteWriter w;
    w.rect(f.bounds);
    if (kind == TemplateKind::Alert) {
        w.s16be(SInt16(f.itemsID));
        w.u16be(UInt16(f.stages));
    } else {
        w.s16be(SInt16(f.procID));
        w.u16be(TemplateBoolean(f.visible));
        w.u16be(TemplateBoolean(f.goAway));
        w.s32be(SInt32(f.refCon));
        if (kind == TemplateKind::Dialog) w.s16be(SInt16(f.itemsID));
        WritePString(w, f.title, header);
    }
    // The position word starts at an even offset.
    if (f.position >= 0) {
        if (w.size() & 1) w.u8(0);
        w.u16be(UInt16(f.position));
    }
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

}  // namespace rez
