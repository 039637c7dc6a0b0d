#pragma once
// The rows of a report list: a text, sub-items, a tag, an optional unique key and a colour, as the
// windows' lists carry them. One model class serves every list of the program; the windows show
// it through ReportList. It holds text only and needs no widgets, so lists load, save and change
// in tests without a window.

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <vector>

enum class RowColour { Normal, DarkGrey, ButtonShadow };

struct ListRow {
    QString text;
    QStringList subItems; // sub-item i (1-based column i) is subItems[i - 1]
    QString tag;
    QString key;
    RowColour colour = RowColour::Normal;

    // Column 0 is the row text; a missing sub-item reads as empty text.
    QString cell(int column) const;
    void setCell(int column, const QString& value);
};

struct ColumnSpec {
    QString caption;
    int twips = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

class RowListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { TagRole = Qt::UserRole + 1, KeyRole, ColourRole, TwipsRole };

    explicit RowListModel(QObject* parent = nullptr);

    void setColumns(std::vector<ColumnSpec> columns);
    const std::vector<ColumnSpec>& columns() const { return m_columns; }

    int count() const { return static_cast<int>(m_rows.size()); }
    const ListRow& row(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    const std::vector<ListRow>& rows() const { return m_rows; }
    // Returns the new row's index. A non-empty key must be unique in the list.
    int append(ListRow row);
    void replace(int index, ListRow row);
    void setCell(int index, int column, const QString& value);
    void remove(int index);
    void clear();
    // Replaces every row at once (one reset, for large lists).
    void assign(std::vector<ListRow> rows);
    // Index of the row with this key, or -1.
    int findKey(const QString& key) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ColumnSpec> m_columns;
    std::vector<ListRow> m_rows;
};
