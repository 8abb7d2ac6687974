#include "ui/config_tree_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/module_picture.h"

namespace tarn {
namespace {

struct Option {
    const char* text;
    std::uint32_t value;
};

struct Group {
    const char* title;
    std::initializer_list<Option> options;
};

// The first option of each group is the one chosen when the dialog opens.
const Group kGroups[] = {
    {"Доступ к параметрам TARN:",
     {{"Параметрам непосредственного управления выходами. Работа совместно с ПЛК и SCADA.", 1},
      {"Параметрам интеллектуального управления ИМ. Работа совместно с приборами BRIX.", 2},
      {"Полный доступ ко всем параметрам.", 3}}},
    {"Поддержка VL1:",
     {{"Не требуется (скрыть параметры VL1)", 0}, {"Требуется (открыть параметры VL1)", 16}}},
};

void setOn(QTreeWidgetItem* option, bool on) {
    option->setData(0, CConfigTreeDlg::kOnRole, on);
    option->setIcon(0, QIcon(optionStateImage(on)));
}

}  // namespace

CConfigTreeDlg::CConfigTreeDlg(std::uint32_t& mode, bool exitAllowed, QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      exitAllowed_(exitAllowed),
      tree_(new QTreeWidget(this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      exitButton_(new QPushButton(QStringLiteral("Выход"), this)) {
    setWindowTitle(QStringLiteral("Выбор режима работы конфигуратора"));

    tree_->setObjectName(QStringLiteral("modes"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setRootIsDecorated(false);
    tree_->setItemsExpandable(false);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setIconSize(QSize(16, 16));
    tree_->header()->setSectionResizeMode(QHeaderView::Stretch);

    for (const Group& group : kGroups) {
        auto* title = new QTreeWidgetItem(tree_, {QString::fromUtf8(group.title)});
        QFont bold = title->font(0);
        bold.setBold(true);
        title->setFont(0, bold);
        title->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        bool first = true;
        for (const Option& option : group.options) {
            auto* item = new QTreeWidgetItem(title, {QString::fromUtf8(option.text)});
            item->setData(0, kValueRole, option.value);
            setOn(item, first);
            first = false;
        }
        title->setExpanded(true);
    }
    // Wide enough for the longest option on one line, in whatever font.
    int widest = 0;
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        const QFontMetrics metrics((*it)->font(0));
        const int indent = (*it)->parent() != nullptr ? tree_->indentation() : 0;
        widest = std::max(widest, indent + metrics.horizontalAdvance((*it)->text(0)));
    }
    tree_->setMinimumSize(widest + tree_->iconSize().width() + 40, 200);

    okButton_->setDefault(true);
    // The keyboard starts on OK, so no item of the tree looks picked.
    okButton_->setFocus();
    exitButton_->setAutoDefault(false);
    exitButton_->setEnabled(exitAllowed_);
    connect(okButton_, &QPushButton::clicked, this, &CConfigTreeDlg::accept);
    connect(exitButton_, &QPushButton::clicked, this, &CConfigTreeDlg::reject);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CConfigTreeDlg::onSelectionChanged);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(exitButton_);

    auto* right = new QVBoxLayout;
    right->addWidget(tree_, 1);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(new ModulePicture(this));
    layout->addLayout(right, 1);
}

int CConfigTreeDlg::groupCount() const {
    return tree_->topLevelItemCount();
}

QTreeWidgetItem* CConfigTreeDlg::groupItem(int group) const {
    return tree_->topLevelItem(group);
}

QTreeWidgetItem* CConfigTreeDlg::optionItem(int group, int option) const {
    QTreeWidgetItem* title = groupItem(group);
    return title != nullptr ? title->child(option) : nullptr;
}

std::uint32_t CConfigTreeDlg::chosenMode() const {
    std::uint32_t mode = 0;
    for (int g = 0; g < groupCount(); ++g) {
        QTreeWidgetItem* title = groupItem(g);
        for (int o = 0; o < title->childCount(); ++o) {
            if (title->child(o)->data(0, kOnRole).toBool()) {
                mode |= title->child(o)->data(0, kValueRole).toUInt();
            }
        }
    }
    return mode;
}

void CConfigTreeDlg::onSelectionChanged() {
    const auto selected = tree_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    choose(selected.front());
    // The chosen option is shown by its image, not by a highlight.
    const QSignalBlocker blocker(tree_);
    tree_->clearSelection();
    tree_->viewport()->update();
}

void CConfigTreeDlg::choose(QTreeWidgetItem* option) {
    QTreeWidgetItem* title = option->parent();
    if (title == nullptr) {
        return;  // a group title
    }
    for (int i = 0; i < title->childCount(); ++i) {
        QTreeWidgetItem* sibling = title->child(i);
        if (sibling != option && sibling->data(0, kOnRole).toBool()) {
            setOn(sibling, false);
        }
    }
    setOn(option, true);
}

void CConfigTreeDlg::accept() {
    mode_ = chosenMode();
    QDialog::accept();
}

void CConfigTreeDlg::reject() {
    if (exitAllowed_) {
        QDialog::reject();
    }
}

}  // namespace tarn
