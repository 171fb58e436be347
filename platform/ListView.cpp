#include "platform/ListView.h"

#include "platform/Screen.h"

#include <QHeaderView>

namespace vb {

void SetCellText(QTreeWidgetItem* row, int column, const QString& text)
{
    row->setText(column, text);
    row->setToolTip(column, text);
}

// ---- Columns ----

ColumnHeader::ColumnHeader(QTreeWidget* v, int i, const QString& k) : KeyedMember(i, k), view(v) {}

QString ColumnHeader::Text() const { return view->headerItem()->text(Index() - 1); }

void ColumnHeader::SetText(const QString& text) { view->headerItem()->setText(Index() - 1, text); }

void ColumnHeader::SetWidth(int twips)
{
    width = std::max(0, twips);
    view->setColumnWidth(Index() - 1, TwipsToPixelsX(width));
}

ColumnHeader* ColumnHeaderCollection::Add(const QString& key, const QString& text, int widthTwips)
{
    const int index = NextIndex(key);
    view->setColumnCount(index);
    ColumnHeader* c = Append(std::make_unique<ColumnHeader>(view, index, key));
    c->SetText(text);
    c->SetWidth(widthTwips);
    view->applyView();
    return c;
}

// ---- Items ----

ListItem::ListItem(QTreeWidgetItem* r, int i, const QString& k) : KeyedMember(i, k), row(r), subItems(r) {}

ListSubItem* ListSubItemCollection::Add(const QString& key, const QString& text)
{
    ListSubItem* s = Append(std::make_unique<ListSubItem>(row, NextIndex(key), key));
    s->SetText(text);
    return s;
}

ListItem* ListItemCollection::Add(const QString& key, const QString& text)
{
    const int index = NextIndex(key);
    auto* row = new QTreeWidgetItem(view);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    ListItem* item = Append(std::make_unique<ListItem>(row, index, key));
    item->SetText(text);
    return item;
}

void ListItemCollection::Clear()
{
    ClearMembers();
    view->clear();
}

// ---- The view ----

ListView::ListView(QWidget* container, int left, int top, int width, int height)
    : ControlOf<QTreeWidget>(container, left, top, width, height), columns(this), items(this)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    applyView();
}

void ListView::SetView(int v)
{
    view = v;
    applyView();
}

void ListView::SetHideColumnHeaders(bool hide)
{
    hideHeaders = hide;
    applyView();
}

void ListView::SetGridLines(bool on)
{
    gridLines = on;
    setStyleSheet(on ? QStringLiteral("QTreeView::item { border-right: 1px solid palette(mid); "
                                      "border-bottom: 1px solid palette(mid); }")
                     : QString());
}

void ListView::SetFullRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void ListView::applyView()
{
    const bool report = view == lvwReport;
    setHeaderHidden(!report || hideHeaders);
    // Outside the report view only the items' own texts are listed.
    for (int c = 1; c < columnCount(); ++c)
        setColumnHidden(c, !report);
}

QString ListView::CellText(int row, int column) const
{
    const QTreeWidgetItem* r = topLevelItem(row);
    return r ? r->text(column) : QString();
}

} // namespace vb
