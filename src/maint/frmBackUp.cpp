#include "maint/frmBackUp.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "maint/Backup.h"
#include "maint/Compaction.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kTitle = QStringLiteral("ｶﾞﾙﾃﾞｨｱ");
const QString kRestored = QStringLiteral("復元終了しました。");
const QString kEnterPath = QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾊﾟｽを入力して下さい。");
} // namespace

frmBackUp::frmBackUp(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmBackUp"));
    setWindowTitle(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ"));
    setModal(true);

    Label5 = named<QLabel>("Label5", QStringLiteral("株価データーのバックアップ操作を行います。"));
    txtbackuppath = named<QLineEdit>("txtbackuppath");
    txtbackuppath->setMinimumWidth(300);
    CmdPath = named<QPushButton>("CmdPath", QStringLiteral("参照..."));
    Cmdbackup = named<QPushButton>("Cmdbackup", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ"));
    Label2 = named<QLabel>("Label2", QStringLiteral("MO,Zip等にﾊﾞｯｸｱｯﾌﾟを行います。"));
    CmdRebackup = named<QPushButton>("CmdRebackup", QStringLiteral("ﾊﾞｯｸｱｯﾌﾟから復帰"));
    Label3 = named<QLabel>("Label3", QStringLiteral("MO,Zip等のﾊﾞｯｸｱｯﾌﾟから復元を行います。"));
    CmdoladmdbRebackup = named<QPushButton>("CmdoladmdbRebackup", QStringLiteral("最適化ﾊﾞｯｸｱｯﾌﾟから復帰"));
    Label4 = named<QLabel>("Label4", QStringLiteral("最適化のﾊﾞｯｸｱｯﾌﾟから復元を行います。"));
    for (QPushButton *b : {Cmdbackup, CmdRebackup, CmdoladmdbRebackup})
        b->setMinimumWidth(200);

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label5, 0, 0, 1, 3);
    layout->addWidget(txtbackuppath, 1, 0, 1, 2);
    layout->addWidget(CmdPath, 1, 2);
    layout->addWidget(Cmdbackup, 2, 0);
    layout->addWidget(Label2, 2, 1, 1, 2);
    layout->addWidget(CmdRebackup, 3, 0);
    layout->addWidget(Label3, 3, 1, 1, 2);
    layout->addWidget(CmdoladmdbRebackup, 4, 0);
    layout->addWidget(Label4, 4, 1, 1, 2);

    connect(CmdPath, &QPushButton::clicked, this, &frmBackUp::CmdPath_Click);
    connect(Cmdbackup, &QPushButton::clicked, this, &frmBackUp::Cmdbackup_Click);
    connect(CmdRebackup, &QPushButton::clicked, this, &frmBackUp::CmdRebackup_Click);
    connect(CmdoladmdbRebackup, &QPushButton::clicked, this, &frmBackUp::CmdoladmdbRebackup_Click);
    connect(this, &QDialog::finished, this, &frmBackUp::Form_Unload);

    Form_Load();
}

void frmBackUp::Form_Load()
{
    txtbackuppath->setText(maint::InitialBackupFolder(Settings::settingsValue(QStringLiteral("BackPath"))));
}

void frmBackUp::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (!txtbackuppath->text().isEmpty())
        Settings::writeSettingsValue(QStringLiteral("BackPath"), txtbackuppath->text());
}

void frmBackUp::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmBackUp::CmdPath_Click()
{
    txtbackuppath->setText(Settings::BrowseForFolder(*m_services.prompt, txtbackuppath->text(),
                                                     QStringLiteral("バックアップフォルダ選択")));
}

void frmBackUp::Cmdbackup_Click()
{
    Prompt &prompt = *m_services.prompt;
    if (txtbackuppath->text().isEmpty()) {
        prompt.inform(kEnterPath);
        return;
    }
    if (!prompt.askYesNo(QStringLiteral("株価データーのﾊﾞｯｸｱｯﾌﾟを行います よろしいですか？"), kTitle))
        return;
    QString error;
    bool ok = false;
    {
        BusyGuard wait;
        ok = maint::BackUpDatabase(MainModule::DBPath,
                                   Settings::folderPath(maint::BackupFileOf(txtbackuppath->text())), &error);
    }
    if (ok)
        prompt.inform(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟ終了しました。"));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void frmBackUp::CmdRebackup_Click()
{
    Prompt &prompt = *m_services.prompt;
    if (txtbackuppath->text().isEmpty()) {
        prompt.inform(kEnterPath);
        return;
    }
    if (!prompt.askYesNo(QStringLiteral("株価データーのﾊﾞｯｸｱｯﾌﾟからの復元を行います よろしいですか？　現在のデーターは入れ替わってしまいます。"),
                         kTitle))
        return;
    QString error;
    bool ok = false;
    {
        BusyGuard wait;
        ok = maint::RestoreDatabase(Settings::folderPath(maint::BackupFileOf(txtbackuppath->text())),
                                    MainModule::DBPath, &error);
    }
    if (ok)
        prompt.inform(kRestored);
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void frmBackUp::CmdoladmdbRebackup_Click()
{
    Prompt &prompt = *m_services.prompt;
    const QString old = maint::OldDbPathOf(MainModule::DBPath);
    if (!QFileInfo::exists(old)) {
        prompt.inform(QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾃﾞｰﾀｰがありません。"));
        return;
    }
    if (!prompt.askYesNo(QStringLiteral("株価データーのﾊﾞｯｸｱｯﾌﾟから復元します　現在のデーターはなくなります　よろしいですか？"), kTitle))
        return;
    QString error;
    bool ok = false;
    {
        BusyGuard wait;
        ok = maint::RestoreDatabase(old, MainModule::DBPath, &error);
    }
    if (ok)
        prompt.inform(kRestored);
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}
