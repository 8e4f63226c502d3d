#include "sorted_list_box.h"

#include <QSignalBlocker>

SortedListBox::SortedListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);  // Qt's own sorting compares with regard to case
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUniformItemSizes(true);
}

void SortedListBox::clear() {
    const QSignalBlocker quiet(this);
    QListWidget::clear();
}

void SortedListBox::append(const std::string& name) {
    addSorted(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void SortedListBox::addSorted(const QString& text) { addSorted(text, QByteArray()); }

QListWidgetItem* SortedListBox::addSorted(const QString& text, const QByteArray& entryData) {
    // Binary search for the first entry that sorts after `text`.
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (QString::compare(item(middle)->text(), text, Qt::CaseInsensitive) <= 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    auto* entry = new QListWidgetItem(text);
    if (!entryData.isNull()) entry->setData(Qt::UserRole, entryData);
    const QSignalBlocker quiet(this);
    insertItem(low, entry);
    return entry;
}

int SortedListBox::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString SortedListBox::selectedText() const {
    const int row = selectedRow();
    return row < 0 ? QString() : item(row)->text();
}

std::string SortedListBox::selectedName() const { return selectedText().toLatin1().toStdString(); }

QByteArray SortedListBox::selectedData() const {
    const int row = selectedRow();
    return row < 0 ? QByteArray() : item(row)->data(Qt::UserRole).toByteArray();
}

void SortedListBox::removeRow(int row) {
    const QSignalBlocker quiet(this);
    delete takeItem(row);
}

int SortedListBox::rowOfData(const QByteArray& entryData) const {
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(Qt::UserRole).toByteArray() == entryData) return row;
    }
    return -1;
}

void SortedListBox::selectRow(int row) {
    const QSignalBlocker quiet(this);
    if (row >= 0 && row < count()) {
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    } else {
        // The view moves the current entry elsewhere when the selected one is removed, and in
        // single selection selects it too; leave no entry selected.
        selectionModel()->clearSelection();
    }
}

QStringList SortedListBox::texts() const {
    QStringList result;
    for (int row = 0; row < count(); ++row) result.append(item(row)->text());
    return result;
}
