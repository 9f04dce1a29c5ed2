#include "app/frmFirstStart.h"

#include "app/HelpFiles.h"
#include "app/Startup.h"
#include "base/AppServices.h"
#include "base/DateUtil.h"
#include "base/IniFile.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "import/ImportWindowLogic.h"
#include "ui/WindowHelpers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Labels and status lines show the steps as they run.
class LabelProgress final : public Progress
{
public:
    explicit LabelProgress(QLabel *label)
        : m_label(label) { }
    void setPhase(const QString &text) override
    {
        m_label->setText(text);
        yield();
    }
    void setPercent(const QString &) override { }
    void yield() override { QCoreApplication::processEvents(); }

private:
    QLabel *m_label;
};

} // namespace

frmFirstStart::frmFirstStart(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmFirstStart"));
    setWindowTitle(QStringLiteral("銘柄登録"));
    setModal(true);
    m_today = services.clock ? services.clock->today() : QDate::currentDate();
    m_range = FirstStart::proposedRange(m_today);

    Label1 = named<QLabel>("Label1", QStringLiteral("初めての起動ですね　銘柄登録を最新にする必要があります。"));
    Label2 = named<QLabel>("Label2", QStringLiteral("株価データーの入手先を選んで下さい。銘柄登録、株価の読込み、週足の作成を"));
    Label3 = named<QLabel>("Label3", QStringLiteral("続けて行い、最初の銘柄のチャートを表示します。"));

    m_sources = new QGroupBox(QStringLiteral("株価データーの入手先"), this);
    auto *grid = new QGridLayout(m_sources);
    grid->setColumnStretch(1, 1);
    m_choices = new QButtonGroup(this);

    OptExchange = named<QRadioButton>("OptExchange", QStringLiteral("取引所データーサービス"));
    TxtExchangeKey = named<QLineEdit>("TxtExchangeKey");
    TxtExchangeKey->setPlaceholderText(QStringLiteral("APIキー"));
    TxtExchangeKey->setEchoMode(QLineEdit::Password); // as in the options window: a key is not shown
    TxtExchangeKey->setText(Settings::settingsValue(QStringLiteral("JQuantsKey")));
    CboExchangePlan = named<QComboBox>("CboExchangePlan");
    CboExchangePlan->addItems({QStringLiteral("Free"), QStringLiteral("Light"), QStringLiteral("Standard"), QStringLiteral("Premium")});
    const QString plan = Settings::settingsValue(QStringLiteral("JQuantsPlan"));
    if (!plan.isEmpty())
        CboExchangePlan->setCurrentText(plan);
    auto *exchangeRow = new QHBoxLayout;
    exchangeRow->addWidget(TxtExchangeKey, 1);
    exchangeRow->addWidget(CboExchangePlan);

    OptServer = named<QRadioButton>("OptServer", QStringLiteral("データーサーバー"));
    TxtServer = named<QLineEdit>("TxtServer");
    TxtServer->setPlaceholderText(QStringLiteral("ホスト名:ポート/パス/（http:// は不要）"));
    if (FirstStart::serverAddressProblem(MainModule::DURL).isEmpty())
        TxtServer->setText(MainModule::DURL);
    CmdServerTest = named<QPushButton>("CmdServerTest", QStringLiteral("接続確認"));
    auto *serverRow = new QHBoxLayout;
    serverRow->addWidget(TxtServer, 1);
    serverRow->addWidget(CmdServerTest);

    OptCsv = named<QRadioButton>("OptCsv", QStringLiteral("CSVファイルのフォルダ"));
    TxtCsvFolder = named<QLineEdit>("TxtCsvFolder");
    TxtCsvFolder->setPlaceholderText(QStringLiteral("銘柄ごと・日付ごとの株価CSVファイルのフォルダ"));
    CmdCsvFolder = named<QPushButton>("CmdCsvFolder", QStringLiteral("参照..."));
    auto *csvRow = new QHBoxLayout;
    csvRow->addWidget(TxtCsvFolder, 1);
    csvRow->addWidget(CmdCsvFolder);

    OptDemo = named<QRadioButton>("OptDemo", QStringLiteral("デモデーター"));
    auto *demoNote = new QLabel(QStringLiteral("データーがなくても試せるよう、作成した300銘柄の株価で始めます。"));

    int row = 0;
    const std::pair<QRadioButton *, QLayout *> rows[] = {{OptExchange, exchangeRow}, {OptServer, serverRow}, {OptCsv, csvRow}};
    for (const auto &[option, content] : rows) {
        m_choices->addButton(option);
        grid->addWidget(option, row, 0);
        grid->addLayout(content, row++, 1);
    }
    m_choices->addButton(OptDemo);
    grid->addWidget(OptDemo, row, 0);
    grid->addWidget(demoNote, row, 1);
    (FirstStart::serverAddressProblem(MainModule::DURL).isEmpty() ? OptServer : OptDemo)->setChecked(true);

    LblRange = named<QLabel>("LblRange");
    showRange();
    LblStatus = named<QLabel>("LblStatus");
    LblStatus->setWordWrap(true);
    LblStatus->setMinimumHeight(44);

    CmdHelp = named<QPushButton>("CmdHelp", QStringLiteral("ヘルプ"));
    CmdLater = named<QPushButton>("CmdLater", QStringLiteral("後で"));
    cmdFirstKido = named<QPushButton>("cmdFirstKido", QStringLiteral("このボタンをクリックして銘柄登録を最新にして下さい。"));
    cmdFirstKido->setMinimumHeight(40);
    cmdFirstKido->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdHelp);
    buttons->addStretch(1);
    buttons->addWidget(CmdLater);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addWidget(m_sources);
    layout->addWidget(LblRange);
    layout->addWidget(LblStatus);
    layout->addWidget(cmdFirstKido);
    layout->addLayout(buttons);
    setMinimumWidth(640);

    connect(cmdFirstKido, &QPushButton::clicked, this, &frmFirstStart::cmdFirstKido_Click);
    connect(CmdServerTest, &QPushButton::clicked, this, &frmFirstStart::testServer);
    connect(CmdLater, &QPushButton::clicked, this, &QDialog::reject);
    connect(OptExchange, &QRadioButton::toggled, this, &frmFirstStart::showRange);
    connect(CboExchangePlan, &QComboBox::currentTextChanged, this, &frmFirstStart::showRange);
    connect(CmdHelp, &QPushButton::clicked, this, [this] { HelpFiles::openPage(HelpFiles::StartPage, m_services.shell, *m_services.prompt); });
    connect(CmdCsvFolder, &QPushButton::clicked, this, [this] {
        const QString folder = m_services.prompt->pickFolder(QStringLiteral("CSVファイルのフォルダ"), TxtCsvFolder->text());
        if (!folder.isEmpty()) {
            TxtCsvFolder->setText(QDir::toNativeSeparators(folder));
            OptCsv->setChecked(true);
        }
    });
}

