#pragma once
// The enchant and title bonus set editor. Each start function opens a fresh modal dialog for one
// use and returns 0 when confirmed, 1 when cancelled.

#include <QDialog>

class CatalogueAccess;

class frmEnchant : public QDialog {
    Q_OBJECT
public:
    // Appends a new bonus set row to the catalogue's bonus set list.
    static qint16 intFormStartReg(QWidget* owner, CatalogueAccess& catalogue);
    // Rewrites the current row of the bonus set list (never the fixed first row).
    static qint16 intFormStartMod(QWidget* owner, CatalogueAccess& catalogue);

private:
    explicit frmEnchant(QWidget* owner);
};
