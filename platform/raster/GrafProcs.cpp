#include "platform/raster/GrafProcs.h"

#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Text.h"

void SetStdCProcs(CQDProcs* procs) {
    if (!procs) return;
    *procs = CQDProcs{};
    procs->textProc = StdText;
    procs->lineProc = StdLine;
    procs->rectProc = StdRect;
    procs->rRectProc = StdRRect;
    procs->ovalProc = StdOval;
    procs->arcProc = StdArc;
    procs->polyProc = StdPoly;
    procs->rgnProc = StdRgn;
    procs->bitsProc = StdBits;
    procs->commentProc = StdComment;
}

void SetPortGrafProcs(CGrafPtr port, CQDProcs* procs) {
    if (port) port->grafProcs = procs;
}

CQDProcs* GetPortGrafProcs(CGrafPtr port) { return port ? port->grafProcs : nullptr; }

void PicComment(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    const CQDProcs* procs = PortProcs(GetQDGlobalsThePort());
    if (procs && procs->commentProc) {
        procs->commentProc(kind, dataSize, dataHandle);
    } else {
        StdComment(kind, dataSize, dataHandle);
    }
}

void StdComment(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (port && port->picSave) port->picSave->comment(port, kind, dataSize, dataHandle);
}
