// tarn-screenshots OUTPUT_FOLDER
//
// Renders each window of the program with sample contents into a PNG file
// of OUTPUT_FOLDER, on the offscreen platform unless another one is chosen.
// The windows are the real classes; only their contents are samples: the
// port settings come from an empty settings folder and a ports folder with
// three entries, and the connection search answers every attempt with a
// failure at once.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_frame.h"
#include "bus_monitor_picture.h"
#include "comm/apply_command.h"
#include "comm/connection_search.h"
#include "comm/device_detection.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "description/tree_container.h"
#include "dialogs/apply_dialog.h"
#include "dialogs/calibration_dialog.h"
#include "dialogs/change_password_dialog.h"
#include "dialogs/setup_carrier.h"
#include "dialogs/single_point.h"
#include "document/access_level.h"
#include "document/password_store.h"
#include "document/tarn_document.h"
#include "model/desc_branch.h"
#include "model/net_rs485_prg.h"
#include "model/parameter.h"
#include "platform/console_user_interaction.h"
#include "platform/settings_store.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/tree_parameters.h"
#include "trend_plot_picture.h"
#include "ui/config_tree_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/qt_progress_display.h"
#include "ui/table_ctrl.h"
#include "ui/tarn_tree_view.h"

namespace {

using namespace tarn;

// Answers a connection attempt with the failure the user sees when no
// module is on the line; a scan does nothing.
class NoModuleWorker : public ConnectionSearch {
public:
    bool start(std::shared_ptr<ConnectionListener> listener) override {
        listener_ = std::move(listener);
        return true;
    }
    void connect() override {
        listener_->settingsListEnabled(false);
        listener_->statusChanged(std::string(kTextNotConnected), true);
        listener_->settingsListEnabled(true);
    }
    void scan() override {}
    void restoreFactorySettings() override {}
    std::optional<ConnectionClose> requestClose(ConnectionClose code) override {
        finished_ = true;
        return code;
    }
    bool finished() const override { return finished_; }

private:
    std::shared_ptr<ConnectionListener> listener_;
    bool finished_ = false;
};

bool save(QWidget& window, const QDir& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    const QString path = folder.filePath(QString::fromUtf8(name));
    const bool saved = window.grab().save(path, "PNG");
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 path.toLocal8Bit().constData());
    return saved;
}

void addUpdate(CProgressDialog& window, const std::string& line, int processed, int total,
               const std::string& elapsed) {
    ProgressUpdate update;
    update.line = line;
    update.elapsed = elapsed;
    update.counts = std::to_string(processed) + " из " + std::to_string(total);
    update.position = processed;
    update.scrollToEnd = true;
    window.applyUpdate(update);
}

bool progressWindow(const QDir& folder) {
    CProgressDialog window;
    window.setTaskTitle("Идет чтение параметров из прибора");
    window.setTotal(120);
    const char* branches[] = {"Сетевые параметры прибора", "Выход 1", "Выход 2", "Выход 3"};
    int processed = 0;
    for (const char* branch : branches) {
        addUpdate(window, std::string("Читаем ветвь '") + branch + "'", processed, 120,
                  "00:00:0" + std::to_string(processed / 8));
        for (int i = 0; i < 3; ++i) {
            ++processed;
            addUpdate(window, "  прочитан параметр " + std::to_string(processed), processed, 120,
                      "00:00:0" + std::to_string(processed / 8));
        }
    }
    addUpdate(window, "Таймаут при передаче данных (нет связи)", processed, 120, "00:00:04");
    window.resize(520, 380);
    return save(window, folder, "progress.png");
}

bool modeChoice(const QDir& folder) {
    std::uint32_t mode = 0;
    CConfigTreeDlg dialog(mode, true);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(0, 320)));
    return save(dialog, folder, "mode_choice.png");
}

