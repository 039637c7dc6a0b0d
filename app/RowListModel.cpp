#include "app/RowListModel.h"

QString ListRow::cell(int column) const {
    if (column == 0)
        return text;
    return column - 1 < subItems.size() ? subItems.at(column - 1) : QString();
}

void ListRow::setCell(int column, const QString& value) {
    if (column == 0) {
        text = value;
        return;
    }
    while (subItems.size() < column)
        subItems.append(QString());
    subItems[column - 1] = value;
}

RowListModel::RowListModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void RowListModel::setColumns(std::vector<ColumnSpec> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    endResetModel();
}

int RowListModel::append(ListRow row) {
    const int index = count();
    beginInsertRows({}, index, index);
    m_rows.push_back(std::move(row));
    endInsertRows();
    return index;
}

void RowListModel::replace(int index, ListRow row) {
    m_rows.at(static_cast<std::size_t>(index)) = std::move(row);
    emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
}

void RowListModel::setCell(int index, int column, const QString& value) {
    m_rows.at(static_cast<std::size_t>(index)).setCell(column, value);
    emit dataChanged(this->index(index, column), this->index(index, column));
}

void RowListModel::remove(int index) {
    if (index < 0 || index >= count())
        return;
    beginRemoveRows({}, index, index);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
}

void RowListModel::clear() {
    assign({});
}

void RowListModel::assign(std::vector<ListRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int RowListModel::findKey(const QString& key) const {
    if (key.isEmpty())
        return -1;
    for (int i = 0; i < count(); ++i) {
        if (m_rows[static_cast<std::size_t>(i)].key == key)
            return i;
    }
    return -1;
}

int RowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int RowListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RowListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const ListRow& r = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return r.cell(index.column());
    case Qt::TextAlignmentRole:
        if (index.column() < static_cast<int>(m_columns.size()))
            return QVariant::fromValue(
                m_columns[static_cast<std::size_t>(index.column())].alignment | Qt::AlignVCenter);
        return {};
    case TagRole:
        return r.tag;
    case KeyRole:
        return r.key;
    case ColourRole:
        return static_cast<int>(r.colour);
    default:
        return {};
    }
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(m_columns.size()))
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
