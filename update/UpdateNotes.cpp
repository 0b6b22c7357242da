// The notes dialog of the update check: the catalogue's notes wrapped to the
// width of their box, in the application font at size 10, scrolled by the
// dialog's scroll bar, the mouse wheel and the page keys.
#include "update/UpdateCheck.h"

#include "app/Alerts.h"
#include "app/DialogScroll.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/Text.h"
#include "platform/ui/Dialogs.h"

#include <algorithm>

namespace {

constexpr SInt16 kUpdateDialogID = 1001;
enum : DialogItemIndex { kNotesItem = 5, kNotesScrollItem = 6 };
constexpr SInt16 kNotesFontSize = 10, kNotesMargin = 4;
// More lines than a scroll bar's value can reach are not shown.
constexpr size_t kMaxNoteLines = 32000;

struct ShownNotes {
    const std::string* text = nullptr;
    std::vector<NoteLine> lines;
    SInt16 lineHeight = 13;
};
ShownNotes gShownNotes;

void UseNotesFont() {
    TextFont(applFont);
    TextSize(kNotesFontSize);
}

Rect NotesBox(DialogRef dialog) {
    DialogItemType type;
    Handle h;
    Rect box;
    GetDialogItem(dialog, kNotesItem, &type, &h, &box);
    return box;
}

SInt16 VisibleNoteLines(const Rect& box) {
    return SInt16(std::max(1, (box.bottom - box.top - 2) / gShownNotes.lineHeight));
}

void NotesDraw(DialogRef dialog, DialogItemIndex item) {
    const Rect box = NotesBox(dialog);
    EraseRect(&box);
    FrameRect(&box);
    if (!gShownNotes.text || item != kNotesItem) return;
    UseNotesFont();
    FontInfo info;
    GetFontInfo(&info);
    const std::string& text = *gShownNotes.text;
    const size_t first = size_t(DialogScrollTop(dialog, kNotesScrollItem));
    const size_t shown = size_t(VisibleNoteLines(box));
    SInt16 baseline = SInt16(box.top + 1 + info.ascent);
    for (size_t i = first; i < gShownNotes.lines.size() && i < first + shown; ++i) {
        const NoteLine& line = gShownNotes.lines[i];
        MoveTo(SInt16(box.left + kNotesMargin), baseline);
        DrawText(text.data() + line.start, 0, SInt16(line.length));
        baseline = SInt16(baseline + gShownNotes.lineHeight);
    }
    TextSize(0);
    TextFont(0);
}

Boolean KorvelUpdateDialogFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
    if (event && HandleDialogScrollEvent(dialog, kNotesScrollItem, *event, MyUpdateTEScrollHandler)) {
        *itemHit = 0;
        return true;
    }
    return MyModalDialogFilter(dialog, event, itemHit);
}

// Bytes in the UTF-8 character that starts at `at` (1 for a byte that does
// not start one, so that text in other encodings still advances).
size_t CharLength(std::string_view text, size_t at) {
    const UInt8 lead = UInt8(text[at]);
    size_t n = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    n = std::min(n, text.size() - at);
    for (size_t i = 1; i < n; ++i)
        if ((UInt8(text[at + i]) & 0xC0) != 0x80) return 1;
    return n;
}

// Appends the lines of one paragraph (no line breaks in it), which starts at
// `offset` in the whole text.
void WrapParagraph(std::string_view paragraph, size_t offset, SInt16 width, std::vector<NoteLine>* lines) {
    size_t start = 0;
    do {
        SInt32 used = 0;
        size_t at = start, afterSpace = 0;
        while (at < paragraph.size()) {
            const size_t n = CharLength(paragraph, at);
            used += TextWidth(paragraph.data() + at, 0, SInt16(n));
            if (used > width && at > start) break;
            at += n;
            if (paragraph[at - 1] == ' ') afterSpace = at;
        }
        // Break at a space that does not fit, else after the last space that
        // fits; a word wider than the box breaks where it must.
        const bool wholeWords = at >= paragraph.size() || paragraph[at] == ' ' || afterSpace <= start;
        const size_t end = wholeWords ? at : afterSpace;
        size_t shownEnd = end;
        while (shownEnd > start && paragraph[shownEnd - 1] == ' ') --shownEnd;
        lines->push_back({offset + start, shownEnd - start});
        start = end;
        while (start < paragraph.size() && paragraph[start] == ' ') ++start;  // no line starts with the break's spaces
    } while (start < paragraph.size() && lines->size() < kMaxNoteLines);
}

}  // namespace

std::vector<NoteLine> WrapNotes(std::string_view text, SInt16 width) {
    std::vector<NoteLine> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < kMaxNoteLines) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        WrapParagraph(text.substr(start, end - start), start, width, &lines);
        start = end;
        if (start < text.size() && text[start] == '\r') ++start;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

void MyUpdateTEScrollHandler(ControlRef bar, ControlPartCode part) { MyDialogScrollAction(bar, part); }

OSErr KorvelDisplayInfo(const KorvelCatalog& record) {
    ParamText(record.version, record.info, nullptr, nullptr);
    DialogRef dialog = GetNewDialog(kUpdateDialogID, nullptr, kFirstWindowOfClass);
    if (!dialog) return resNotFound;
    {
        SavedGWorld saved;
        SetPortWindowPort(dialog);
        UseNotesFont();
        FontInfo info;
        GetFontInfo(&info);
        gShownNotes.lineHeight = SInt16(std::max(1, info.ascent + info.descent + info.leading));
        const Rect box = NotesBox(dialog);
        gShownNotes.lines = WrapNotes(record.notes, SInt16(box.right - box.left - 2 * kNotesMargin));
        gShownNotes.text = &record.notes;
        SetDialogScrollRange(dialog, kNotesScrollItem, SInt16(gShownNotes.lines.size()), VisibleNoteLines(box));
        TextSize(0);
        TextFont(0);
    }
    SetDialogItemDrawProc(dialog, kNotesItem, NotesDraw);
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    BeginModal();
    ShowWindow(dialog);
    DialogItemIndex item = 0;
    do {
        ModalDialog(KorvelUpdateDialogFilter, &item);
    } while (item != kStdOkItemIndex && item != kStdCancelItemIndex);
    DisposeDialog(dialog);
    EndModal();
    gShownNotes = ShownNotes{};
    return item == kStdOkItemIndex ? OSErr(noErr) : OSErr(userCanceledErr);
}
