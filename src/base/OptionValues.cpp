#include "base/OptionValues.h"

#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"

#include <cmath>
#include <utility>

namespace OptionValues {

bool isNumeric(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

OptionEntries fromSettings()
{
    const auto value = [](const char *key) { return Settings::currentValue(QString::fromLatin1(key)); };
    const auto number = [&](const char *key) { return value(key).toInt(); };
    OptionEntries e;
    e.screenMode = number("ScreenMode") == 1 ? 1 : 2;
    e.slidechart = value("slidechart");
    e.move1 = value("move1");
    e.move2 = value("move2");
    e.move3 = value("move3");
    e.SaicoL = value("SaicoL");
    e.RSIVR = value("RSIVR");
    e.TxtUrl = value("DURL");
    e.TxtQUrl = value("QURL").isEmpty() ? Settings::defaultQuoteAddress() : value("QURL");
    e.jquantsKey = value("JQuantsKey");
    e.ChkRDel = number("RDel");
    e.sonekipa = value("SonPa");
    e.TxthidiFold = value("hibiPath");
    e.TxtsinyoFold = value("sinyoPath");
    e.ChkMakeSyu = number("MakeSyu");
    e.CmbShinyo = value("ReadSinyo");
    e.CmbDelJyoho = value("DelJyoho");
    e.allItoRso = number("ALLITORSO") == 2 ? 2 : 1;
    const int itoRso = number("ITORSO");
    e.itoRso = (itoRso == 2 || itoRso == 3) ? itoRso : 1;
    return e;
}

void repair(OptionEntries &e)
{
    if (!isNumeric(e.slidechart)) {
        e.slidechart = QStringLiteral("1");
    } else {
        const double v = e.slidechart.trimmed().toDouble();
        if (v < 0.5 || v > 60.0)
            e.slidechart = QStringLiteral("1");
    }
    for (QString *t : {&e.move1, &e.move2, &e.move3, &e.SaicoL, &e.RSIVR}) {
        if (!isNumeric(*t))
            *t = QStringLiteral("0");
    }
    if (e.TxtUrl.isNull())
        e.TxtUrl = QLatin1String("");
    if (!isNumeric(e.sonekipa))
        e.sonekipa = QStringLiteral("4");
    if (e.CmbShinyo != QStringLiteral("金曜") && e.CmbShinyo != QStringLiteral("木曜")
        && e.CmbShinyo != QStringLiteral("水曜"))
        e.CmbShinyo = QStringLiteral("しない");
    if (!isNumeric(e.CmbDelJyoho))
        e.CmbDelJyoho = QStringLiteral("10");
}

QStringList settingsValues(const OptionEntries &e)
{
    const std::pair<const char *, QString> edited[] = {
        {"ScreenMode", QString::number(e.screenMode)},
        {"slidechart", e.slidechart},
        {"move1", e.move1},
        {"move2", e.move2},
        {"move3", e.move3},
        {"SaicoL", e.SaicoL},
        {"RSIVR", e.RSIVR},
        {"DURL", e.TxtUrl},
        {"QURL", e.TxtQUrl.trimmed()},
        {"JQuantsKey", e.jquantsKey.trimmed()},
        {"RDel", QString::number(e.ChkRDel)},
        {"SonPa", e.sonekipa},
        {"hibiPath", e.TxthidiFold},
        {"sinyoPath", e.TxtsinyoFold},
        {"MakeSyu", QString::number(e.ChkMakeSyu)},
        {"ReadSinyo", e.CmbShinyo},
        {"DelJyoho", e.CmbDelJyoho},
        {"ALLITORSO", QString::number(e.allItoRso)},
        {"ITORSO", QString::number(e.itoRso)},
    };
    // Keys the window does not show keep their current values.
    const QStringList keys = Settings::mainKeys();
    QStringList values = Settings::currentValues();
    for (const auto &[key, value] : edited)
        values[keys.indexOf(QLatin1String(key))] = value;
    return values;
}

QString firstProblem(const OptionEntries &entries)
{
    OptionEntries repaired = entries;
    repair(repaired);
    const QStringList keys = Settings::mainKeys();
    const QStringList values = settingsValues(repaired);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QString error = Settings::conversionError(keys[i], values[i]);
        if (!error.isEmpty())
            return error;
    }
    return {};
}

bool save(OptionEntries &entries, Prompt *prompt)
{
    repair(entries);
    QString error;
    if (!Settings::WriteSettings(settingsValues(entries), false, &error)) {
        if (prompt)
            prompt->inform(error, QStringLiteral("ミラベル"), PromptIcon::Critical);
        return false;
    }
    return Settings::ReadSettings(prompt);
}

} // namespace OptionValues
