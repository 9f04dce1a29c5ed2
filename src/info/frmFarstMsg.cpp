#include "info/frmFarstMsg.h"

#include "base/AppServices.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "import/ImportRun.h"
#include "info/frmIntReadData.h"
#include "ui/WindowHelpers.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmFarstMsg::frmFarstMsg(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmFarstMsg"));
    setWindowTitle(QStringLiteral("銘柄登録"));
    setModal(true);
    Label1 = named<QLabel>("Label1", QStringLiteral("初めての起動ですね　銘柄登録を最新にする必要があります。"));
    Label2 = named<QLabel>("Label2", QStringLiteral("登録フォームが左上に出てきますから　データ取り込みを"));
    Label3 = named<QLabel>("Label3", QStringLiteral("クリックして　銘柄登録を最新にして下さい。"));
    cmdFirstKido = named<QPushButton>("cmdFirstKido", QStringLiteral("このボタンをクリックして銘柄登録を最新にして下さい。"));
    cmdFirstKido->setMinimumHeight(40);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addSpacing(8);
    layout->addWidget(cmdFirstKido);

    connect(cmdFirstKido, &QPushButton::clicked, this, &frmFarstMsg::cmdFirstKido_Click);
}

void frmFarstMsg::cmdFirstKido_Click()
{
    if (m_services.shell)
        OpenWebPage(*m_services.shell, MainModule::MURL);
    QString outcome;
    {
        frmIntReadData download(m_services, importer::ImportMode::Registration, parentWidget());
        download.move(parentWidget() ? parentWidget()->window()->geometry().topLeft() : QPoint(0, 0));
        download.exec();
        outcome = download.resultMessage();
    }
    // Offline or without a file the user learns why before the program goes on.
    if (!outcome.isEmpty() && m_services.prompt)
        m_services.prompt->inform(outcome, QString(), PromptIcon::Information);
    accept();
}
