#include "base/Settings.h"

#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <optional>
#include <variant>
#include <vector>

namespace Settings {

namespace {

// A function, not a constant: the table may be built while other files' statics start.
QString mainSection()
{
    return QStringLiteral("Miravel");
}

cINI iniOf(const QString &section, const QString &key)
{
    cINI ini;
    ini.cstrSection = section;
    ini.cstrPath = MainModule::IniPath;
    ini.cstrkey = key;
    return ini;
}

// Reads a number as the settings file has always been read: blanks around are allowed.
bool parseNumber(const QString &text, double *out)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

QString notNumberMessage(const QString &key, const QString &text)
{
    return QStringLiteral("設定 %1 の値 '%2' を数値に変換できません。").arg(key, echoedText(text));
}

QString outOfRangeMessage(const QString &key, const QString &text)
{
    return QStringLiteral("設定 %1 の値 '%2' は範囲外です。").arg(key, echoedText(text));
}

// Converts text into the key's variable, or leaves it and gives the description.
bool load(const SettingKey &setting, const QString &text, QString *error)
{
    struct Loader
    {
        const SettingKey &setting;
        const QString &text;
        QString *error;

        bool number(double *v) const
        {
            if (parseNumber(text, v))
                return true;
            *error = notNumberMessage(setting.key, text);
            return false;
        }
        bool operator()(std::monostate) const { return true; }
        bool operator()(std::int16_t *target) const
        {
            double v = 0;
            if (!number(&v))
                return false;
            // A fraction rounds to the nearest whole number, ties to even.
            v = Rounding::nearest(v);
            if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
                *error = outOfRangeMessage(setting.key, text);
                return false;
            }
            *target = std::int16_t(v);
            return true;
        }
        bool operator()(float *target) const
        {
            double v = 0;
            if (!number(&v))
                return false;
            if (std::fabs(v) > double(std::numeric_limits<float>::max())) {
                *error = outOfRangeMessage(setting.key, text);
                return false;
            }
            *target = float(v);
            return true;
        }
        bool operator()(QString *target) const
        {
            *target = text;
            return true;
        }
        bool operator()(FolderText target) const
        {
            // A folder always ends in "\"; an empty one means "not set" and stays empty.
            *target.text = text;
            if (!text.isEmpty() && !text.endsWith(QLatin1Char('\\')))
                target.text->append(QLatin1Char('\\'));
            return true;
        }
        bool operator()(Currency *target) const
        {
            bool ok = false;
            const Currency c = Currency::fromText(text, &ok);
            if (!ok) {
                *error = notNumberMessage(setting.key, text);
                return false;
            }
            *target = c;
            return true;
        }
    };
    return std::visit(Loader{setting, text, error}, setting.variable);
}

QString textOf(const SettingVariable &variable)
{
    struct Text
    {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const std::int16_t *v) const { return QString::number(*v); }
        QString operator()(const float *v) const { return QString::number(double(*v), 'g', 7); }
        QString operator()(const QString *v) const { return *v; }
        QString operator()(FolderText v) const { return *v.text; }
        QString operator()(const Currency *v) const { return v->toString(); }
    };
    return std::visit(Text{}, variable);
}

bool isMainKey(const SettingKey &setting)
{
    return !std::holds_alternative<std::monostate>(setting.variable);
}

std::vector<const SettingKey *> mainSettings()
{
    std::vector<const SettingKey *> list;
    for (const SettingKey &s : table())
        if (isMainKey(s))
            list.push_back(&s);
    return list;
}

} // namespace

