#pragma once
// The editors' shared window chrome: a fixed dialog border without minimise and maximise
// buttons, geometry given in twips as the layouts are measured, and the grey look of a control
// that is shown but cannot be changed.

#include <QString>
#include <array>

class EntryFields;
class QDialog;
class QLabel;
class QLineEdit;
class QWidget;

namespace dialogFrame {

// Caption, border and the client size; the outer height is the measured one, the client area is
// that less the caption bar and borders. A dialog with an owner opens centred on it.
void setUp(QDialog* dialog, const QString& caption, int clientWidthTwips, int outerHeightTwips);
void place(QWidget* control, int leftTwips, int topTwips, int widthTwips, int heightTwips);
// A named caption label, one text line high.
QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int leftTwips,
                 int topTwips, int widthTwips);
// A named entry field with its initial text, given the editors' Enter and focus behaviour.
QLineEdit* addField(EntryFields& entry, QWidget* parent, const char* name, const QString& text,
                    int leftTwips, int topTwips, int widthTwips);
// The frame "基本ステータス" with the fields Str, Int, Dex, Will and Luck, each starting at "0".
std::array<QLineEdit*, 5> addStatusFrame(EntryFields& entry, QWidget* parent);
// Disabled, with the button face as background.
void greyOut(QWidget* control);

} // namespace dialogFrame
