#include "platform/ui/ColorPicker.h"

#include "platform/core/PString.h"
#include "platform/core/TextEncoding.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/WindowInternal.h"

#include <QColorDialog>

Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* inColor, RGBColor* outColor) {
    if (!inColor || !outColor) return false;
    ColorPickerAnswer answer;
    if (ui_internal::TakeColorPickerAnswer(&answer)) {
        if (answer.whileShown) answer.whileShown();
        if (answer.chosen) *outColor = answer.color;
        return answer.chosen;
    }
    if (ui_internal::IsUnattended()) return false;

    QColorDialog dialog(QColor::fromRgba64(inColor->red, inColor->green, inColor->blue));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (prompt) dialog.setWindowTitle(QString::fromStdString(LegacyTextToUtf8(PStringToStd(prompt))));
    QWidget* desktop = ui_internal::DesktopWidget();
    if (desktop && (where.h != 0 || where.v != 0)) dialog.move(desktop->mapToGlobal(QPoint(where.h, where.v)));
    if (dialog.exec() != QDialog::Accepted) return false;
    const QRgba64 chosen = dialog.selectedColor().rgba64();
    *outColor = RGBColor{chosen.red(), chosen.green(), chosen.blue()};
    return true;
}
