// Edit-text controls: their text, selection, typing and edit commands. The
// record keeps the text as the program's bytes; the selection counts the
// characters the widget shows.
#include "platform/ui/Controls.h"

#include "platform/core/TextEncoding.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/ControlRecord.h"
#include "platform/ui/Events.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

#include <algorithm>

namespace ui_internal {

void SetControlText(ControlRef c, const std::string& text) {
    if (!Alive(c)) return;
    c->title = text;
    if (c->kind == ControlKind::EditText) c->selStart = c->selEnd = int(ShownText(text).size());
    Sync(c);
}

std::string GetControlText(ControlRef c) { return Alive(c) ? c->title : std::string(); }

void SetControlTextSelection(ControlRef c, SInt16 start, SInt16 end) {
    if (!Alive(c)) return;
    int len = int(ShownText(c->title).size());
    c->selStart = std::clamp<int>(start, 0, len);
    c->selEnd = std::clamp<int>(end, c->selStart, len);
    Sync(c);
}

bool ApplyKeyToEditText(ControlRef c, UInt8 ch) {
    if (!Alive(c) || c->kind != ControlKind::EditText) return false;
    QString s = ShownText(c->title);
    int a = std::clamp(std::min(c->selStart, c->selEnd), 0, int(s.size()));
    int b = std::clamp(std::max(c->selStart, c->selEnd), 0, int(s.size()));
    switch (ch) {
    case kBackspaceCharCode:
        if (a == b && a > 0) --a;
        s.remove(a, b - a);
        b = a;
        break;
    case kDeleteCharCode:
        if (a == b && b < s.size()) ++b;
        s.remove(a, b - a);
        b = a;
        break;
    case kLeftArrowCharCode:
        a = b = (a == b && a > 0) ? a - 1 : a;
        break;
    case kRightArrowCharCode:
        a = b = (a == b && b < s.size()) ? b + 1 : b;
        break;
    case kHomeCharCode:
    case kUpArrowCharCode: a = b = 0; break;
    case kEndCharCode:
    case kDownArrowCharCode: a = b = int(s.size()); break;
    default: {
        if (ch < 0x20) return false;
        char byte = char(ch);
        QString typed = QString::fromStdString(LegacyTextToUtf8(std::string_view(&byte, 1)));
        QString next = s;
        next.replace(a, b - a, typed);
        if (next.toStdString().size() > 255) return true;  // full: the key is taken, nothing changes
        s = next;
        a = b = a + int(typed.size());
        break;
    }
    }
    c->title = s.toStdString();
    c->selStart = a;
    c->selEnd = b;
    Sync(c);
    return true;
}

bool ApplyEditCommand(ControlRef c, UInt8 ch) {
    if (!Alive(c) || c->kind != ControlKind::EditText) return false;
    if (ch >= 1 && ch <= 26) ch = UInt8(ch + 'a' - 1);  // Ctrl turned the letter into a control character
    if (ch >= 'A' && ch <= 'Z') ch = UInt8(ch + 32);
    QString s = ShownText(c->title);
    int a = std::clamp(std::min(c->selStart, c->selEnd), 0, int(s.size()));
    int b = std::clamp(std::max(c->selStart, c->selEnd), 0, int(s.size()));
    QClipboard* clip = QGuiApplication::clipboard();
    switch (ch) {
    case 'a':
        a = 0;
        b = int(s.size());
        break;
    case 'c':
        if (a < b && clip) clip->setText(s.mid(a, b - a));
        return true;
    case 'x':
        if (a < b && clip) clip->setText(s.mid(a, b - a));
        s.remove(a, b - a);
        b = a;
        break;
    case 'v': {
        if (!clip) return true;
        QString typed = clip->text();
        typed.remove(QLatin1Char('\r'));
        typed.remove(QLatin1Char('\n'));
        QString next = s;
        next.replace(a, b - a, typed);
        if (next.toStdString().size() > 255) return true;
        s = next;
        a = b = a + int(typed.size());
        break;
    }
    default: return false;
    }
    c->title = s.toStdString();
    c->selStart = a;
    c->selEnd = b;
    Sync(c);
    return true;
}

SInt16 EditTextOffsetAt(ControlRef c, Point pt) {
    if (!Alive(c) || c->kind != ControlKind::EditText) return 0;
    auto* e = qobject_cast<QLineEdit*>(c->widget.data());
    if (!e) return SInt16(ShownText(c->title).size());
    Rect r = WidgetRect(c);
    return SInt16(e->cursorPositionAt(QPoint(pt.h - r.left, pt.v - r.top)));
}

}  // namespace ui_internal
