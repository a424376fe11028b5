#include "PageHistoryModel.h"

#include "HistoryReport.h"

#include <algorithm>

PageHistoryModel::PageHistoryModel(const QString& path, QObject* parent)
    : QAbstractTableModel(parent)
    , path_(path)
{}

void PageHistoryModel::setFilter(const HistoryFilter& filter)
{
    filter_ = filter;
    cleared_ = false;
    reload(PageRows);
}

void PageHistoryModel::clear()
{
    cleared_ = true;
    reload(0);
}

void PageHistoryModel::refresh()
{
    reload(std::clamp<qint64>(entries_.size(), PageRows, RefreshRowsMost));
}

void PageHistoryModel::reload(qint64 rows)
{
    beginResetModel();
    entries_.clear();
    texts_.clear();
    total_ = 0;
    totalKnown_ = true;
    problem_.clear();
    // Opened anew each time: a history that did not exist yet, or that a writer has begun to
    // write to since, is read as it stands now.
    if (const std::optional<QString> unreadable = reader_.open(path_))
        problem_ = *unreadable;
    else if (const auto read = cleared_ ? std::nullopt : readRows(0, rows)) {
        append(*read);
        // Fewer rows than asked for are all there are: a search that keeps few of a million
        // rows reads them once, not once more to count them.
        total_ = read->size() < rows ? read->size() : reader_.countUpTo(filter_, CountMost);
        totalKnown_ = total_ < CountMost;
        total_ = std::max<qint64>(total_, entries_.size());
        if (!reader_.lastError().isEmpty()) {
            problem_ = reader_.lastError();
            entries_.clear();
            texts_.clear();
        }
    }
    endResetModel();
    emit totalChanged();
}

std::optional<QList<PageHistoryEntry>> PageHistoryModel::readRows(qint64 offset, qint64 rows)
{
    QList<PageHistoryEntry> read = reader_.rows(filter_, order_, offset, static_cast<int>(rows));
    if (!reader_.lastError().isEmpty()) {
        problem_ = reader_.lastError();
        return std::nullopt;
    }
    return read;
}

void PageHistoryModel::append(const QList<PageHistoryEntry>& read)
{
    for (const PageHistoryEntry& entry : read) {
        entries_.append(entry);
        texts_.append(HistoryReport::texts(entry));
    }
}

bool PageHistoryModel::forEach(const std::function<bool(const PageHistoryEntry&)>& visit)
{
    if (cleared_)
        return true;
    return reader_.forEach(filter_, order_, visit);
}

int PageHistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int PageHistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : HistoryReport::ColumnCount;
}

QVariant PageHistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= texts_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return texts_[index.row()].value(index.column());
    case Qt::ToolTipRole:
        // A long text or source is cut in its cell.
        if (index.column() == HistoryReport::Text || index.column() == HistoryReport::Source)
            return texts_[index.row()].value(index.column());
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == HistoryReport::LocalId || index.column() == HistoryReport::Answer)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant PageHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return HistoryReport::columnTitles().value(section);
}

bool PageHistoryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && (entries_.size() < total_ || !totalKnown_);
}

void PageHistoryModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const qint64 first = entries_.size();
    const std::optional<QList<PageHistoryEntry>> read = readRows(first, PageRows);
    if (!read || read->isEmpty()) {
        // Unreadable now, or rows went (retention) since the count: the list ends here until
        // the next refresh.
        total_ = first;
        totalKnown_ = true;
        emit totalChanged();
        return;
    }
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + read->size() - 1));
    append(*read);
    endInsertRows();
    // Beyond the count, the rows fetched are the count; fewer than asked for were the last.
    if (!totalKnown_ && entries_.size() >= total_) {
        total_ = entries_.size();
        totalKnown_ = read->size() < PageRows;
        emit totalChanged();
    }
}

void PageHistoryModel::sort(int column, Qt::SortOrder order)
{
    const std::optional<HistoryColumn> sorted = HistoryReport::sortColumn(column);
    if (!sorted)
        return;
    order_ = {*sorted, order == Qt::AscendingOrder};
    reload(PageRows);
}
