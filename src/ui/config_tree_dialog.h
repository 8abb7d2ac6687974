// CConfigTreeDlg: the choice of the configurator's operating mode.
//
// Two groups of radio-like options in a tree: which parameters of the
// module are offered, and whether the VL1 extension is supported. The mode
// is the OR of the values of the chosen option of each group (1, 2, 3, 17,
// 18 or 19). "Выход" is offered only before any tree was loaded: it then
// ends the program.
#pragma once

#include <QDialog>
#include <cstdint>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarn {

class CConfigTreeDlg : public QDialog {
    Q_OBJECT

public:
    // Item data of an option: its value, and whether it is the chosen one.
    static constexpr int kValueRole = Qt::UserRole + 1;
    static constexpr int kOnRole = Qt::UserRole + 2;

    // `mode` receives the chosen mode on OK and is left alone otherwise.
    CConfigTreeDlg(std::uint32_t& mode, bool exitAllowed, QWidget* parent = nullptr);

    // The OR of the chosen options' values.
    std::uint32_t chosenMode() const;

    int groupCount() const;
    QTreeWidgetItem* groupItem(int group) const;
    QTreeWidgetItem* optionItem(int group, int option) const;

    QTreeWidget* tree() const { return tree_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* exitButton() const { return exitButton_; }

public slots:
    void accept() override;
    // Only when "Выход" is offered; otherwise Escape and the close box do
    // nothing, so a mode switch cannot end without a mode.
    void reject() override;

private:
    void onSelectionChanged();
    void choose(QTreeWidgetItem* option);

    std::uint32_t& mode_;
    bool exitAllowed_;
    QTreeWidget* tree_;
    QPushButton* okButton_;
    QPushButton* exitButton_;
};

}  // namespace tarn
