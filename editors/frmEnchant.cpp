#include "editors/frmEnchant.h"

frmEnchant::frmEnchant(QWidget* owner)
    : QDialog(owner) {}

qint16 frmEnchant::intFormStartReg(QWidget*, CatalogueAccess&) {
    return 1;
}

qint16 frmEnchant::intFormStartMod(QWidget*, CatalogueAccess&) {
    return 1;
}
