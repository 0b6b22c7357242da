// The pen of the current port and the rectangle operations.
//
// The pen is a pnSize.h x pnSize.v rectangle whose top-left corner follows
// the path: a line from p to q paints every pixel the rectangle covers at
// each point of the line's pixel path, so the pen hangs below and to the
// right of the path. Each pixel is painted once per operation, whatever the
// mode. Patterns are 8 x 8, aligned to the top-left corner of the port's
// pixel map: a set bit paints the foreground colour, a clear bit the
// background colour (in patCopy; the other modes as in TransferModes.h).
#pragma once

#include "platform/raster/QDTypes.h"

struct PenState {
    Point pnLoc;
    Point pnSize;
    SInt16 pnMode = patCopy;
    Pattern pnPat;
};

void PenSize(SInt16 width, SInt16 height);
// 0-7 act as their pattern forms 8-15; 32 blend, 33 addPin and 35 subPin
// use the port's OpColor; 36 transparent; anything else acts as patCopy.
void PenMode(SInt16 mode);
void PenPat(const Pattern* pat);
void BackPat(const Pattern* pat);
void PenNormal();  // 1 x 1, patCopy, black pattern
void GetPenState(PenState* state);
void SetPenState(const PenState* state);
void HidePen();  // the pen draws nothing while hidden more often than shown
void ShowPen();
void GetPen(Point* pt);

void MoveTo(SInt16 h, SInt16 v);
void Move(SInt16 dh, SInt16 dv);
void LineTo(SInt16 h, SInt16 v);
void Line(SInt16 dh, SInt16 dv);

void FrameRect(const Rect* r);  // inside r, pen wide
void PaintRect(const Rect* r);  // pnPat in pnMode
void EraseRect(const Rect* r);  // bkPat in patCopy
void InvertRect(const Rect* r); // every pixel inverted
void FillRect(const Rect* r, const Pattern* pat);

// The standard patterns.
Pattern* GetQDGlobalsBlack(Pattern* black);
Pattern* GetQDGlobalsWhite(Pattern* white);
Pattern* GetQDGlobalsGray(Pattern* gray);
Pattern* GetQDGlobalsLightGray(Pattern* ltGray);
Pattern* GetQDGlobalsDarkGray(Pattern* dkGray);
