#include "import/Registration.h"

#include "base/MainModule.h"
#include "db/Database.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"
#include "import/PriceRecords.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <vector>

namespace importer {

namespace {

struct RegisteredIssue
{
    bool present = false;
    qint64 code = 0;
    qint64 market = 0;
    QString name;
    qint64 volumeUnit = 0;
    qint64 priceUnit = 0;
};

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
    return pathIgnoringCase(QDir(MainModule::dataFolder()).filePath(QStringLiteral("Regist.Mei")));
}

ImportResult ImportRegistration(ImportContext &context, ImportMode mode)
{
    ImportResult result;
    const QString path = registrationFilePath();
    const QString fileName = baseName(path);

    if (!QFile::exists(path)) {
        result.message = QStringLiteral("銘柄ファイルが見つかりません。");
        result.completed = true;
    } else {
        try {
            TextFile::DecodedText text;
            QString why;
            if (!readTextLines(path, text, &why))
                throw InputError(QStringLiteral("%1 を読み込めません（%2）。").arg(fileName, why));
            const QStringList &lines = text.lines;

            db::Database database(MainModule::DBPath);
            db::WriteBatch batch(database);
            std::vector<RegisteredIssue> cache(IssueCodeLimit);
            bool hadRows = false;
            db::Recordset mei = database.openRecordset(QStringLiteral("Mei"), db::RecordsetType::Table);
            for (; !mei.eof(); mei.moveNext()) {
                hadRows = true;
                const qint64 code = mei.toLong(QStringLiteral("コード"));
                if (code < 0 || code >= IssueCodeLimit)
                    continue;
                RegisteredIssue &c = cache[size_t(code)];
                c.present = true;
                c.code = code;
                c.market = mei.toLong(QStringLiteral("市場コード"));
                c.name = mei.toText(QStringLiteral("銘柄"));
                c.volumeUnit = mei.toLong(QStringLiteral("出来高単位"));
                c.priceUnit = mei.toLong(QStringLiteral("株価単位"));
            }

            // A market code must name a row of the market table.
            QSet<qint64> markets;
            {
                db::Recordset shijyo = database.openRecordset(QStringLiteral("select コード from Shijyo ;"));
                for (; !shijyo.eof(); shijyo.moveNext())
                    markets.insert(shijyo.toLong(QStringLiteral("コード")));
            }

            const double total = lines.isEmpty() ? 0.0 : parseRegistrationCount(lines.first());
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

                if (text.isUndecodable(i)) {
                    result.skipped.add(fileName, lineNumber, undecodableReason());
                    continue;
                }
                RegistrationRecord r;
                if (parseRegistrationRecord(line, fileName, lineNumber, r, why) != LineKind::Record) {
                    result.skipped.add(fileName, lineNumber, why);
                    continue;
                }
                if (!markets.contains(r.market)) {
                    result.skipped.add(fileName, lineNumber, QStringLiteral("市場コード '%1' は市場の表にありません").arg(r.market));
                    continue;
                }

                const RegisteredIssue &c = cache[size_t(r.code)];
                const bool changed = !c.present || c.code == 0 || c.market != r.market || c.name != r.name
                    || c.volumeUnit != r.volumeUnit || c.priceUnit != r.priceUnit;
                if (!changed)
                    continue;

                if (hadRows) {
                    db::Recordset one = database.openRecordset(QStringLiteral("select * from mei where コード=? ;"), {r.code});
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
            QFile file(path);
            if (!file.remove())
                context.prompt.inform(QStringLiteral("%1 は読み込みましたが、削除できません（%2）。次の読込みで同じ内容をもう一度読み込みます。")
                                          .arg(fileName, file.errorString()),
                                      QStringLiteral("読込み"), PromptIcon::Warning);
            result.message = QStringLiteral("読み込み終了");
            result.completed = true;
        } else {
            context.prompt.inform(result.errorDescription, QString(), PromptIcon::Critical);
        }
    }

    context.progress.setCaption(context.mainCaption);
    result.closeWindow = !(result.completed && mode == ImportMode::BeforeConversion);
    result.skipped.showThrough(context.prompt);
    return result;
}

} // namespace importer
