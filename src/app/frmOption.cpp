#include "app/frmOption.h"

#include "base/AppServices.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "ui/DateBox.h"
#include "ui/WindowHelpers.h"

#include <QCheckBox>
#include <QComboBox>
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

QLineEdit *textBox(const char *name, int width = 60)
{
    auto *e = named<QLineEdit>(name);
    e->setMaximumWidth(width);
    DateBox::attachSelectAll(e);
    return e;
}

} // namespace

frmOption::frmOption(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setModal(true);

    FrmChartMode = named<QGroupBox>("FrmChartMode", QStringLiteral("ﾁｬｰﾄ表示ﾓｰﾄﾞ"));
    Option1 = named<QRadioButton>("Option1", QStringLiteral("ハッキリクッキリモード"));
    Option2 = named<QRadioButton>("Option2", QStringLiteral("淡色ﾓｰﾄﾞ"));
    auto *chartModeLayout = new QVBoxLayout(FrmChartMode);
    chartModeLayout->addWidget(Option1);
    chartModeLayout->addWidget(Option2);

    slidechart = textBox("slidechart");
    Label10 = named<QLabel>("Label10", QStringLiteral("60秒以上0.5秒未満は登録できません。"));
    move1 = textBox("move1");
    move2 = textBox("move2");
    move3 = textBox("move3");
    SaicoL = textBox("SaicoL");
    RSIVR = textBox("RSIVR");
    TxtUrl = textBox("TxtUrl", 320);
    TxtQUrl = textBox("TxtQUrl", 320);
    TxtJQuantsKey = textBox("TxtJQuantsKey", 320);
    TxtJQuantsKey->setEchoMode(QLineEdit::Password);
    ChkRDel = named<QCheckBox>("ChkRDel", QStringLiteral("株価データーを削除して読み込む"));
    sonekipa = textBox("sonekipa");
    TxthidiFold = textBox("TxthidiFold", 320);
    CmdPath = named<QPushButton>("CmdPath", QStringLiteral("参照..."));
    TxtsinyoFold = textBox("TxtsinyoFold", 320);
    CmdPath2 = named<QPushButton>("CmdPath2", QStringLiteral("参照..."));
    ChkMakeSyu = named<QCheckBox>("ChkMakeSyu", QStringLiteral("金曜の株価読込時に週ﾃﾞｰﾀを作成する"));
    CmbShinyo = named<QComboBox>("CmbShinyo");
    CmbShinyo->addItems({QStringLiteral("しない"), QStringLiteral("水曜"), QStringLiteral("木曜"), QStringLiteral("金曜")});
    CmbDelJyoho = named<QComboBox>("CmbDelJyoho");
    CmbDelJyoho->setEditable(true);
    CmbDelJyoho->setInsertPolicy(QComboBox::NoInsert);
    CmbDelJyoho->addItems({QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("15"), QStringLiteral("20"),
                           QStringLiteral("25"), QStringLiteral("30"), QStringLiteral("60"), QStringLiteral("120"),
                           QStringLiteral("180")});
    DateBox::attachSelectAll(CmbDelJyoho->lineEdit());

    Frame2 = named<QGroupBox>("Frame2", QStringLiteral("ALLの時伊藤レシオの表示"));
    Option6 = named<QRadioButton>("Option6", QStringLiteral("表示しない"));
    Option7 = named<QRadioButton>("Option7", QStringLiteral("表示する"));
    auto *frame2Layout = new QVBoxLayout(Frame2);
    frame2Layout->addWidget(Option6);
    frame2Layout->addWidget(Option7);

    Frame1 = named<QGroupBox>("Frame1", QStringLiteral("伊藤ﾚｼｵの為の採用移動平均線"));
    Option3 = named<QRadioButton>("Option3", QStringLiteral("短期"));
    Option4 = named<QRadioButton>("Option4", QStringLiteral("中期"));
    Option5 = named<QRadioButton>("Option5", QStringLiteral("長期"));
    auto *frame1Layout = new QVBoxLayout(Frame1);
    frame1Layout->addWidget(Option3);
    frame1Layout->addWidget(Option4);
    frame1Layout->addWidget(Option5);

    auto *grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString &caption, QWidget *field, QWidget *extra = nullptr) {
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(field, row, 1);
        if (extra)
            grid->addWidget(extra, row, 2);
        ++row;
    };
    // A short box with its unit right after it.
    auto withUnit = [](QWidget *field, const QString &unit) {
        auto *box = new QWidget;
        auto *layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(field);
        layout->addWidget(new QLabel(unit));
        layout->addStretch();
        return box;
    };
    addRow(QStringLiteral("ﾁｬｰﾄｽﾗｲﾄﾞｼｮｰ表示間隔"), withUnit(slidechart, QStringLiteral("秒")));
    grid->addWidget(Label10, row++, 1, 1, 2);
    addRow(QStringLiteral("短期移動平均線"), move1);
    addRow(QStringLiteral("中期移動平均線"), move2);
    addRow(QStringLiteral("長期移動平均線"), move3);
    addRow(QStringLiteral("ｻｲｺﾛｼﾞｶﾙﾗｲﾝ"), SaicoL);
    addRow(QStringLiteral("RSI　VR"), RSIVR);
    addRow(QStringLiteral("URL"), TxtUrl);
    addRow(QStringLiteral("株価ボードURL"), TxtQUrl);
    addRow(QStringLiteral("J-Quants APIキー"), TxtJQuantsKey);
    grid->addWidget(new QLabel(QStringLiteral("株価データーを読み込む時 読込日の")), row++, 0, 1, 3);
    grid->addWidget(ChkRDel, row++, 0, 1, 3);
    addRow(QStringLiteral("損益分岐点簡易計算"), withUnit(sonekipa, QStringLiteral("%")));
    addRow(QStringLiteral("日々データーフォルダ"), TxthidiFold, CmdPath);
    addRow(QStringLiteral("週残データーフォルダ"), TxtsinyoFold, CmdPath2);
    grid->addWidget(ChkMakeSyu, row++, 0, 1, 3);
    addRow(QStringLiteral("株価データ読込時信用残自動読込"), CmbShinyo);
    addRow(QStringLiteral("日以前の株価情報自動削除"), CmbDelJyoho);

    auto *frames = new QHBoxLayout;
    frames->addWidget(FrmChartMode);
    frames->addWidget(Frame2);
    frames->addWidget(Frame1);

    auto *top = new QVBoxLayout(this);
    top->addLayout(frames);
    top->addLayout(grid);

    connect(CmdPath, &QPushButton::clicked, this, &frmOption::CmdPath_Click);
    connect(CmdPath2, &QPushButton::clicked, this, &frmOption::CmdPath2_Click);

    Form_Load();
}