bool connectionDialog(const QDir& folder, const QString& settingsFolder) {
    SettingsStore store(settingsFolder.toStdString());
    NetRS485prg settings(store);
    settings.fill();
    NoModuleWorker worker;
    CSetupCarrier dialog(settings, worker);
    dialog.setBeep([] {});
    dialog.resize(640, 300);
    dialog.show();
    QApplication::processEvents();
    dialog.runCommand(CSetupCarrier::kCommandConnect);
    QApplication::processEvents();
    bool saved = save(dialog, folder, "connection.png");

    // The port list open for editing.
    dialog.settingsList()->beginEdit(6);
    QApplication::processEvents();
    saved = save(dialog, folder, "connection_port.png") && saved;
    dialog.hide();
    return saved;
}

bool tableStates(const QDir& folder) {
    struct Row {
        const char* caption;
        const char* value;
        const char* state;
        std::uint16_t flags;
    };
    const Row rows[] = {
        {"Скорость обмена", "9600", "", 0},
        {"Базовый адрес прибора", "16", "", 0},
        {"Длина адреса RS-485 (недоступна в этом режиме)", "8", "", kCellDisabled},
        {"Время задержки ответа", "Нет данных", "читаю...", 0},
        {"Уставка выхода 3", "12.500", "Таймаут при передаче", kCellError},
        {"Очень длинное название параметра, которое не помещается в свою колонку", "1", "", 0},
    };
    QWidget window;
    window.resize(560, 190);
    auto* table = new CTableCtrl(&window);
    table->setGeometry(window.rect());
    table->addColumn("Параметр");
    table->addColumn("Значение");
    table->addColumn("Состояние");
    table->setColumnShares({5, 2, 3});
    table->setRowsHeight(18);
    std::vector<std::unique_ptr<Parameter>> parameters;
    for (const Row& row : rows) {
        auto parameter = std::make_unique<Parameter>("P");
        parameter->setValueType("float");
        const int index = table->appendRow(row.caption);
        table->setCellText(index, 1, row.value);
        table->setCellText(index, 2, row.state);
        table->setRowBinding(index, parameter.get(), row.flags);
        parameters.push_back(std::move(parameter));
    }
    window.show();
    QApplication::processEvents();
    table->setFocusedRow(1);
    return save(window, folder, "table.png");
}

// Reads every parameter below `branch` from the module.
void readAll(DeviceLink& link, const DescBranch& branch) {
    for (const auto& parameter : branch.parameters()) {
        link.ExchangeParameter(*parameter, true);
    }
    for (const auto& child : branch.children()) {
        readAll(link, *child);
    }
}

// The first parameter named `name` with linear index `index`.
Parameter* findParameter(const DescBranch& root, std::string_view name, int index) {
    Parameter* found = nullptr;
    forEachParameter(root, [&](Parameter& parameter) {
        if (found == nullptr && parameter.hasName(name) && parameter.linearIndex() == index) {
            found = &parameter;
        }
    });
    return found;
}

