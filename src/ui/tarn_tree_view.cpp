#include "ui/tarn_tree_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <memory>

#include "comm/exchange_engine.h"
#include "document/command_ids.h"
#include "document/parameter_edit.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/parameter.h"
#include "platform/user_interaction.h"
#include "ui/eliding_header.h"
#include "ui/problem_search.h"
#include "ui/tree_edit_delegate.h"
#include "ui/trend_plot_view.h"
#include "ui/wait_cursor.h"

namespace tarn {
CTARNTreeListView::CTARNTreeListView(UserInteraction& ui, QWidget* parent)
    : QTreeView(parent), ui_(ui), model_(ui), delegate_(new TreeEditDelegate(*this)) {
    setObjectName("parameterTree");
    setHeader(new ElidingHeader(this));
    setModel(&model_);
    setItemDelegate(delegate_);
    setUniformRowHeights(true);
    setAlternatingRowColors(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Editors open only as beginEdit says (double click, F2, Enter).
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);

    QHeaderView* columns = header();
    columns->setStretchLastSection(true);
    for (int column = 0; column < ParameterTreeModel::kColumnCount; ++column) {
        columns->resizeSection(column, ParameterTreeModel::columnWidth(column));
    }
    // The first column starts out marked ascending; the rows keep their
    // description order until a header is clicked.
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setSortIndicator(ParameterTreeModel::kCaption, Qt::AscendingOrder);
    connect(columns, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                WaitCursor wait;
                model_.sort(column, order);
            });
    connect(this, &QTreeView::expanded, this, &CTARNTreeListView::onExpanded);
}

CTARNTreeListView::~CTARNTreeListView() = default;

void CTARNTreeListView::showDocument(TarnDocument* document, const QString& title) {
    if (editor_ != nullptr) {
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    }
    pendingEdit_.reset();
    groups_.reset();
    // The plotted values belong to the tree that goes.
    if (trendPlot_ != nullptr) {
        trendPlot_->clearSeries();
    }
    model_.setDocument(document, title);
    for (const QModelIndex& index : model_.initiallyExpanded()) {
        expand(index);
    }
}

