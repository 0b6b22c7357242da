// The Edit menu on a text field: its selection to and from the system
// clipboard as plain text.
#include "platform/ui/TextEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

#include <algorithm>

namespace {

// Names are one line of at most 255 bytes.
constexpr size_t kMaxTextBytes = 255;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The text with everything from `bytes` on cut, never inside a character.
std::string CutToBytes(std::string text, size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && IsContinuation(static_cast<unsigned char>(text[bytes]))) --bytes;
    text.resize(bytes);
    return text;
}

std::string SelectedText(TEHandle te) {
    const std::string text = TEGetText(te);
    const size_t from = size_t(std::clamp<SInt32>(TEGetSelStart(te), 0, SInt32(text.size())));
    const size_t to = size_t(std::clamp<SInt32>(TEGetSelEnd(te), SInt32(from), SInt32(text.size())));
    return text.substr(from, to - from);
}

// Puts `with` in place of the selection, as much of it as the field holds,
// and leaves the caret after it.
void ReplaceSelectionText(TEHandle te, const std::string& with) {
    const std::string text = TEGetText(te);
    const size_t from = size_t(std::clamp<SInt32>(TEGetSelStart(te), 0, SInt32(text.size())));
    const size_t to = size_t(std::clamp<SInt32>(TEGetSelEnd(te), SInt32(from), SInt32(text.size())));
    const std::string kept = CutToBytes(with, kMaxTextBytes - (text.size() - (to - from)));
    const std::string result = text.substr(0, from) + kept + text.substr(to);
    TESetText(result.data(), SInt32(result.size()), te);
    const SInt32 caret = SInt32(from + kept.size());
    TESetSelect(caret, caret, te);
}

}  // namespace

void TECopy(TEHandle te) {
    const std::string selected = SelectedText(te);
    if (selected.empty()) return;
    if (QClipboard* board = QGuiApplication::clipboard()) board->setText(QString::fromStdString(selected));
}

void TECut(TEHandle te) {
    if (SelectedText(te).empty()) return;
    TECopy(te);
    TEDelete(te);
}

void TEPaste(TEHandle te) {
    const QClipboard* board = QGuiApplication::clipboard();
    if (!te || !board) return;
    QString text = board->text();
    text.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ').replace('\t', ' ');
    // Other control characters are not text a name holds.
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    ReplaceSelectionText(te, text.toStdString());
}

void TEDelete(TEHandle te) {
    if (te && TEGetSelEnd(te) > TEGetSelStart(te)) ReplaceSelectionText(te, {});
}

Boolean TEScrapHasText() {
    const QClipboard* board = QGuiApplication::clipboard();
    return board && !board->text().isEmpty();
}
