// Bottleneck procedures. Every drawing operation of a port goes through the
// matching procedure of the port's grafProcs when that procedure is set, and
// through the standard procedure otherwise. A standard procedure first hands
// the operation to the picture being recorded on the port (picSave), then
// draws into the port's pixel map, clipped to clipRgn and visRgn.
#pragma once

#include "platform/raster/QDTypes.h"

// Fills every field with the standard procedure (txMeasProc, getPicProc and
// putPicProc stay null: measuring and picture streaming have no standard
// bottleneck here).
void SetStdCProcs(CQDProcs* procs);
void SetPortGrafProcs(CGrafPtr port, CQDProcs* procs);
CQDProcs* GetPortGrafProcs(CGrafPtr port);

// Picture comments: recorded into an open picture, otherwise ignored.
void PicComment(SInt16 kind, SInt16 dataSize, Handle dataHandle);

// The standard procedures, acting on the current port.
void StdComment(SInt16 kind, SInt16 dataSize, Handle dataHandle);
void StdLine(Point newPt);  // from the pen location to newPt, which becomes the pen location
void StdRect(GrafVerb verb, const Rect* r);
void StdRRect(GrafVerb verb, const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight);
void StdOval(GrafVerb verb, const Rect* r);
void StdArc(GrafVerb verb, const Rect* r, SInt16 startAngle, SInt16 arcAngle);
void StdPoly(GrafVerb verb, PolyHandle poly);
void StdRgn(GrafVerb verb, RgnHandle rgn);

// The procedures in force on a port: its own when set, else null (callers
// then use the standard procedure).
inline const CQDProcs* PortProcs(CGrafPtr port) { return port ? port->grafProcs : nullptr; }
