#include "ui/tarn_tree_view.h"

#include <QApplication>
#include <QHeaderView>
#include <memory>

#include "model/parameter.h"

namespace tarn {

CTARNTreeListView::CTARNTreeListView(UserInteraction& ui, QWidget* parent)
    : QTreeView(parent), model_(ui) {
    setObjectName("parameterTree");
    setModel(&model_);
    setUniformRowHeights(true);
    setAlternatingRowColors(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    for (int column = 0; column < ParameterTreeModel::kColumnCount; ++column) {
        header()->resizeSection(column, ParameterTreeModel::columnWidth(column));
    }
    connect(this, &QTreeView::expanded, this, &CTARNTreeListView::onExpanded);
}

void CTARNTreeListView::showDocument(TarnDocument* document, const QString& title) {
    model_.setDocument(document, title);
    for (const QModelIndex& index : model_.initiallyExpanded()) {
        expand(index);
    }
}

void CTARNTreeListView::refreshAll() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_.refreshAll();
    QApplication::restoreOverrideCursor();
}

void CTARNTreeListView::setAutoRead(std::function<bool()> autoReadEnabled,
                                    std::function<void(Parameter&)> readNow) {
    autoReadEnabled_ = std::move(autoReadEnabled);
    readNow_ = std::move(readNow);
}

void CTARNTreeListView::onExpanded(const QModelIndex& index) {
    if (!readNow_ || !autoReadEnabled_) {
        return;
    }
    const auto parameters = model_.parametersToReadOnExpand(index);
    if (parameters.empty()) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (Parameter* parameter : parameters) {
        // Reading may switch automatic reading off (the module is silent).
        if (!autoReadEnabled_()) {
            break;
        }
        readNow_(*parameter);
        const QModelIndex row = model_.indexOfParameter(parameter);
        emit model_.dataChanged(row, row.siblingAtColumn(ParameterTreeModel::kColumnCount - 1));
    }
    QApplication::restoreOverrideCursor();
}

Parameter* CTARNTreeListView::selectedParameter() const {
    return model_.parameterAt(currentIndex());
}

DescBranch* CTARNTreeListView::selectedBranch() const {
    return model_.branchAt(currentIndex());
}

InvisibleElement* CTARNTreeListView::selectedGroup() const {
    return model_.groupAt(currentIndex());
}

std::vector<QModelIndex> CTARNTreeListView::allRows() const {
    std::vector<QModelIndex> rows;
    std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
        for (int row = 0; row < model_.rowCount(parent); ++row) {
            const QModelIndex index = model_.index(row, 0, parent);
            rows.push_back(index);
            visit(index);
        }
    };
    visit({});
    return rows;
}

bool CTARNTreeListView::selectProblem(bool forward) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto rows = allRows();
    const QModelIndex current = currentIndex().siblingAtColumn(0);
    auto position = std::find(rows.begin(), rows.end(), current);
    const long start = position == rows.end() ? (forward ? -1 : static_cast<long>(rows.size()))
                                              : position - rows.begin();
    const long step = forward ? 1 : -1;
    bool found = false;
    for (long i = start + step; i >= 0 && i < static_cast<long>(rows.size()); i += step) {
        const QModelIndex index = rows[static_cast<std::size_t>(i)];
        if (model_.parameterAt(index) != nullptr &&
            !model_.data(index.siblingAtColumn(ParameterTreeModel::kStatus)).toString().isEmpty()) {
            setCurrentIndex(index);
            scrollTo(index);
            found = true;
            break;
        }
    }
    QApplication::restoreOverrideCursor();
    return found;
}

void CTARNTreeListView::receivePollResult(PollResult result) {
    auto shared = std::make_shared<PollResult>(std::move(result));
    QMetaObject::invokeMethod(
        this, [this, shared] { model_.applyPollResult(*shared); }, Qt::QueuedConnection);
}

}  // namespace tarn
