#pragma once
// The simulator's clipboard exports: build the text (ClipboardText.h), place it on the clipboard
// and show the user what was copied.
//
// The clipboard sits behind a small interface so tests can watch it or make it fail. The system
// clipboard reports no failure of its own, so placing a text reads it back and compares.

#include <QString>

class QWidget;
struct ShownFigures;

namespace storage {
class Connection;
}

namespace clipboard {

class Access {
public:
    virtual ~Access() = default;
    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

// Installs the clipboard later exports use; nullptr restores the system clipboard. Not owned.
void setAccess(Access* access);

// Clears the clipboard, lets pending window events run, sets the text and reads it back; false
// when the clipboard did not take it.
bool placeText(const QString& text);

// The plan steps; nothing while no step is applied.
void cmdClipKaizo(QWidget* parent, const ShownFigures& shown);
// The weapon figures; the four-line summary when a modifier key came with the last key-down
// (shiftState, which is then cleared).
void cmdBukiClip(QWidget* parent, const ShownFigures& shown, qint16& shiftState);
// The weapon's whole modification list, read from the master.
void cmdList(QWidget* parent, storage::Connection& db, qint32 bukiSeq);

} // namespace clipboard
