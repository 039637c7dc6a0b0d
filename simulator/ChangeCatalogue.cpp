#include "simulator/ChangeCatalogue.h"

#include "storage/Database.h"
#include "storage/modDBAccess.h"

namespace changeCatalogue {

std::optional<std::vector<ChangeGroup>> groups(storage::Connection& db) {
    // The category query stays open while each category's entries are read.
    storage::Recordset categories(db);
    if (!categories.open(modDBAccess::strGetChangeSpecShuruiList()))
        return std::nullopt;
    std::vector<ChangeGroup> result;
    for (; !categories.eof(); categories.moveNext()) {
        ChangeGroup group{categories.text(0), {}};
        storage::Recordset entries(db);
        if (!entries.open(modDBAccess::strGetChangeSpecList(group.name)))
            return std::nullopt;
        for (; !entries.eof(); entries.moveNext()) {
            group.entries.push_back({entries.field(u"SEQ").toInt(), entries.text(u"NAME"),
                                     entries.text(u"DAMAGE"), entries.text(u"CRITICAL"),
                                     entries.text(u"BLANCE"), entries.text(u"TAIKYU")});
        }
        if (!entries.lastError().isEmpty())
            return std::nullopt;
        if (!group.entries.empty())
            result.push_back(std::move(group));
    }
    if (!categories.lastError().isEmpty())
        return std::nullopt;
    return result;
}

} // namespace changeCatalogue
