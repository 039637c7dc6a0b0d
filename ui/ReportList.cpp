#include "ui/ReportList.h"

#include "ui/ListModel.h"
#include "ui/Twips.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// Draws rows in the colour their model row asks for.
class RowColourDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        switch (static_cast<RowColour>(index.data(ListModel::ColourRole).toInt())) {
        case RowColour::DarkGrey:
            option->palette.setColor(QPalette::Text, QColor(0x40, 0x40, 0x40));
            break;
        case RowColour::ButtonShadow:
            option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Dark));
            break;
        case RowColour::Normal:
            break;
        }
    }
};

} // namespace

ReportList::ReportList(QWidget* parent)
    : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setItemDelegate(new RowColourDelegate(this));
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setMouseTracking(false);
}

void ReportList::setListModel(ListModel* model) {
    setModel(model);
    const int columns = model ? model->columnCount() : 0;
    for (int i = 0; i < columns; ++i) {
        const int twips = model->headerData(i, Qt::Horizontal, ListModel::TwipsRole).toInt();
        setColumnHidden(i, twips <= 0);
        if (twips > 0)
            header()->resizeSection(i, twipsToPixels(twips));
    }
}

int ReportList::rowCount() const {
    return model() ? model()->rowCount() : 0;
}

int ReportList::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void ReportList::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount()) {
        selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
}

bool ReportList::isRowSelected(int row) const {
    return row >= 0 && row < rowCount() && selectionModel()->isRowSelected(row, {});
}

int ReportList::selectedCurrentRow() const {
    const int row = currentRow();
    return isRowSelected(row) ? row : -1;
}

int ReportList::rowAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

void ReportList::setGreyed(bool greyed) {
    m_greyed = greyed;
    applyBackground();
}

void ReportList::applyBackground() {
    QPalette pal = palette();
    const QPalette app = QPalette();
    pal.setColor(QPalette::Base, (m_greyed || !isEnabled()) ? app.color(QPalette::Button)
                                                            : app.color(QPalette::Base));
    setPalette(pal);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool onRow = rowAt(pos) >= 0;
    // A press on empty space takes the highlight away but leaves the current row, as the
    // windows' "nothing selected" checks expect.
    if (!onRow && selectionModel())
        selectionModel()->clearSelection();
    QTreeView::mousePressEvent(event);
    emit buttonPressed(event->button(), pos, onRow);
}

void ReportList::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    emit buttonReleased(event->button(), event->position().toPoint());
}

void ReportList::mouseMoveEvent(QMouseEvent* event) {
    QTreeView::mouseMoveEvent(event);
    emit pointerMoved(event->position().toPoint(), event->buttons());
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt sends no press for the second click of a double click; the windows' hit flags come from
    // the press before it, as they expect. The base class would emit doubleClicked(index) and
    // start editing; neither is used here.
    emit listDoubleClicked(event->button(), event->position().toPoint());
}

void ReportList::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyBackground();
}
