#include "import/Registration.h"

#include "base/MainModule.h"
#include "db/Database.h"

#include <QDir>
#include <QFile>

#include <vector>

namespace importer {

namespace {

constexpr int CodeLimit = 10000;

struct RegisteredIssue
{
    bool present = false;
    qint64 code = 0;
    qint64 market = 0;
    QString name;
    qint64 volumeUnit = 0;
    qint64 priceUnit = 0;
};

struct RegistrationRecord
{
    qint64 code = 0;
    qint64 market = 0;
    QString name;
    qint64 volumeUnit = 0;
    qint64 priceUnit = 0;
};

qint64 convert(const QString &text, const QString &what, const QString &file, int line, qint64 low, qint64 high)
{
    const auto n = wholeNumber(text);
    if (!n || *n < low || *n > high)
        throw InputError(QStringLiteral("%1 の %2 行目: %3 '%4' を読み込めません。").arg(file).arg(line).arg(what, text));
    return *n;
}

void writeIssue(db::Recordset &rs, const RegistrationRecord &r)
{
    rs.setValue(QStringLiteral("市場コード"), r.market);
    rs.setValue(QStringLiteral("銘柄"), r.name);
    rs.setValue(QStringLiteral("出来高単位"), r.volumeUnit);
    rs.setValue(QStringLiteral("株価単位"), r.priceUnit);
}

void addIssue(db::Recordset &rs, const RegistrationRecord &r)
{
    rs.addNew();
    rs.setValue(QStringLiteral("コード"), r.code);
    writeIssue(rs, r);
    rs.setValue(QStringLiteral("更新Flg"), true);
    rs.update();
}

} // namespace

QString registrationFilePath()
{
    return QDir(MainModule::dataFolder()).filePath(QStringLiteral("Regist.Mei"));
}

ImportResult ImportRegistration(ImportContext &context)
{
    ImportResult result;
    result.windowTag = context.windowTag;
    const QString path = registrationFilePath();
    const QString fileName = baseName(path);

    if (!QFile::exists(path)) {
        result.windowTag = MainModule::MainTag;
        MainModule::MainTag = QStringLiteral("銘柄ファイルが見つかりません。");
        result.completed = true;
    } else {
        try {
            QStringList lines;
            QString why;
            if (!readTextLines(path, lines, &why))
                throw InputError(QStringLiteral("%1 を読み込めません（%2）。").arg(fileName, why));

            db::Database database(MainModule::DBPath);
            db::WriteBatch batch(database);
            std::vector<RegisteredIssue> cache(CodeLimit);
            bool hadRows = false;
            db::Recordset mei = database.openRecordset(QStringLiteral("Mei"), db::RecordsetType::Table);
            for (; !mei.eof(); mei.moveNext()) {
                hadRows = true;
                const qint64 code = mei.toLong(QStringLiteral("コード"));
                if (code < 0 || code >= CodeLimit)
                    continue;
                RegisteredIssue &c = cache[size_t(code)];
                c.present = true;
                c.code = code;
                c.market = mei.toLong(QStringLiteral("市場コード"));
                c.name = mei.toText(QStringLiteral("銘柄"));
                c.volumeUnit = mei.toLong(QStringLiteral("出来高単位"));
                c.priceUnit = mei.toLong(QStringLiteral("株価単位"));
            }

            double total = 0;
            if (!lines.isEmpty()) {
                const QStringList header = cutFields(lines.first(), 2);
                if (header.size() == 2)
                    total = double(safeLong(header.at(1)));
            }
            PercentLabel percent(context.progress, true);
            int counted = 0;
            for (int i = 1; i < lines.size(); ++i) {
                const QString &line = lines.at(i);
                const int lineNumber = i + 1;
                if (line.trimmed().isEmpty())
                    continue;
                ++counted;
                percent.update(counted, total);
                context.progress.yield();

                const QStringList f = cutFields(line, 5);
                if (f.size() < 5) {
                    result.skipped.add(fileName, lineNumber, QStringLiteral("項目が 5 つありません"));
                    continue;
                }
                RegistrationRecord r;
                r.code = convert(f.at(0), QStringLiteral("銘柄コード"), fileName, lineNumber, 0, CodeLimit - 1);
                r.market = convert(f.at(1), QStringLiteral("市場コード"), fileName, lineNumber, -32768, 32767);
                r.name = fitName(f.at(2));
                r.volumeUnit = convert(f.at(3), QStringLiteral("出来高単位"), fileName, lineNumber, INT32_MIN, INT32_MAX);
                r.priceUnit = convert(f.at(4), QStringLiteral("株価単位"), fileName, lineNumber, INT32_MIN, INT32_MAX);

                const RegisteredIssue &c = cache[size_t(r.code)];
                const bool changed = !c.present || c.code == 0 || c.market != r.market || c.name != r.name
                    || c.volumeUnit != r.volumeUnit || c.priceUnit != r.priceUnit;
                if (!changed)
                    continue;

                if (hadRows) {
                    db::Recordset one = database.openRecordset(QStringLiteral("select * from mei where コード=%1 ;").arg(r.code));
                    if (!one.eof()) {
                        // A record that differs only in its units leaves the row as it is.
                        if (one.toLong(QStringLiteral("市場コード")) != r.market || one.toText(QStringLiteral("銘柄")) != r.name) {
                            one.edit();
                            writeIssue(one, r);
                            one.update();
                            ++result.storedRecords;
                        }
                    } else {
                        addIssue(one, r);
                        ++result.storedRecords;
                    }
                } else {
                    addIssue(mei, r);
                    ++result.storedRecords;
                }
            }
            mei.close();
            // The file goes only once its rows are in the database file.
            batch.finish();
            database.close();
        } catch (const db::DbError &e) {
            result.errorDescription = e.description();
        } catch (const InputError &e) {
            result.errorDescription = e.description();
        }

        if (result.errorDescription.isEmpty()) {
            QFile::remove(path);
            result.windowTag = MainModule::MainTag;
            MainModule::MainTag = QStringLiteral("読み込み終了");
            result.completed = true;
        } else {
            context.prompt.inform(result.errorDescription, QString(), PromptIcon::Critical);
        }
    }

    context.progress.setCaption(context.mainCaption);
    result.closeWindow = result.windowTag != QLatin1String("4");
    result.skipped.showThrough(context.prompt);
    return result;
}

} // namespace importer
