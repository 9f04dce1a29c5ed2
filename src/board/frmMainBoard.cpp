#include "board/frmMainBoard.h"

#include "app/AppServices.h"
#include "app/MainModule.h"
#include "app/Ports.h"
#include "board/BoardStore.h"
#include "db/DbError.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

namespace {

QStringList entriesOf(const QListWidget *list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->item(i)->text());
    return entries;
}

} // namespace

frmMainBoard::frmMainBoard(AppServices &services, Parts parts, QObject *parent)
    : QObject(parent), m_services(services), m_parts(std::move(parts))
{
}

void frmMainBoard::connectCommands(const std::function<QAction *(const QString &)> &command)
{
    auto on = [&](const char *name, auto handler) {
        if (QAction *action = command(QString::fromLatin1(name)))
            connect(action, &QAction::triggered, this, handler);
    };
    for (const int kind : {board::BoardA, board::BoardB}) {
        const bool a = kind == board::BoardA;
        on(a ? "mnuKabukaboardA" : "mnuKabukaboardB", [this, kind] { ShowBoard(kind); });
        on(a ? "KaboardAButton" : "KaboardBButton", [this, kind] { ShowBoard(kind); });
        on(a ? "mnuKabukaboardAIn" : "mnuKabukaboardBIn", [this, kind] { RegisterOnBoard(kind); });
        on(a ? "inboardAButton" : "inboardBButton", [this, kind] { RegisterOnBoard(kind); });
        on(a ? "mnuKabukaboardADel" : "mnuKabukaboardBDel", [this, kind] { DeleteFromBoard(kind); });
        on(a ? "mnuKabukaboardAList" : "mnuKabukaboardBList", [this, kind] { ListBoard(kind); });
        on(a ? "LKboardAButton" : "LKboardBButton", [this, kind] { ListBoard(kind); });
        on(a ? "mnuKabukaboardATxtSave" : "mnuKabukaboardBTxtSave", [this, kind] { SaveBoard(kind); });
        on(a ? "mnuKabukaboardATxtLoad" : "mnuKabukaboardBTxtLoad", [this, kind] { LoadBoard(kind); });
        on(a ? "mnuAtoB" : "mnuBtoA", [this, kind] { MoveListedIssue(kind); });
    }
}

void frmMainBoard::ShowBoard(int kind)
{
    frmKabukaboard window(m_services, kind, m_parts.boardHooks, m_parts.window);
    window.exec();
}

void frmMainBoard::RegisterOnBoard(int kind)
{
    const bool slideShow = m_parts.chartTimer->isActive();
    m_parts.chartTimer->stop();
    board::RegisterOnBoard({MainModule::DBPath, *m_services.prompt, m_services.clock->today()}, kind,
                           m_parts.MeiCode->text(), m_parts.LblMei->text(), m_parts.Lblshijyo->text());
    if (slideShow)
        m_parts.chartTimer->start();
    if (m_parts.chartTimerChanged)
        m_parts.chartTimerChanged();
}

void frmMainBoard::DeleteFromBoard(int kind)
{
    if (QApplication::focusWidget() == m_parts.MeiCode)
        return;
    const bool slideShow = m_parts.chartTimer->isActive();
    m_parts.chartTimer->stop();
    const QString code = m_parts.MeiCode->text();
    if (board::DeleteFromBoard({MainModule::DBPath, *m_services.prompt, m_services.clock->today()}, kind, code,
                               m_parts.LblMei->text(), m_parts.Lblshijyo->text())) {
        const QListWidgetItem *selected = m_parts.ListMei->currentItem();
        if (selected && selected->text().left(4).trimmed() == code.trimmed())
            rebuildList();
    }
    if (slideShow)
        m_parts.chartTimer->start();
    if (m_parts.chartTimerChanged)
        m_parts.chartTimerChanged();
}

void frmMainBoard::ListBoard(int kind)
{
    QStringList entries;
    try {
        entries = board::ListBoard(MainModule::DBPath, kind);
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QStringLiteral("ミラベル"), PromptIcon::Critical);
        return;
    }
    QListWidget *list = m_parts.ListMei;
    list->clear();
    list->addItems(entries);
    m_listedKind = kind;
    m_listedEntries = entries;
    if (entries.isEmpty())
        return;
    list->setCurrentRow(0);
    if (m_parts.showIssue)
        m_parts.showIssue(entries.first().left(4));
}

void frmMainBoard::SaveBoard(int kind)
{
    board::SaveBoardCommand({MainModule::DBPath, *m_services.prompt, m_services.clock->today()}, kind);
}

void frmMainBoard::LoadBoard(int kind)
{
    if (board::LoadBoardCommand({MainModule::DBPath, *m_services.prompt, m_services.clock->today()}, kind))
        ShowBoard(kind);
}

void frmMainBoard::MoveListedIssue(int fromKind)
{
    const QListWidgetItem *selected = m_parts.ListMei->currentItem();
    const QString text = selected ? selected->text().left(4) : QString();
    bool numeric = false;
    const qint32 code = text.trimmed().toInt(&numeric);
    if (!numeric) {
        m_services.prompt->inform(QStringLiteral("株価ボードデーターを移動できません。"));
        return;
    }
    if (board::MoveBoardIssue({MainModule::DBPath, *m_services.prompt, m_services.clock->today()}, fromKind, code,
                              board::moveTitle(fromKind)))
        rebuildList();
}

void frmMainBoard::rebuildList()
{
    if (m_listedKind != 0 && entriesOf(m_parts.ListMei) == m_listedEntries) {
        const int row = m_parts.ListMei->currentRow();
        ListBoard(m_listedKind);
        if (row >= 0 && row < m_parts.ListMei->count())
            m_parts.ListMei->setCurrentRow(row);
        return;
    }
    m_listedKind = 0;
    if (m_parts.rebuildIssueList)
        m_parts.rebuildIssueList();
}
