#include "ui/CommandTable.h"

#include "base/AppServices.h"
#include "base/Ports.h"

#include <QCoreApplication>

#include <algorithm>
#include <stdexcept>

namespace ui {

namespace {

template <typename T>
void insertByPosition(std::vector<T> &list, T entry)
{
    const auto at = std::upper_bound(list.begin(), list.end(), entry.position,
                                     [](int position, const T &e) { return position < e.position; });
    list.insert(at, std::move(entry));
}

} // namespace

void CommandTable::addMenu(const QString &name, const QString &caption, int position)
{
    insertByPosition(m_menus, Menu{name, caption, position, {}});
}

void CommandTable::addMenuItem(const QString &menu, int position, Command command)
{
    const auto it = std::find_if(m_menus.begin(), m_menus.end(), [&](const Menu &m) { return m.name == menu; });
    if (it == m_menus.end())
        throw std::logic_error("menu item registered before its menu: " + command.name.toStdString());
    insertByPosition(it->items, MenuEntry{position, std::move(command)});
}

void CommandTable::addButton(int position, Command command)
{
    insertByPosition(m_buttons, MenuEntry{position, std::move(command)});
}

QString notAvailableText()
{
    return QStringLiteral("この機能はまだ利用できません。");
}

void reportBack(CommandContext &context, const QString &message)
{
    if (message.isEmpty())
        return;
    QCoreApplication::processEvents();
    context.services.prompt->inform(message, QString(), PromptIcon::Information);
}

} // namespace ui
