// Keyboard dot mode: keys, recording with folding of moves, replay, the
// blinking dot and the dot-mode palette.
#include "palettes/DotMode.h"

#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/DotLibrary.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Text.h"
#include "platform/ui/Events.h"
#include "platform/ui/Menus.h"
#include "tools/Tools.h"

#include <algorithm>
#include <cstring>

namespace {

// Move-only and paint-then-move characters by move, indexed [dy + 1][dx + 1].
constexpr char kMoveChars[3][3] = {{'7', '8', '9'}, {'4', 0, '6'}, {'1', '2', '3'}};
constexpr char kPaintChars[3][3] = {{'q', 'w', 'e'}, {'a', '5', 'd'}, {'z', 'x', 'c'}};

char CharFor(bool paints, int dx, int dy) { return (paints ? kPaintChars : kMoveChars)[dy + 1][dx + 1]; }

SInt16 PenWidth() { return std::max<SInt16>(gPenWidth, 1); }
SInt16 PenHeight() { return std::max<SInt16>(gPenHeight, 1); }

void RedrawPalette() { UpdateDotModePalette(nullptr); }

// The key's command character: the digit its move or paint stands for.
UInt8 KeyCommandChar(UInt8 ch) {
    switch (ch) {
    case ',': return '2';
    case 'J': case 'j': return '4';
    case 'K': case 'k': return '5';
    case 'L': case 'l': return '6';
    case 'I': case 'i': return '8';
    default: return ch >= '1' && ch <= '9' ? ch : 0;
    }
}

}  // namespace

bool DecodeDotChar(UInt8 ch, DotStep* step) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            for (bool paints : {false, true})
                if (CharFor(paints, dx, dy) == char(ch) && ch != 0) {
                    *step = DotStep{paints, SInt8(dx), SInt8(dy)};
                    return true;
                }
    return false;
}

OSErr CheckCommandStr(ConstStr255Param text) {
    if (text[0] > kMaxDotCommand) return paramErr;
    DotStep step;
    for (int i = 1; i <= text[0]; ++i)
        if (!DecodeDotChar(text[i], &step)) return paramErr;
    return noErr;
}

void PutCommandMain(StringPtr input, UInt8 key) {
    DotStep k, p;
    if (input[0] > kMaxInputCommand) input[0] = kMaxInputCommand;
    if (!DecodeDotChar(key, &k)) return;
    if (input[0] > 0 && key != '5' && DecodeDotChar(input[input[0]], &p)) {
        const int dx = p.dx + k.dx, dy = p.dy + k.dy;
        if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
            const char folded = CharFor(p.paints, dx, dy);
            if (folded) input[input[0]] = UInt8(folded);
            else --input[0];  // a move and its opposite cancel
            return;
        }
    }
    if (input[0] == kMaxInputCommand) {
        std::memmove(&input[1], &input[2], kMaxInputCommand - 1);
        --input[0];
    }
    input[++input[0]] = key;
}

void PutCommand(StringPtr inputCommand, UInt8 key) {
    PutCommandMain(inputCommand, key);
    RedrawPalette();
}

Point MoveDotMain(Point pos, SInt16 dx, SInt16 dy, const PaintWinRec* rec) {
    const int v = pos.v + dy * PenHeight(), h = pos.h + dx * PenWidth();
    const Rect& pic = rec->picRect;
    if (v < pic.top - PenHeight() + 1 || v >= pic.bottom || h < pic.left - PenWidth() + 1 || h >= pic.right) return pos;
    return Point{SInt16(v), SInt16(h)};
}

void MoveDot(WindowRef window, SInt16 dx, SInt16 dy) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    ResetDot(window);
    rec->dotPos = MoveDotMain(rec->dotPos, dx, dy, rec);
}

void DoDotPaint(WindowRef window, Point localPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (rec->dotMode) {
        EndDotMode(window);
        return;
    }
    Point pt = localPt;
    ToRealPos(&pt, rec->ratio);
    pt.v = SInt16(pt.v - PenHeight() / 2);
    pt.h = SInt16(pt.h - PenWidth() / 2);
    rec->dotMode = true;
    rec->inputCommand[0] = 0;
    rec->dotPos = pt;
    rec->dotShown = false;
    rec->dotTick = TickCount();
    rec->undoDotPos = pt;
    rec->undoInputCommand[0] = 0;
    if (DotModePalette) ShowWindow(DotModePalette);
    UpdateMenus();
    RedrawPalette();
}

void EndDotMode(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    ResetDot(window);
    rec->dotMode = false;
    if (DotModePalette) HideWindow(DotModePalette);
    UpdateMenus();
}

void ExecuteCommand(ConstStr255Param command, WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    ResetDot(window);
    Point pos = rec->dotPos;
    for (int i = 1; i <= command[0]; ++i) {
        DotStep step;
        if (!DecodeDotChar(command[i], &step)) continue;  // foreign characters are skipped
        if (step.paints) DoDotPaintMain(window, pos);
        pos = MoveDotMain(pos, step.dx, step.dy, rec);
    }
    rec->dotPos = pos;
}

SInt16 HandleDotKey(SInt16 eventKind, UInt8 ch, WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return 0;
    switch (ch) {
    case kReturnCharCode:
        if (gDotCommand[0]) ExecuteCommand(gDotCommand, window);
        return 0;
    case kEscapeCharCode:
        if (rec->inputCommand[0]) {
            rec->inputCommand[0] = 0;
            RedrawPalette();
        }
        return 0;
    case '0':
        if (rec->inputCommand[0]) {
            PStrCopy(rec->inputCommand, gDotCommand);
            rec->inputCommand[0] = 0;
            RedrawPalette();
        }
        return 0;
    case '.': EndDotMode(window); return 1;
    default: break;
    }
    const UInt8 key = KeyCommandChar(ch);
    if (!key) return 0;
    if (key == '5') {
        if (eventKind != keyDown) return 1;  // a held paint key paints once
        ResetDot(window);
        DoDotPaintMain(window, rec->dotPos);
    } else {
        DotStep step;
        (void)DecodeDotChar(key, &step);
        MoveDot(window, step.dx, step.dy);
    }
    PutCommand(rec->inputCommand, key);  // a move refused at the edge is still recorded
    return 1;
}

void InvertDotMain(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    const int scale = 1 << rec->ratio;
    Rect r{SInt16(rec->dispRect.top + rec->dotPos.v * scale), SInt16(rec->dispRect.left + rec->dotPos.h * scale),
           SInt16(rec->dispRect.top + (rec->dotPos.v + PenHeight()) * scale),
           SInt16(rec->dispRect.left + (rec->dotPos.h + PenWidth()) * scale)};
    SectRect(&r, &rec->dispRect, &r);
    if (!EmptyRect(&r)) InvertRect(&r);
    rec->dotShown = !rec->dotShown;
    rec->dotTick = TickCount();
}

void InvertDot(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (rec && rec->dotMode && TickCount() - rec->dotTick > GetCaretTime()) InvertDotMain(window);
}

void ResetDot(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (rec && rec->dotMode && rec->dotShown) InvertDotMain(window);
}
