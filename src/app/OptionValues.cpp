#include "app/OptionValues.h"

#include "app/MainModule.h"
#include "app/Ports.h"
#include "app/Settings.h"

#include <cmath>

namespace OptionValues {

bool isNumeric(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

OptionEntries fromSettings()
{
    using namespace MainModule;
    OptionEntries e;
    e.screenMode = ScreenMode == 1 ? 1 : 2;
    e.slidechart = QString::number(double(slidechart), 'g', 7);
    e.move1 = QString::number(move1);
    e.move2 = QString::number(move2);
    e.move3 = QString::number(move3);
    e.SaicoL = QString::number(SaicoL);
    e.RSIVR = QString::number(RSIVR);
    e.TxtUrl = DURL;
    e.ChkRDel = RDel;
    e.sonekipa = SonPa.toString();
    e.TxthidiFold = hibiPath;
    e.TxtsinyoFold = sinyoPath;
    e.ChkMakeSyu = MakeSyu;
    e.CmbShinyo = ReadSinyo;
    e.CmbDelJyoho = QString::number(DelJyoho);
    e.allItoRso = ALLITORSO == 2 ? 2 : 1;
    e.itoRso = (ITORSO == 2 || ITORSO == 3) ? ITORSO : 1;
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
    return {QString::number(e.screenMode), e.slidechart, e.move1, e.move2, e.move3, e.SaicoL, e.RSIVR,
            e.TxtUrl, MainModule::MURL, QString::number(e.ChkRDel), e.sonekipa, e.TxthidiFold,
            e.TxtsinyoFold, QString::number(e.ChkMakeSyu), e.CmbShinyo, e.CmbDelJyoho,
            QString::number(e.allItoRso), QString::number(e.itoRso)};
}

bool save(OptionEntries &entries, Prompt *prompt)
{
    repair(entries);
    if (!Settings::WriteSettings(settingsValues(entries), false)) {
        if (prompt)
            prompt->inform(QStringLiteral("設定ファイル %1 に書き込めません。").arg(MainModule::IniPath),
                           QStringLiteral("ミラベル"), PromptIcon::Critical);
        return false;
    }
    return Settings::ReadSettings(prompt);
}

} // namespace OptionValues
