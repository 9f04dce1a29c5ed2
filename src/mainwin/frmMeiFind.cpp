#include "mainwin/frmMeiFind.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/DbError.h"
#include "mainwin/IssueList.h"
#include "ui/DateBox.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

frmMeiFind::frmMeiFind(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmMeiFind"));
    setWindowTitle(QStringLiteral("銘柄検索"));
    setFixedSize(420, 400);

    Label1 = named<QLabel>("Label1", QStringLiteral("銘柄名"), this);
    Label1->setGeometry(12, 12, 60, 26);
    txtFind = named<QLineEdit>("txtFind", this);
    txtFind->setGeometry(72, 12, 336, 26);
    DateBox::attachSelectAll(txtFind);
    ListMei = named<QListWidget>("ListMei", this);
    ListMei->setGeometry(12, 48, 396, 296);
    Cmddecision = named<QPushButton>("Cmddecision", QStringLiteral("選　択　終　了"), this);
    Cmddecision->setGeometry(130, 354, 160, 32);
    Cmddecision->setAutoDefault(false);

    connect(txtFind, &QLineEdit::textChanged, this, &frmMeiFind::txtFind_Change);
    connect(Cmddecision, &QPushButton::clicked, this, &frmMeiFind::Cmddecision_Click);
    connect(ListMei, &QListWidget::itemDoubleClicked, this, &frmMeiFind::Cmddecision_Click);
    txtFind->installEventFilter(this);
    ListMei->installEventFilter(this);
}

bool frmMeiFind::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == ListMei || ListMei->currentRow() >= 0)
                Cmddecision_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmMeiFind::txtFind_Change()
{
    QStringList entries;
    try {
        entries = mainwin::IssuesByName(MainModule::DBPath, txtFind->text());
    } catch (const db::DbError &e) {
        if (m_services.prompt)
            m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
        return;
    }
    ListMei->clear();
    ListMei->addItems(entries);
    if (!entries.isEmpty())
        ListMei->setCurrentRow(0);
}

void frmMeiFind::Cmddecision_Click()
{
    m_choice = ListMei->currentItem() ? ListMei->currentItem()->text() : QString();
    accept();
}

QString frmMeiFind::choose(AppServices &services, QWidget *parent, QLineEdit *callerBox)
{
    QString choice;
    {
        frmMeiFind window(services, parent);
        window.exec();
        choice = window.choice();
    }
    if (choice.isEmpty())
        return choice;
    auto *focused = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QLineEdit *target = focused && parent && focused->window() == parent->window() ? focused : callerBox;
    if (target)
        target->setText(choice.left(4));
    return choice;
}
