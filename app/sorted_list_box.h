#pragma once

#include "name_list.h"

#include <QByteArray>
#include <QListWidget>

/// A single-selection list box that keeps its entries in ascending order regardless of letter
/// case, a new entry going after those that compare equal to it. Names from a library arrive as
/// 8-bit codes and are shown through Latin-1, so every code from 0 to 255 maps to one character
/// and a shown name converts back to the very same bytes.
///
/// Only the user's own selection changes are announced (`itemSelectionChanged`): changes made
/// through the functions below, as the program's own, are not, so a handler never runs because
/// another handler refilled a list.
class SortedListBox final : public QListWidget, public NameList {
    Q_OBJECT
public:
    explicit SortedListBox(QWidget* parent = nullptr);

    /// Empties the list (as a name list for a library, or for the program).
    void clear() override;
    /// Adds a library name at its sorted place.
    void append(const std::string& name) override;
    /// Adds a text at its sorted place.
    void addSorted(const QString& text);
    /// Adds a text at its sorted place and keeps `entryData` with it, for what the text cannot hold
    /// exactly (a file name is shown as text but opened by its bytes). Returns the new entry.
    QListWidgetItem* addSorted(const QString& text, const QByteArray& entryData);

    /// The row of the selected entry, or -1 when nothing is selected.
    int selectedRow() const;
    /// The text of the selected entry; empty when nothing is selected.
    QString selectedText() const;
    /// The bytes of the selected entry as a library stores a name.
    std::string selectedName() const;
    /// The data kept with the selected entry; empty when nothing is selected or it has none.
    QByteArray selectedData() const;

    /// The row of the first entry whose kept data is `entryData`, or -1 when there is none.
    int rowOfData(const QByteArray& entryData) const;

    /// Removes the entry at `row`.
    void removeRow(int row);
    /// Selects the entry at `row`, or nothing when there is no such row.
    void selectRow(int row);

    /// The entries from top to bottom, for tests and diagnostics.
    QStringList texts() const;
};