void CTARNTreeListView::refreshAll() {
    WaitCursor wait;
    model_.refreshAll();
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
    WaitCursor wait;
    for (Parameter* parameter : parameters) {
        // Reading may switch automatic reading off (the module is silent).
        if (!autoReadEnabled_()) {
            break;
        }
        readNow_(*parameter);
        model_.refreshRow(model_.indexOfParameter(parameter));
    }
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

// ---- Commands --------------------------------------------------------------

bool CTARNTreeListView::runCommand(int id) {
    switch (id) {
        case command::kReadParameter:
        case command::kWriteParameter:
            readOrWriteChosen(id == command::kWriteParameter);
            return true;
        case command::kForgetValue:
            forgetChosen();
            return true;
        case command::kPreviousProblem:
        case command::kNextProblem:
            selectProblem(id == command::kNextProblem);
            return true;
        default:
            return false;
    }
}

Parameter* CTARNTreeListView::chosenParameter(bool* nothingChosen) const {
    const TarnDocument* document = model_.document();
    const TarnDocument::ChosenObject chosen =
        document != nullptr ? document->chosenObject() : TarnDocument::ChosenObject{};
    *nothingChosen = chosen.parameter == nullptr && chosen.group == nullptr;
    // A polled value belongs to the polling thread; a branch is no parameter.
    if (chosen.parameter == nullptr || chosen.parameter->hasPollingTimer()) {
        return nullptr;
    }
    return chosen.parameter;
}

void CTARNTreeListView::readOrWriteChosen(bool write) {
    bool nothingChosen = false;
    Parameter* parameter = chosenParameter(&nothingChosen);
    if (nothingChosen) {
        ui_.showMessage(kTextNothingSelected, kImpossibleCaption, MessageIcon::Exclamation);
        return;
    }
    if (parameter == nullptr || engine_ == nullptr) {
        return;
    }
    const bool ran =
        write ? engine_->RunWriteParameter(parameter) : engine_->RunReadParameter(parameter);
    if (ran) {
        refreshAll();
    }
}

void CTARNTreeListView::forgetChosen() {
    bool nothingChosen = false;
    Parameter* parameter = chosenParameter(&nothingChosen);
    if (parameter == nullptr) {
        return;
    }
    parameter->setValueText(std::string(kNoData));
    parameter->setStatusText({});
    parameter->clearChanges();
    refreshAll();
}

bool CTARNTreeListView::selectProblem(bool forward) {
    WaitCursor wait;
    if (!groups_) {
        const TarnDocument* document = model_.document();
        groups_ = groupsInTreeOrder(document != nullptr ? document->root() : nullptr);
    }
    const ProblemSearchResult result =
        findProblem(model_, currentIndex(), forward, *groups_,
                    [this](const QModelIndex& index) { expand(index); });
    if (!result.answer.isValid()) {
        if (!result.message.empty()) {
            ui_.showMessage(result.message, "", MessageIcon::Information);
        }
        return false;
    }
    setCurrentIndex(result.answer);
    scrollTo(result.answer);
    return true;
}

// ---- Context menus ---------------------------------------------------------

void CTARNTreeListView::chooseRow(const QModelIndex& index) {
    TarnDocument* document = model_.document();
    if (document == nullptr) {
        return;
    }
    document->setChosenObject({model_.groupAt(index), model_.parameterAt(index)});
}

QMenu* CTARNTreeListView::contextMenuFor(const QModelIndex& index) {
    const TarnDocument* document = model_.document();
    if (DescBranch* branch = model_.branchAt(index)) {
        const bool polledBranch = document != nullptr && branch == document->scanners();
        if (!polledBranch && branch->pollingState() == -1) {
            return branchMenu_;
        }
        return plotMenuFor(index);
    }
    Parameter* parameter = model_.parameterAt(index);
    if (parameter != nullptr && model_.isPolledRow(index)) {
        return plotMenuFor(index);
    }
    if (parameter == nullptr) {
        return nullptr;
    }
    parameterMenu_ = std::make_unique<QMenu>();
    parameterMenu_->setObjectName("parameterMenu");
    const auto add = [this](const QString& text, int id) {
        // The command runs once the menu has closed: it may open the modal
        // progress window.
        connect(
            parameterMenu_->addAction(text), &QAction::triggered, this,
            [this, id] { runCommand(id); }, Qt::QueuedConnection);
    };
    add("Прочитать параметр", command::kReadParameter);
    if (parameter->accessible()) {
        add("Записать параметр", command::kWriteParameter);
    }
    parameterMenu_->addSeparator();
    add("Установить значение в \"Нет данных\"", command::kForgetValue);
    return parameterMenu_.get();
}

void CTARNTreeListView::setTrendPlot(TrendPlotView* plot) {
    trendPlot_ = plot;
}

QMenu* CTARNTreeListView::plotMenuFor(const QModelIndex& index) {
    if (trendPlot_ == nullptr) {
        return nullptr;
    }
    std::vector<Parameter*> polled;
    if (const DescBranch* branch = model_.branchAt(index)) {
        branch->collectPolledParameters(polled);
    } else if (Parameter* parameter = model_.parameterAt(index)) {
        polled.push_back(parameter);
    }
    const bool any = std::any_of(polled.begin(), polled.end(), [](const Parameter* parameter) {
        return TrendPlotView::plottable(*parameter);
    });
    if (!any) {
        return nullptr;
    }
    plotMenu_ = std::make_unique<QMenu>();
    plotMenu_->setObjectName("plotMenu");
    QAction* show = plotMenu_->addAction("Показать на графике");
    const QPersistentModelIndex row(index);
    if (polled.size() == 1) {
        // A value on the plot already: the entry is ticked and takes it off.
        const Parameter* parameter = polled.front();
        show->setCheckable(true);
        show->setChecked(trendPlot_->contains(parameter));
        connect(show, &QAction::triggered, this, [this, row, parameter](bool checked) {
            if (trendPlot_ == nullptr) {
                return;
            }
            if (checked) {
                showOnPlot(row);
            } else {
                trendPlot_->removeParameter(parameter);
            }
        });
    } else {
        connect(show, &QAction::triggered, this, [this, row] { showOnPlot(row); });
    }
    return plotMenu_.get();
}

int CTARNTreeListView::showOnPlot(const QModelIndex& index) {
    if (trendPlot_ == nullptr || !index.isValid()) {
        return 0;
    }
    std::vector<Parameter*> polled;
    if (const DescBranch* branch = model_.branchAt(index)) {
        branch->collectPolledParameters(polled);
    } else if (Parameter* parameter = model_.parameterAt(index);
               parameter != nullptr && model_.isPolledRow(index)) {
        polled.push_back(parameter);
    }
    int added = 0;
    for (Parameter* parameter : polled) {
        const QModelIndex row = model_.indexOfParameter(parameter);
        if (!row.isValid() || !trendPlot_->addParameter(*parameter, plotName(row))) {
            continue;
        }
        ++added;
        // A value on the plot is polled: as a click on its state image.
        if (!parameter->pollingActive()) {
            model_.setData(row, Qt::Checked, Qt::CheckStateRole);
        }
    }
    return added;
}

QString CTARNTreeListView::plotName(const QModelIndex& index) const {
    const QModelIndex row = index.siblingAtColumn(ParameterTreeModel::kCaption);
    const QString caption = row.data().toString();
    const QModelIndex parent = row.parent();
    const TarnDocument* document = model_.document();
    // The values of one repeated branch share their captions: the branch's
    // own caption tells them apart. The polled values' root says nothing.
    if (!parent.isValid() ||
        (document != nullptr && model_.branchAt(parent) == document->scanners())) {
        return caption;
    }
    return parent.data().toString() + ": " + caption;
}

void CTARNTreeListView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(event->pos()).siblingAtColumn(0);
    if (!index.isValid()) {
        return;
    }
    setCurrentIndex(index);
    chooseRow(index);
    if (QMenu* menu = contextMenuFor(index)) {
        menu->exec(event->globalPos());
    }
}

