#include "editors/frmProfile.h"

frmProfile::frmProfile(QWidget* owner)
    : QDialog(owner) {}

qint16 frmProfile::intFormStartReg(QWidget*, CatalogueAccess&) {
    return 1;
}

qint16 frmProfile::intFormStartMod(QWidget*, CatalogueAccess&) {
    return 1;
}

qint16 frmProfile::intFormStartChange(SimulatorAccess&) {
    return 1;
}
