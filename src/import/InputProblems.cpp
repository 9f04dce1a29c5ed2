#include "import/InputProblems.h"

#include <QStringList>

#include <algorithm>

namespace importer {

namespace {
constexpr int ShownPlaces = 3;
} // namespace

void SkipReport::keepFirst(int count)
{
    if (count < int(m_lines.size()))
        m_lines.resize(size_t(std::max(count, 0)));
}

void SkipReport::add(const QString &file, int line, const QString &reason)
{
    m_lines.push_back({file, line, reason});
}

QString SkipReport::message() const
{
    if (m_lines.empty())
        return {};
    QStringList places;
    for (size_t i = 0; i < m_lines.size() && i < size_t(ShownPlaces); ++i) {
        const SkippedLine &s = m_lines[i];
        if (s.line > 0)
            places.append(QStringLiteral("%1 の %2 行目（%3）").arg(s.file).arg(s.line).arg(s.reason));
        else
            places.append(QStringLiteral("%1（%2）").arg(s.file, s.reason));
    }
    QString text = QStringLiteral("読み込めない行が %1 行ありました（%2").arg(count()).arg(places.join(QStringLiteral("、")));
    if (m_lines.size() > size_t(ShownPlaces))
        text += QStringLiteral(" …");
    text += QStringLiteral("）。");
    return text;
}

void SkipReport::showThrough(Prompt &prompt) const
{
    if (!m_lines.empty())
        prompt.inform(message(), QStringLiteral("読込み"), PromptIcon::Warning);
}

InputError::InputError(const QString &description)
    : std::runtime_error(description.toStdString()), m_description(description)
{
}

QString undecodableReason()
{
    return QStringLiteral("文字コードが Shift_JIS でも UTF-8 でもありません");
}

QString recordCountMismatch(qint64 announced, qint64 found)
{
    return QStringLiteral("見出しの件数は %1 件ですが、記録は %2 行です").arg(announced).arg(found);
}

} // namespace importer
