// Between the drag layer (Drag*.cpp) and the file drops of the main window
// (FileDrops.cpp): one router takes every drop on the main window, offers it
// to the window under it and, when none takes it, opens its files.
#pragma once

#include <Qt>

class QMimeData;

namespace ui_internal {

// Makes the main window take drops through the router (idempotent).
void EnsureDropRouter();
// Whether the data names local files that the program would open.
bool AcceptsDroppedFiles(const QMimeData* data);
// Opens the data's local files; false when it names none or nobody opens them.
bool OpenDroppedFiles(const QMimeData* data, Qt::KeyboardModifiers modifiers);

}  // namespace ui_internal