const std::vector<SettingKey> &table()
{
    using namespace MainModule;
    const QString m = mainSection();
    const QString server = defaultServerAddress();
    // File order. A key with a variable is a main key: written by WriteSettings, loaded by
    // ReadSettings in readOrder, shown by the option window. One without belongs to a window that
    // reads and writes it itself; a new file gets it empty.
    //   section, key, variable, initial value, value in a new file, readOrder
    static const std::vector<SettingKey> keys = {
        {m, QStringLiteral("ScreenMode"), &ScreenMode, QStringLiteral("1"), QStringLiteral("1"), 1},
        {m, QStringLiteral("slidechart"), &slidechart, QStringLiteral("1"), QStringLiteral("1"), 2},
        {m, QStringLiteral("move1"), &move1, QStringLiteral("5"), QStringLiteral("5"), 3},
        {m, QStringLiteral("move2"), &move2, QStringLiteral("15"), QStringLiteral("15"), 4},
        {m, QStringLiteral("move3"), &move3, QStringLiteral("30"), QStringLiteral("30"), 5},
        {m, QStringLiteral("SaicoL"), &SaicoL, QStringLiteral("12"), QStringLiteral("12"), 6},
        {m, QStringLiteral("RSIVR"), &RSIVR, QStringLiteral("12"), QStringLiteral("12"), 7},
        {m, QStringLiteral("DURL"), &DURL, QString(), server, 8},
        {m, QStringLiteral("MURL"), &MURL, QString(), server, 11},
        {m, QStringLiteral("RDel"), &RDel, QStringLiteral("0"), QStringLiteral("0"), 12},
        {m, QStringLiteral("SonPa"), &SonPa, QStringLiteral("4"), QStringLiteral("4"), 13},
        {m, QStringLiteral("hibiPath"), FolderText{&hibiPath}, QString(), QStringLiteral("\\Data\\"), 9},
        {m, QStringLiteral("sinyoPath"), FolderText{&sinyoPath}, QString(), QString(), 10},
        {m, QStringLiteral("MakeSyu"), &MakeSyu, QStringLiteral("1"), QStringLiteral("1"), 14},
        {m, QStringLiteral("ReadSinyo"), &ReadSinyo, QStringLiteral("しない"), QStringLiteral("しない"), 15},
        {m, QStringLiteral("DelJyoho"), &DelJyoho, QStringLiteral("30"), QStringLiteral("30"), 16},
        {m, QStringLiteral("ALLITORSO"), &ALLITORSO, QStringLiteral("1"), QStringLiteral("1"), 17},
        {m, QStringLiteral("ITORSO"), &ITORSO, QStringLiteral("1"), QStringLiteral("1"), 18},
        {m, QStringLiteral("QURL"), &QURL, QString(), defaultQuoteAddress(), 19},
        {m, QStringLiteral("JQuantsKey"), &JQuantsKey, QString(), QString(), 20},
        {m, QStringLiteral("JQuantsPlan"), &JQuantsPlan, QStringLiteral("Free"), QStringLiteral("Free"), 21},
        {m, QStringLiteral("JQuantsURL"), &JQuantsURL, QStringLiteral("https://api.jquants.com/v2"), QStringLiteral("https://api.jquants.com/v2"), 22},
        {m, QStringLiteral("FilterGaku"), {}, QString(), QString(), 0},
        {m, QStringLiteral("FilterDekidaka"), {}, QString(), QString(), 0},
        // The converter's source (a folder, a file or an address template); Convt reads it.
        {QStringLiteral("Convt"), QStringLiteral("Source"), {}, QString(), QString(), 0},
    };
    return keys;
}

QStringList mainKeys()
{
    QStringList keys;
    for (const SettingKey *s : mainSettings())
        keys.append(s->key);
    return keys;
}

QString defaultServerAddress()
{
    return QStringLiteral("miravel.example.jp/kabu/");
}

QString defaultQuoteAddress()
{
    return QStringLiteral("quote.miravel.example.jp");
}

QString quoteAddress()
{
    const QString stored = settingsValue(QStringLiteral("QURL"));
    return stored.isEmpty() ? defaultQuoteAddress() : stored;
}

QString defaultValueOf(const SettingKey &setting)
{
    // A folder default that starts with "\" lies in the program folder.
    if (std::holds_alternative<FolderText>(setting.variable) && setting.firstRun.startsWith(QLatin1Char('\\')))
        return MainModule::ProgramFolder + setting.firstRun;
    return setting.firstRun;
}

QStringList defaultValues()
{
    QStringList values;
    for (const SettingKey *s : mainSettings())
        values.append(defaultValueOf(*s));
    return values;
}

bool WriteSettings(const QStringList &values, bool writeWindowKeys, QString *error)
{
    const std::vector<const SettingKey *> settings = mainSettings();
    if (values.size() != qsizetype(settings.size()))
        return false;
    // Every key in one write: the file holds all the new values or none of them.
    ProfileFile file;
    if (!ProfileFile::read(MainModule::IniPath, &file, error))
        return false;
    for (size_t i = 0; i < settings.size(); ++i)
        file.setValue(settings[i]->section, settings[i]->key, values[qsizetype(i)]);
    if (writeWindowKeys) {
        for (const SettingKey &s : table()) {
            if (!isMainKey(s))
                file.setValue(s.section, s.key, s.firstRun);
        }
    }
    return file.write(MainModule::IniPath, error);
}

