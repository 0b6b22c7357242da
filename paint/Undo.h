// One step of undo per paint document: a snapshot before each edit, the kind
// of the edit as a signed mode after it, and the Undo command that exchanges
// the document with its snapshot.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Windows.h"

// Undo modes: the kind of the last edit (negative once undone).
enum : SInt16 {
    kUndoNone = 0, kUndoPaint = 1, kUndoSelect = 2, kUndoMoveSelection = 3, kUndoTone = 4,
    kUndoFixSelection = 5, kUndoDuplicate = 6, kUndoCut = 7, kUndoPaste = 8, kUndoDelete = 9,
    kUndoExchangeSelection = 10, kUndoChangeSize = 11, kUndoRotate = 12, kUndoColorMode = 13,
    kUndoReplaceColor = 14, kUndoFlip = 15, kUndoTypeString = 16, kUndoChangeMask = 17, kUndoDotPaint = 18,
    kUndoEnterBackMode = 19, kUndoLeaveBackMode = 20, kUndoUnionBackground = 21,
    kUndoDeleteForeground = 22, kUndoDeleteBackground = 23, kUndoForeTrans = 24,
};

[[nodiscard]] OSErr GoOffPort(WindowRef window);
// The snapshot of an edit that changes only the picture under a floating
// selection (duplicating): basePort and baseMask are copied into undoPort and
// undoMask, with which undo then exchanges them.
[[nodiscard]] OSErr GoOffPortBase(WindowRef window);
// The snapshot of an edit that replaces offPort and maskPort whole: they
// become undoPort and undoMask without a copy, and the caller puts the new
// buffers in their place at once.
[[nodiscard]] OSErr MoveOffPortToUndo(WindowRef window);
void SetUndoMode(SInt16 mode);  // the front document window's
void DoUndo();
void ExchangeOffPort(PaintWinRec* rec);
void ExchangeMask(PaintWinRec* rec);
void ExchangeRgn(RgnHandle a, RgnHandle b);
