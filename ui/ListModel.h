#pragma once
// The lists of the windows as models of plain values: each list keeps its rows as values of its
// own type (a weapon, a profile, a saved plan …) and says how a row reads in each column; the
// view (ReportList) only draws. Columns carry the caption, the width in twips the layouts are
// measured in, and the alignment; a row may ask for a colour of its own.
//
// ListModel holds what every list shares and needs no widgets; ValueListModel<Row> adds the rows.

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

enum class RowColour { Normal, DarkGrey, ButtonShadow };

struct ColumnSpec {
    QString caption;
    int twips = 0; // 0 hides the column
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The first column left-aligned, the others centred, as the report lists stand.
std::vector<ColumnSpec> reportColumns(std::initializer_list<std::pair<QString, int>> captions);

class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { ColourRole = Qt::UserRole + 1, TwipsRole };

    explicit ListModel(std::vector<ColumnSpec> columns, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    virtual QString cellText(int row, int column) const = 0;
    virtual RowColour rowColour(int) const { return RowColour::Normal; }

private:
    std::vector<ColumnSpec> m_columns;
};

template <class Row> class ValueListModel : public ListModel {
public:
    using CellText = std::function<QString(const Row&, int column)>;

    ValueListModel(std::vector<ColumnSpec> columns, CellText cellText, QObject* parent = nullptr)
        : ListModel(std::move(columns), parent)
        , m_cellText(std::move(cellText)) {}

    int count() const { return static_cast<int>(m_rows.size()); }
    const Row& row(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    const std::vector<Row>& rows() const { return m_rows; }

    void assign(std::vector<Row> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    void append(Row row) {
        beginInsertRows({}, count(), count());
        m_rows.push_back(std::move(row));
        endInsertRows();
    }
    void replace(int index, Row row) {
        m_rows.at(static_cast<std::size_t>(index)) = std::move(row);
        emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
    }
    void remove(int index) {
        if (index < 0 || index >= count())
            return;
        beginRemoveRows({}, index, index);
        m_rows.erase(m_rows.begin() + index);
        endRemoveRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : count();
    }

protected:
    QString cellText(int row, int column) const override {
        return m_cellText(this->row(row), column);
    }

private:
    CellText m_cellText;
    std::vector<Row> m_rows;
};
