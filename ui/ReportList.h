#pragma once
// A list view in report view, as the windows of the program use it: columns with a caption, a
// width in twips and an alignment; rows from a ListModel; a current row (the one with the focus)
// that counts as selected only while it is highlighted; a hit test; and the raw mouse events the
// windows' double-click and gesture rules are written against.

#include <QTreeView>

class ListModel;

class ReportList : public QTreeView {
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

    // Shows the model and sizes the columns from its twip widths (zero width hides a column).
    void setListModel(ListModel* model);

    int rowCount() const;
    // The row with the focus, or -1 when there is none.
    int currentRow() const;
    // Makes the row current and highlighted (or clears both with -1).
    void setCurrentRow(int row);
    bool isRowSelected(int row) const;
    // The current row when it is also highlighted, else -1.
    int selectedCurrentRow() const;
    // The row under a point of the viewport, or -1.
    int rowAt(const QPoint& viewportPos) const;

    // Window background when false, button face when true (a locked or empty list looks grey).
    void setGreyed(bool greyed);

signals:
    // Every button press on the viewport, with whether it hit a row.
    void buttonPressed(Qt::MouseButton button, const QPoint& pos, bool onRow);
    void buttonReleased(Qt::MouseButton button, const QPoint& pos);
    void pointerMoved(const QPoint& pos, Qt::MouseButtons held);
    void listDoubleClicked(Qt::MouseButton button, const QPoint& pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyBackground();

    bool m_greyed = false;
};
