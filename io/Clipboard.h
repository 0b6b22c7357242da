// The clipboard of paint documents: the floating selection put on the scrap
// as a document picture (and, when the preferences ask, as icon data), a
// picture pasted as a new floating selection with its own outline and mask,
// and a new document made from the clipboard's picture.
#pragma once

#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

// Puts the paint window's floating selection on the clipboard: the picture,
// then the six icon flavours when byte 5 of gOtherPrefs is set. Beeps when
// there is nothing to put or the clipboard cannot be written.
void CopySelection(WindowRef window);

// Pastes the picture into the paint window as a new floating selection,
// after dropping any selection that floats; the undo state is recorded
// first. The picture's selection-region comment gives the outline, its bit
// images' clip regions the mask. On failure the document is as it was (the
// undo state aside); the caller shows alert 4011/2 for memFullErr, which
// PutPictureIntoEditWin has shown already, and says a damaged picture
// (badPictErr) cannot be read.
[[nodiscard]] OSErr PutPictureIntoEditWin(PicHandle picture, WindowRef window);

// Whether the buffers of an image over picRect must grow to hold a picture
// of `frame`. A frame that does not touch picRect is first moved to the
// origin.
Boolean CheckPictSize(const Rect* picRect, Rect* frame);

// The selection region the picture carries in its Korvel comment, in the
// picture's frame coordinates. False (and `region` unchanged) without one.
Boolean GetPictureRgn(PicHandle picture, RgnHandle region);
// The comment procedure GetPictureRgn plays a picture through.
void CustomPicProc(SInt16 kind, SInt16 dataSize, Handle dataHandle);

// Paste into a paint window: the clipboard's picture as a new floating
// selection, undo mode 8; a beep when there is none.
void PastePicture(WindowRef window);

// File item 9: the clipboard's picture as a new, untitled paint document.
void OpenClipboard();
// Whether the clipboard holds a picture Paste or OpenClipboard can take.
Boolean ScrapHasPict();

// The Edit menu's commands on the front document window, by its kind.
void DoCut();
void DoCopy();
void DoPaste();
// Clear (fill 0) or, from the Delete key with Option, fill the selection
// with the current colour (fill 1).
void DoDelete(Boolean fill);
void DoSelectAll();
void DoDuplicate();
