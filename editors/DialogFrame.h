#pragma once
// The editors' shared window chrome: a fixed dialog border without minimise and maximise
// buttons, geometry given in twips as the layouts are measured, and the grey look of a control
// that is shown but cannot be changed.

#include <QString>

class QDialog;
class QWidget;

namespace dialogFrame {

// Caption, border and the client size; the outer height is the measured one, the client area is
// that less the caption bar and borders. A dialog with an owner opens centred on it.
void setUp(QDialog* dialog, const QString& caption, int clientWidthTwips, int outerHeightTwips);
void place(QWidget* control, int leftTwips, int topTwips, int widthTwips, int heightTwips);
// Disabled, with the button face as background.
void greyOut(QWidget* control);

} // namespace dialogFrame
