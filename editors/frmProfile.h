#pragma once
// The character profile editor. Each start function opens a fresh modal dialog for one use and
// returns 0 when confirmed, 1 when cancelled.

#include <QDialog>

class CatalogueAccess;
class SimulatorAccess;

class frmProfile : public QDialog {
    Q_OBJECT
public:
    // Appends a new profile row to the catalogue's profile list.
    static qint16 intFormStartReg(QWidget* owner, CatalogueAccess& catalogue);
    // Rewrites the current row of the profile list.
    static qint16 intFormStartMod(QWidget* owner, CatalogueAccess& catalogue);
    // Edits the simulation's working copy ("TEMP") and the bonus set in use, then recomputes the
    // bonus row and the combat figures of the current step.
    static qint16 intFormStartChange(SimulatorAccess& simulator);

private:
    explicit frmProfile(QWidget* owner);
};