void frmOption::Form_Load()
{
    showEntries(OptionValues::fromSettings());
}

void frmOption::showEntries(const OptionEntries &e)
{
    (e.screenMode == 1 ? Option1 : Option2)->setChecked(true);
    slidechart->setText(e.slidechart);
    move1->setText(e.move1);
    move2->setText(e.move2);
    move3->setText(e.move3);
    SaicoL->setText(e.SaicoL);
    RSIVR->setText(e.RSIVR);
    TxtUrl->setText(e.TxtUrl);
    TxtQUrl->setText(e.TxtQUrl);
    TxtJQuantsKey->setText(e.jquantsKey);
    ChkRDel->setChecked(e.ChkRDel == 1);
    sonekipa->setText(e.sonekipa);
    // The settings keep "\" between folders; the window shows the platform's own separator.
    TxthidiFold->setText(QDir::toNativeSeparators(Settings::folderPath(e.TxthidiFold)));
    TxtsinyoFold->setText(QDir::toNativeSeparators(Settings::folderPath(e.TxtsinyoFold)));
    ChkMakeSyu->setChecked(e.ChkMakeSyu == 1);
    const int shinyo = CmbShinyo->findText(e.CmbShinyo);
    CmbShinyo->setCurrentIndex(shinyo >= 0 ? shinyo : 0);
    CmbDelJyoho->setEditText(e.CmbDelJyoho);
    (e.allItoRso == 2 ? Option7 : Option6)->setChecked(true);
    (e.itoRso == 2 ? Option4 : e.itoRso == 3 ? Option5
                                             : Option3)
        ->setChecked(true);
}

OptionEntries frmOption::entries() const
{
    OptionEntries e;
    e.screenMode = Option1->isChecked() ? 1 : 2;
    e.slidechart = slidechart->text();
    e.move1 = move1->text();
    e.move2 = move2->text();
    e.move3 = move3->text();
    e.SaicoL = SaicoL->text();
    e.RSIVR = RSIVR->text();
    e.TxtUrl = TxtUrl->text();
    e.TxtQUrl = TxtQUrl->text();
    e.jquantsKey = TxtJQuantsKey->text();
    e.ChkRDel = ChkRDel->isChecked() ? 1 : 0;
    e.sonekipa = sonekipa->text();
    e.TxthidiFold = TxthidiFold->text();
    e.TxtsinyoFold = TxtsinyoFold->text();
    e.ChkMakeSyu = ChkMakeSyu->isChecked() ? 1 : 0;
    e.CmbShinyo = CmbShinyo->currentText();
    e.CmbDelJyoho = CmbDelJyoho->currentText();
    e.allItoRso = Option6->isChecked() ? 1 : Option7->isChecked() ? 2
                                                                  : 3;
    e.itoRso = Option3->isChecked() ? 1 : Option4->isChecked() ? 2
        : Option5->isChecked()                                 ? 3
                                                               : 1;
    return e;
}

void frmOption::Form_Unload()
{
    OptionEntries e = entries();
    OptionValues::repair(e);
    showEntries(e); // the repaired texts are what the window held when it closed
    OptionValues::save(e, m_services.prompt);
}

void frmOption::done(int result)
{
    // A value the settings file could not load again is refused here, not saved.
    const QString problem = m_saved ? QString() : OptionValues::firstProblem(entries());
    if (!problem.isEmpty()) {
        if (m_services.prompt)
            m_services.prompt->inform(problem, QStringLiteral("オプション"), PromptIcon::Information);
        return;
    }
    if (!m_saved) {
        m_saved = true;
        Form_Unload();
    }
    QDialog::done(result);
}

void frmOption::CmdPath_Click()
{
    if (m_services.prompt)
        TxthidiFold->setText(Settings::BrowseForFolder(*m_services.prompt, TxthidiFold->text(),
                                                       QStringLiteral("日々データーフォルダ選択")));
}

void frmOption::CmdPath2_Click()
{
    if (m_services.prompt)
        TxtsinyoFold->setText(Settings::BrowseForFolder(*m_services.prompt, TxtsinyoFold->text(),
                                                        QStringLiteral("週残データーフォルダ選択")));
}