// ---- Editing ---------------------------------------------------------------

bool CTARNTreeListView::beginEdit(const QModelIndex& index) {
    if (editor_ != nullptr) {
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    }
    if (!index.isValid() || model_.cellEditor(index) == CellEditor::None) {
        return false;
    }
    setCurrentIndex(index);
    const Parameter* parameter = model_.parameterAt(index);
    if (model_.isPolledRow(index) && index.column() == ParameterTreeModel::kValue &&
        parameter->pollingActive()) {
        ui_.showMessage(kPollingWarning, "", MessageIcon::Exclamation);
    }
    // Shown whole before the editor opens, so that no scrolling (which
    // ends an edit) follows.
    scrollTo(index);
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

void CTARNTreeListView::editorOpened(QWidget* editor, const QModelIndex& index,
                                     const QString& startText) {
    editor_ = editor;
    editIndex_ = index;
    editStart_ = startText.toStdString();
}

void CTARNTreeListView::editorFinished(const QString& text) {
    pendingEdit_ = PendingEdit{editIndex_, editStart_, text.toStdString()};
}

void CTARNTreeListView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeView::closeEditor(editor, hint);
    if (editor == editor_) {
        editor_ = nullptr;
    }
    // The commit runs once the editor is gone, so that a message it shows
    // cannot end the same edit a second time.
    if (pendingEdit_) {
        const PendingEdit edit = std::move(*pendingEdit_);
        pendingEdit_.reset();
        commitEdit(edit);
    }
}

void CTARNTreeListView::commitEdit(const PendingEdit& pending) {
    const QModelIndex index = pending.index;
    if (!index.isValid()) {
        return;
    }
    ParameterEdit::Hooks hooks;
    if (engine_ != nullptr) {
        hooks.write = [this](Parameter& parameter) {
            return engine_->WriteParameter(parameter, kWriteAll);
        };
    }
    hooks.immediateWrite = immediateWrite_;
    hooks.applyPortSettings = applyPortSettings_;
    ParameterEdit commit(ui_, std::move(hooks));

    CellEdit edit;
    edit.parameter = model_.parameterAt(index);
    edit.parent = model_.parentObjectAt(index);
    edit.polled = model_.isPolledRow(index);
    edit.column = index.column();
    edit.oldText = pending.oldText;
    edit.newText = pending.newText;
    const EditOutcome outcome = commit.commit(edit);

    if (outcome.modified && model_.document() != nullptr) {
        model_.document()->setModified(true);
    }
    using Kind = EditOutcome::Kind;
    if (outcome.kind == Kind::PortSettings) {
        refreshAll();
        return;
    }
    if (edit.polled && edit.column == ParameterTreeModel::kValue &&
        (outcome.kind == Kind::Written || outcome.kind == Kind::WriteFailed ||
         outcome.kind == Kind::Stored)) {
        model_.setPolledTexts(index, outcome.shownValue, outcome.shownStatus);
        return;
    }
    model_.refreshRow(index);
}

// ---- Mouse, keys and scrolling ----------------------------------------------

void CTARNTreeListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index.column() == ParameterTreeModel::kCaption) {
        // The tree's own handling: a branch opens or closes.
        QTreeView::mouseDoubleClickEvent(event);
        return;
    }
    setFocus();
    beginEdit(index);
    event->accept();
}

void CTARNTreeListView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState) {
        const QModelIndex current = currentIndex();
        if (model_.parameterAt(current) != nullptr &&
            beginEdit(current.siblingAtColumn(ParameterTreeModel::kValue))) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void CTARNTreeListView::scrollContentsBy(int dx, int dy) {
    // Scrolling ends an open edit as losing the focus does: it commits.
    if (QWidget* editor = editor_) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    QTreeView::scrollContentsBy(dx, dy);
}

void CTARNTreeListView::receivePollResult(PollResult result) {
    auto shared = std::make_shared<PollResult>(std::move(result));
    QMetaObject::invokeMethod(
        this,
        [this, shared] {
            // The plot keeps every value, whatever the rows do.
            if (trendPlot_ != nullptr) {
                trendPlot_->receivePollResult(*shared);
            }
            // While an editor is open no polled value reaches the rows.
            if (editor_ == nullptr) {
                model_.applyPollResult(*shared);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace tarn