// The main window with a text box open on a value, and with the context
// menu of a parameter (drawn into the window's picture where it opened).
bool treeEditing(CMainFrame& frame, CTARNTreeListView& view, TarnDocument& document,
                 const QDir& folder) {
    Parameter* lower = findParameter(*document.root(), "o.Lo", 4);
    Parameter* type = findParameter(*document.root(), "POUt", 5);
    if (lower == nullptr || type == nullptr) {
        std::fprintf(stderr, "the outputs' parameters are missing\n");
        return false;
    }
    ParameterTreeModel& model = view.treeModel();
    const QModelIndex value = model.indexOfParameter(lower, ParameterTreeModel::kValue);
    view.setFocus();
    bool saved = false;
    if (view.beginEdit(value)) {
        if (auto* box = qobject_cast<QLineEdit*>(view.cellEditor())) {
            box->setText("4.5");
            box->selectAll();
        }
        saved = save(frame, folder, "tree_editor.png");
        // Esc closes the text box without taking its text.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(view.cellEditor(), &escape);
    }

    const QModelIndex row = model.indexOfParameter(type, ParameterTreeModel::kCaption);
    view.setCurrentIndex(row);
    view.chooseRow(row);
    QMenu* menu = view.contextMenuFor(row);
    if (menu == nullptr) {
        return false;
    }
    const QPoint at = view.viewport()->mapToGlobal(view.visualRect(row).center());
    menu->popup(at);
    QApplication::processEvents();
    QPixmap picture = frame.grab();
    {
        QPainter painter(&picture);
        painter.drawPixmap(menu->pos() - frame.mapToGlobal(QPoint(0, 0)), menu->grab());
    }
    menu->close();
    const QString path = folder.filePath(QStringLiteral("tree_context_menu.png"));
    const bool menuSaved = picture.save(path, "PNG");
    std::fprintf(menuSaved ? stdout : stderr, "%s %s\n", menuSaved ? "wrote" : "cannot write",
                 path.toLocal8Bit().constData());
    return saved && menuSaved;
}

