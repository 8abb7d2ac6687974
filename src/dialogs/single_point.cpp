#include "dialogs/single_point.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt_strings.h"

namespace tarn {
CSinglePoint::CSinglePoint(DeviceLink& link, UserInteraction& ui,
                           std::vector<ParameterTemplate> templates, QWidget* parent)
    : QDialog(parent),
      access_(link, ui, std::move(templates)),
      command_(new QComboBox(this)),
      hash_(new QLineEdit(this)),
      description_(new QLineEdit(QStringLiteral("Описание параметра"), this)),
      indexPresent_(new QCheckBox(QStringLiteral("Наличие лин-го индекса:"), this)),
      index_(new QLineEdit(QStringLiteral("0"), this)),
      inData_(new QRadioButton(QStringLiteral("Индекс в поле данных"), this)),
      inAddress_(new QRadioButton(QStringLiteral("Индекс в адресе (3 бит)"), this)),
      read_(new QRadioButton(QStringLiteral("Чтение"), this)),
      write_(new QRadioButton(QStringLiteral("Запись"), this)),
      valueLabel_(new QLabel(QStringLiteral("Что записать:"), this)),
      value_(new QComboBox(this)),
      log_(new QListWidget(this)),
      execute_(new QPushButton(QStringLiteral("Выполнить!"), this)),
      exit_(new QPushButton(QStringLiteral("Выход"), this)),
      worker_(this) {
    setWindowTitle(QStringLiteral("Произвольный доступ к отдельным параметрам (Single Point)"));

    command_->setObjectName(QStringLiteral("command"));
    command_->setEditable(true);
    // A typed command is not added to the list: Enter runs it.
    command_->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& name : access_.commandNames()) {
        command_->addItem(qstr(name));
    }
    command_->setEditText(qstr(kSinglePointInitialCommand));
    hash_->setObjectName(QStringLiteral("hash"));
    hash_->setReadOnly(true);
    description_->setObjectName(QStringLiteral("description"));
    description_->setReadOnly(true);
    index_->setObjectName(QStringLiteral("index"));
    value_->setObjectName(QStringLiteral("value"));
    value_->setEditable(true);
    value_->setInsertPolicy(QComboBox::NoInsert);
    log_->setObjectName(QStringLiteral("log"));
    log_->setMinimumSize(420, 220);

    auto* places = new QButtonGroup(this);
    places->addButton(inData_);
    places->addButton(inAddress_);
    inData_->setChecked(true);
    auto* operations = new QButtonGroup(this);
    operations->addButton(read_);
    operations->addButton(write_);
    read_->setChecked(true);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Определите команду:"), this), 0, 0);
    fields->addWidget(command_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Хеш-код:"), this), 1, 0);
    fields->addWidget(hash_, 1, 1);
    fields->addWidget(description_, 2, 0, 1, 2);
    fields->addWidget(indexPresent_, 3, 0);
    fields->addWidget(index_, 3, 1);
    fields->setColumnStretch(1, 1);

    auto* placeBox = new QGroupBox(this);
    auto* placeLayout = new QVBoxLayout(placeBox);
    placeLayout->addWidget(inData_);
    placeLayout->addWidget(inAddress_);
    auto* operationBox = new QGroupBox(this);
    auto* operationLayout = new QVBoxLayout(operationBox);
    operationLayout->addWidget(read_);
    operationLayout->addWidget(write_);
    auto* choices = new QHBoxLayout;
    choices->addWidget(placeBox);
    choices->addWidget(operationBox);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(valueLabel_);
    valueRow->addWidget(value_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(execute_);
    buttons->addWidget(exit_);
    execute_->setDefault(true);
    exit_->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(choices);
    layout->addLayout(valueRow);
    layout->addWidget(new QLabel(QStringLiteral("Протокол обмена данными с прибором:"), this));
    layout->addWidget(log_, 1);
    layout->addLayout(buttons);

    connect(command_, &QComboBox::editTextChanged, this, &CSinglePoint::describeCommand);
    connect(indexPresent_, &QCheckBox::toggled, this, [this](bool checked) {
        inData_->setEnabled(checked);
        inAddress_->setEnabled(checked);
    });
    connect(write_, &QRadioButton::toggled, this, [this] { showOperation(); });
    connect(execute_, &QPushButton::clicked, this, &CSinglePoint::execute);
    connect(exit_, &QPushButton::clicked, this, &CSinglePoint::reject);

    describeCommand(command_->currentText());
    inData_->setEnabled(indexPresent_->isChecked());
    inAddress_->setEnabled(indexPresent_->isChecked());
    showOperation();
}

CSinglePoint::~CSinglePoint() {
    worker_.finishJobs();
}

void CSinglePoint::describeCommand(const QString& command) {
    const CommandDescription described = access_.DescribeCommand(utf8(command));
    hash_->setText(qstr(described.hashText));
    description_->setText(qstr(described.description));
    value_->clear();
    for (const auto& item : described.values) {
        value_->addItem(qstr(item));
    }
    indexPresent_->setChecked(described.hasLinearIndex);
}

void CSinglePoint::showOperation() {
    const bool writing = write_->isChecked();
    valueLabel_->setVisible(writing);
    value_->setVisible(writing);
}

void CSinglePoint::execute() {
    if (worker_.busy()) {
        return;
    }
    log_->clear();
    SinglePointRequest request;
    request.command = utf8(command_->currentText());
    request.indexPresent = indexPresent_->isChecked();
    request.indexText = utf8(index_->text());
    request.indexPlace = inAddress_->isChecked() ? SinglePointRequest::IndexPlace::Address
                                                 : SinglePointRequest::IndexPlace::Data;
    request.operation = write_->isChecked() ? SinglePointRequest::Operation::Write
                                            : SinglePointRequest::Operation::Read;
    request.valueToWrite = utf8(value_->currentText());
    execute_->setEnabled(false);
    auto lines = std::make_shared<std::vector<std::string>>();
    worker_.run([this, request, lines] { *lines = access_.ExecuteCommand(request); },
                [this, lines] { showLog(*lines); });
}

void CSinglePoint::showLog(const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        log_->addItem(qstr(line));
    }
    if (log_->count() > 0) {
        log_->setCurrentRow(log_->count() - 1);
    }
    execute_->setEnabled(true);
    if (closeWhenDone_) {
        QDialog::reject();
    }
}

void CSinglePoint::reject() {
    if (worker_.busy()) {
        closeWhenDone_ = true;
        return;
    }
    QDialog::reject();
}

}  // namespace tarn