bool ReadSettings(Prompt *prompt)
{
    std::vector<const SettingKey *> settings = mainSettings();
    std::stable_sort(settings.begin(), settings.end(),
                     [](const SettingKey *a, const SettingKey *b) { return a->readOrder < b->readOrder; });
    // A value that does not convert is put back to its default, in the file too, so that it is
    // reported once and the keys after it still load.
    QStringList repaired;
    std::optional<ProfileFile> file; // read once; again after a repair wrote it
    for (const SettingKey *s : settings) {
        cINI ini = iniOf(s->section, s->key);
        if (!file)
            ProfileFile::read(ini.cstrPath, &file.emplace()); // an unreadable file reads as empty
        const QString text = file->value(ini.cstrSection, ini.cstrkey);
        QString error;
        if (load(*s, text, &error))
            continue;
        ini.cstrData = defaultValueOf(*s);
        QString ignored;
        load(*s, ini.cstrData, &ignored);
        ini.WriteIni();
        file.reset();
        repaired.append(error);
    }
    if (!repaired.isEmpty() && prompt)
        prompt->inform(repaired.join(QLatin1Char('\n')) + QStringLiteral("\n既定値に戻しました。"), QStringLiteral("ミラベル"),
                       PromptIcon::Warning);
    return repaired.isEmpty();
}

QString conversionError(const QString &key, const QString &text)
{
    for (const SettingKey *s : mainSettings()) {
        if (s->key != key)
            continue;
        // Converted into a scratch variable of the same type; the real one stays as it is. Texts
        // and folders always load.
        std::int16_t whole = 0;
        float real = 0;
        Currency money;
        SettingKey probe = *s;
        if (std::holds_alternative<std::int16_t *>(s->variable))
            probe.variable = &whole;
        else if (std::holds_alternative<float *>(s->variable))
            probe.variable = &real;
        else if (std::holds_alternative<Currency *>(s->variable))
            probe.variable = &money;
        else
            return {};
        QString error;
        return load(probe, text, &error) ? QString() : error;
    }
    return {};
}

bool ensureSettingsFile(QString *error)
{
    const QFileInfo ini(MainModule::IniPath);
    if (ini.isFile())
        return true;
    // A folder of that name is in the way as much as a read-only program folder.
    if (ini.exists()) {
        if (error)
            *error = TextFile::writeFailure(MainModule::IniPath, EISDIR);
        return false;
    }
    return WriteSettings(defaultValues(), true, error);
}

QStringList currentValues()
{
    QStringList values;
    for (const SettingKey *s : mainSettings())
        values.append(textOf(s->variable));
    return values;
}

QString currentValue(const QString &key)
{
    for (const SettingKey *s : mainSettings())
        if (s->key == key)
            return textOf(s->variable);
    return {};
}

void resetVariables()
{
    for (const SettingKey *s : mainSettings()) {
        QString ignored;
        load(*s, s->initial, &ignored);
    }
}

QString BrowseForFolder(Prompt &prompt, const QString &currentFolder, const QString &title)
{
    const QString chosen = prompt.pickFolder(title, currentFolder);
    if (chosen.isEmpty())
        return currentFolder;
    return QDir::toNativeSeparators(chosen);
}

QString folderPath(const QString &text)
{
    QString path = text;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString folderInProgramFolder(const QString &text)
{
    QString path = folderPath(text);
    if (!path.isEmpty() && QFileInfo(path).isRelative())
        path = QDir(MainModule::ProgramFolder).filePath(path);
    return path;
}

QString converterSource()
{
    return iniOf(QStringLiteral("Convt"), QStringLiteral("Source")).GetLineINI();
}

QString exchangeServiceKey()
{
    const QString fromEnvironment = qEnvironmentVariable("JQUANTS_API_KEY").trimmed();
    return fromEnvironment.isEmpty() ? MainModule::JQuantsKey.trimmed() : fromEnvironment;
}

bool exchangeServiceIsSource(const QString &source)
{
    const QString s = source.trimmed();
    return s.compare(QLatin1String("jquants"), Qt::CaseInsensitive) == 0 || (s.isEmpty() && !exchangeServiceKey().isEmpty());
}

QString settingsValue(const QString &key)
{
    return iniOf(mainSection(), key).GetLineINI();
}

bool writeSettingsValue(const QString &key, const QString &value, QString *error)
{
    cINI ini = iniOf(mainSection(), key);
    ini.cstrData = value;
    return ini.WriteIni(error);
}

} // namespace Settings