// The main window with the full tree read from the simulated module.
bool mainWindow(const QDir& folder, const QString& settingsFolder) {
    sim::SimulatedModule module;
    if (sim::addTreeParameters(module, treeContainerPath()).modes == 0) {
        std::fprintf(stderr, "no tree container beside the program\n");
        return false;
    }
    sim::addModuleCommands(module);
    module.setActiveSettings(sim::NetworkSettings{});
    module.setValue("POUt", 0, "4-20 мА");
    module.setValue("POUt", 2, "0-10 В");
    sim::ServerOptions options;
    options.comNumber = 9;
    sim::PtyServer server(module, options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    ConsoleUserInteraction ui;
    SettingsStore settings(settingsFolder.toStdString() + "/main");
    TarnDocument document(ui, settings, treeContainerPath());
    if (!document.switchToMode(19)) {
        return false;
    }
    LinkContext context;
    DeviceLink link(context, &ui);
    link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    PortSettings line;
    line.port = "COM9";
    link.OpenLink(line, false);
    readAll(link, *document.root());
    // One failure and one difference, as a compare leaves them.
    document.outputs()[4]->setStatusText("Таймаут при передаче данных (нет связи)");
    document.outputs()[5]->setStatusText("Знач-е в приборе: '0-20 мА',Ред-ый,польз.");
    document.outputs()[6]->setValueChanged(true);

    CMainFrame frame;
    auto* view = new CTARNTreeListView(ui, &frame);
    frame.setCentralWidget(view);
    frame.showTitle(19, "module.tarn");
    frame.setChecked(134, true);
    frame.showDirectionMode(1);
    frame.resize(1280, 800);
    view->showDocument(&document, "module.tarn");
    // The network settings, and the outputs with a failure, a difference
    // and an unwritten change.
    const QAbstractItemModel* model = view->model();
    const QModelIndex tree = model->index(0, 0, model->index(0, 0));
    view->expand(model->index(1, 0, tree));
    const QModelIndex outputs = model->index(2, 0, tree);
    view->expand(outputs);
    for (const int output : {4, 5, 6}) {
        view->expand(model->index(output, 0, outputs));
    }
    bool saved = save(frame, folder, "main_window.png");
    saved = treeEditing(frame, *view, document, folder) && saved;
    view->showDocument(nullptr, {});
    link.CloseLink();
    server.stop();
    return saved;
}

// Processes events until `done` holds (at most a few seconds).
void waitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

bool passwordDialog(const QDir& folder, const QString& settingsFolder) {
    SettingsStore settings(settingsFolder.toStdString() + "/passwords");
    ConsoleUserInteraction ui;
    PasswordStore passwords(settings);
    PasswordChange change(passwords, ui, kAccessFull);
    CChangePassword dialog(change);
    dialog.currentBox()->setText("7");
    dialog.newBox(PasswordLevel::Middle, 0)->setText("1234");
    dialog.newBox(PasswordLevel::Middle, 1)->setText("1234");
    dialog.resize(dialog.sizeHint());
    return save(dialog, folder, "change_password.png");
}

// The single-point, APLY and calibration dialogs on the simulated module.
bool serviceDialogs(const QDir& folder, const QString& settingsFolder) {
    sim::SimulatedModule module;
    if (sim::addTreeParameters(module, treeContainerPath()).modes == 0) {
        std::fprintf(stderr, "no tree container beside the program\n");
        return false;
    }
    sim::addModuleCommands(module);
    module.setActiveSettings(sim::NetworkSettings{});
    module.setValue("POUt", 0, "4-20 мА");
    module.setValue("POUt", 2, "0-10 В");
    module.setValue("CLB.K", 4, "2051");
    sim::ServerOptions options;
    options.comNumber = 10;
    sim::PtyServer server(module, options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    ConsoleUserInteraction ui;
    SettingsStore settings(settingsFolder.toStdString() + "/service");
    TarnDocument document(ui, settings, treeContainerPath());
    if (!document.switchToMode(19)) {
        return false;
    }
    document.programSettings().setValueByName("Port", "COM10", false);
    LinkContext context;
    context.setFullAccess(true);
    context.setAutoRead(true);
    DeviceLink link(context, &ui);
    link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    link.OpenLink(portSettingsFrom(document.programSettings()), false);
    QtProgressDisplay progress;
    ExchangeEngine engine(link, ui, progress);

    bool saved = true;
    {
        CSinglePoint dialog(link, ui, document.parameterTemplates());
        dialog.resize(560, 560);
        dialog.show();
        dialog.execute();
        waitFor([&] { return !dialog.busy(); });
        saved = save(dialog, folder, "single_point.png") && saved;
    }
    {
        if (DescBranch* network = document.networkSettings()) {
            readAll(link, *network);
        }
        ApplyCommand command(link, document.networkSettings(), document.programSettings());
        CApply dialog(&command, ui, false);
        dialog.broadcastBox()->click();
        dialog.resize(dialog.sizeHint());
        saved = save(dialog, folder, "aply.png") && saved;
    }
    {
        CCalibration dialog(engine, ui, &document.outputs());
        dialog.resize(420, 320);
        dialog.show();
        const auto found = dialog.coefficientList()->findItems("K4  выхода №3", Qt::MatchExactly);
        if (!found.isEmpty()) {
            dialog.coefficientList()->setCurrentItem(found.front());
        }
        waitFor([&] { return dialog.idle(); });
        saved = save(dialog, folder, "calibration.png") && saved;
        // The adjustment ends as the dialog's own button ends it.
        dialog.finish();
        waitFor([&] { return dialog.idle(); });
    }
    link.CloseLink();
    server.stop();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarn-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    // Sample ports, so the port list is the same on every machine.
    QTemporaryDir ports;
    QTemporaryDir settingsFolder;
    for (const char* name : {"COM1", "COM2", "COM5"}) {
        std::ofstream(ports.filePath(QString::fromUtf8(name)).toStdString()) << "/dev/null\n";
    }
    qputenv("TARN_PORTS_DIR", ports.path().toLocal8Bit());

    bool ok = progressWindow(folder);
    ok = modeChoice(folder) && ok;
    ok = connectionDialog(folder, settingsFolder.path()) && ok;
    ok = tableStates(folder) && ok;
    ok = mainWindow(folder, settingsFolder.path()) && ok;
    ok = serviceDialogs(folder, settingsFolder.path()) && ok;
    ok = passwordDialog(folder, settingsFolder.path()) && ok;
    ok = screenshots::trendPlotPicture(folder, settingsFolder.path()) && ok;
    ok = screenshots::busMonitorPicture(folder, settingsFolder.path()) && ok;
    return ok ? 0 : 1;
}