void frmFirstStart::showRange()
{
    const FirstStart::Range exchange = FirstStart::exchangeServiceRange(m_today, CboExchangePlan->currentText());
    const bool delayed = OptExchange->isChecked() && exchange.last != m_range.last;
    const FirstStart::Range &shown = delayed ? exchange : m_range;
    LblRange->setText(QStringLiteral("読み込む期間: %1 ～ %2（%3）")
                          .arg(DateUtil::formatYYMMDD(shown.first), DateUtil::formatYYMMDD(shown.last),
                               delayed ? QStringLiteral("Free プラン: 12週間前までの3か月の営業日") : QStringLiteral("直近3か月の営業日")));
}

void frmFirstStart::setStatus(const QString &text)
{
    LblStatus->setText(text);
    QCoreApplication::processEvents();
}

void frmFirstStart::testServer()
{
    OptServer->setChecked(true);
    const QString address = TxtServer->text().trimmed();
    if (!FirstStart::serverAddressProblem(address).isEmpty() || !m_services.http) {
        setStatus(FirstStart::serverAddressProblem(address));
        return;
    }
    setStatus(QStringLiteral("データーサーバー %1 に接続しています...").arg(address));
    const FirstStart::Outcome answer = FirstStart::checkDataServer(*m_services.http, address);
    setStatus(answer.ok ? QStringLiteral("データーサーバー %1 から銘柄登録ファイルを受け取りました。").arg(address) : answer.message);
}

