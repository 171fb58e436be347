#pragma once
// The window system's list view as the program uses it: a report view with column headers, and
// items whose further columns are sub-items. Columns, items and sub-items are kept in collections
// reached by a 1-based index or by a key; a key is unique within its collection (an empty key is
// no key). Column widths are in twips.
//
// Errors, raised as run-time errors: a key already in the collection 35602 "Key is not unique in
// collection"; a key not in it 35601 "Element not found"; an index outside it 35600 "Index out of
// bounds".
#include "platform/Controls.h"
#include "platform/VbError.h"

#include <QString>
#include <QTreeWidget>
#include <memory>
#include <vector>

namespace vb {

enum ListViewView : int { lvwIcon = 0, lvwSmallIcon = 1, lvwList = 2, lvwReport = 3 };

// Members of a keyed collection: Index is 1-based and Key may be empty.
class KeyedMember {
public:
    int Index() const { return index; }
    const QString& Key() const { return key; }

protected:
    KeyedMember(int i, const QString& k) : index(i), key(k) {}

private:
    int index;
    QString key;
};

// A keyed collection: the members in the order they were added.
template <class T>
class KeyedCollection {
public:
    int Count() const { return static_cast<int>(members.size()); }
    T* Item(int index) const;
    T* Item(const QString& key) const;
    auto begin() const { return members.begin(); }
    auto end() const { return members.end(); }

protected:
    // Raises 35602 when the key is taken; otherwise the index the next member gets.
    int NextIndex(const QString& key) const;
    T* Append(std::unique_ptr<T> member)
    {
        members.push_back(std::move(member));
        return members.back().get();
    }
    void ClearMembers() { members.clear(); }

private:
    std::vector<std::unique_ptr<T>> members;
};

class ListView;

// Sets a cell's text; the text is its tooltip too, so a cell narrower than its text can be read.
void SetCellText(QTreeWidgetItem* row, int column, const QString& text);

class ColumnHeader : public KeyedMember {
public:
    ColumnHeader(QTreeWidget* v, int i, const QString& k);
    QString Text() const;
    void SetText(const QString& text);
    int Width() const { return width; }
    void SetWidth(int twips);

private:
    QTreeWidget* view;
    int width = 0;
};

class ColumnHeaderCollection : public KeyedCollection<ColumnHeader> {
public:
    explicit ColumnHeaderCollection(ListView* v) : view(v) {}
    // Adds a column at the right end.
    ColumnHeader* Add(const QString& key, const QString& text, int widthTwips);

private:
    ListView* view;
};

// A further column's text of one item.
class ListSubItem : public KeyedMember {
public:
    ListSubItem(QTreeWidgetItem* r, int i, const QString& k) : KeyedMember(i, k), row(r) {}
    QString Text() const { return row->text(Index()); }
    void SetText(const QString& text) { SetCellText(row, Index(), text); }

private:
    QTreeWidgetItem* row;
};

class ListSubItemCollection : public KeyedCollection<ListSubItem> {
public:
    explicit ListSubItemCollection(QTreeWidgetItem* r) : row(r) {}
    // Adds the text of the next column of its item.
    ListSubItem* Add(const QString& key, const QString& text);

private:
    QTreeWidgetItem* row;
};

// One row: its own text in the first column, its sub-items in the others.
class ListItem : public KeyedMember {
public:
    ListItem(QTreeWidgetItem* r, int i, const QString& k);
    QString Text() const { return row->text(0); }
    void SetText(const QString& text) { SetCellText(row, 0, text); }
    ListSubItemCollection& ListSubItems() { return subItems; }
    const ListSubItemCollection& ListSubItems() const { return subItems; }

private:
    QTreeWidgetItem* row;
    ListSubItemCollection subItems;
};

class ListItemCollection : public KeyedCollection<ListItem> {
public:
    explicit ListItemCollection(QTreeWidget* v) : view(v) {}
    // Adds a row at the end.
    ListItem* Add(const QString& key, const QString& text);
    void Clear();

private:
    QTreeWidget* view;
};

class ListView : public ControlOf<QTreeWidget> {
    Q_OBJECT
public:
    ListView(QWidget* container, int left, int top, int width, int height);

    // Only the report view shows the columns and their headers; the others list the items' texts.
    int View() const { return view; }
    void SetView(int v);
    bool HideColumnHeaders() const { return hideHeaders; }
    void SetHideColumnHeaders(bool hide);
    bool GridLines() const { return gridLines; }
    void SetGridLines(bool on);
    bool FullRowSelect() const { return selectionBehavior() == QAbstractItemView::SelectRows; }
    void SetFullRowSelect(bool on);

    ColumnHeaderCollection& ColumnHeaders() { return columns; }
    ListItemCollection& ListItems() { return items; }

    // The text of a row and column as shown (column 0 is the item's own text).
    QString CellText(int row, int column) const;

private:
    friend class ColumnHeaderCollection;
    void applyView();
    int view = lvwIcon;
    bool hideHeaders = false;
    bool gridLines = false;
    ColumnHeaderCollection columns;
    ListItemCollection items;
};

// ---------------------------------------------------------------------------------------------

template <class T>
T* KeyedCollection<T>::Item(int index) const
{
    if (index < 1 || index > Count())
        Raise(errListIndexOutOfBounds);
    return members[static_cast<size_t>(index - 1)].get();
}

template <class T>
T* KeyedCollection<T>::Item(const QString& key) const
{
    for (const auto& m : members)
        if (!key.isEmpty() && m->Key() == key)
            return m.get();
    Raise(errListElementNotFound);
}

template <class T>
int KeyedCollection<T>::NextIndex(const QString& key) const
{
    if (!key.isEmpty())
        for (const auto& m : members)
            if (m->Key() == key)
                Raise(errListKeyNotUnique);
    return Count() + 1;
}

} // namespace vb
