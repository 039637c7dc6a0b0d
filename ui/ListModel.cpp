#include "ui/ListModel.h"

std::vector<ColumnSpec> reportColumns(std::initializer_list<std::pair<QString, int>> captions) {
    std::vector<ColumnSpec> columns;
    for (const auto& [caption, twips] : captions)
        columns.push_back({caption, twips, columns.empty() ? Qt::AlignLeft : Qt::AlignHCenter});
    return columns;
}

ListModel::ListModel(std::vector<ColumnSpec> columns, QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns)) {}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[static_cast<std::size_t>(index.column())].alignment |
                                   Qt::AlignVCenter);
    case ColourRole:
        return static_cast<int>(rowColour(index.row()));
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const ColumnSpec& column = m_columns[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return column.caption;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    case TwipsRole:
        return column.twips;
    default:
        return {};
    }
}
