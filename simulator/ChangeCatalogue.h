#pragma once
// The initial performance changes the master offers, grouped under their category, as the
// performance change dialog lists them.

#include <QString>
#include <optional>
#include <vector>

namespace storage {
class Connection;
}

struct ChangeEntry {
    qint32 seq = 0;
    QString name;
    QString damage; // min～max, as the master query writes it
    QString critical, balance, taikyu;
};

struct ChangeGroup {
    QString name;
    std::vector<ChangeEntry> entries;
};

namespace changeCatalogue {

// The categories in the order of their smallest SORT_NO, each with its shown changes in SORT_NO
// order; a category whose changes are all hidden offers nothing and is left out. Nothing when the
// database refused a query.
std::optional<std::vector<ChangeGroup>> groups(storage::Connection& db);

} // namespace changeCatalogue