FirstStart::Outcome frmFirstStart::runChoice()
{
    LabelProgress progress(LblStatus);
    Prompt &prompt = *m_services.prompt;
    Http *http = m_services.http;
    if (OptDemo->isChecked())
        return FirstStart::fromDemo(m_range, progress, prompt);
    FirstStart::Outcome noHttp{false, QStringLiteral("通信の準備ができていません。"), {}, false};
    if (OptCsv->isChecked()) {
        if (TxtCsvFolder->text().trimmed().isEmpty())
            return {false, QStringLiteral("CSVファイルのフォルダを選んで下さい。"), {}, false};
        if (!http)
            return noHttp;
        return FirstStart::fromCsvFolder(TxtCsvFolder->text().trimmed(), m_range, *http, progress, prompt);
    }
    if (OptServer->isChecked()) {
        const QString address = TxtServer->text().trimmed();
        if (!FirstStart::serverAddressProblem(address).isEmpty())
            return {false, FirstStart::serverAddressProblem(address), {}, true};
        QString error;
        if (!Settings::writeSettingsValue(QStringLiteral("DURL"), address, &error))
            return {false, error, {}, false};
        MainModule::DURL = address;
        if (!http)
            return noHttp;
        return FirstStart::fromDataServer(m_range, *http, progress, prompt);
    }
    // The exchange data service: its key and plan are the converter's settings.
    QString error;
    if (!Settings::writeSettingsValue(QStringLiteral("JQuantsKey"), TxtExchangeKey->text().trimmed(), &error)
        || !Settings::writeSettingsValue(QStringLiteral("JQuantsPlan"), CboExchangePlan->currentText(), &error))
        return {false, error, {}, false};
    MainModule::JQuantsKey = TxtExchangeKey->text().trimmed();
    MainModule::JQuantsPlan = CboExchangePlan->currentText();
    if (!http)
        return noHttp;
    m_stopRequested = false;
    return FirstStart::fromExchangeService(m_today, *http, progress,
                                           prompt, [this] {
                                               QCoreApplication::processEvents();
                                               return m_stopRequested;
                                           });
}

void frmFirstStart::cmdFirstKido_Click()
{
    if (m_busy)
        return;
    // While a step runs, nothing else can be started from the window (events are let through).
    const auto setControlsEnabled = [this](bool enabled) {
        for (QWidget *control : std::initializer_list<QWidget *>{m_sources, cmdFirstKido, CmdLater})
            control->setEnabled(enabled);
    };
    m_busy = true;
    setControlsEnabled(false);
    m_outcome = runChoice();
    m_busy = false;
    setControlsEnabled(true);
    setStatus(m_outcome.message);
    if (m_outcome.ok) {
        accept();
        return;
    }
    if (m_outcome.openOptions && m_services.openOptions) {
        m_services.prompt->inform(m_outcome.message, Startup::programTitle(), PromptIcon::Information);
        m_services.openOptions(this);
        if (FirstStart::serverAddressProblem(MainModule::DURL).isEmpty())
            TxtServer->setText(MainModule::DURL);
    }
}

void frmFirstStart::reject()
{
    if (!m_busy) {
        QDialog::reject();
        return;
    }
    // Escape while prices are fetched: the fetch ends after the day it is on.
    m_stopRequested = true;
    setStatus(QStringLiteral("取得中の日が終わったら止めます..."));
}
