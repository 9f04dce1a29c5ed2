#include "app/frmAbout.h"

#include "app/Startup.h"
#include "base/MainModule.h"
#include "base/Version.h"
#include "ui/WindowHelpers.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextBrowser>

#include <sqlite3.h>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(460, 400);

    LblTitle = named<QLabel>("LblTitle", Startup::programTitle(), this);
    LblTitle->setGeometry(96, 18, 340, 40);
    QFont title = LblTitle->font();
    title.setPixelSize(28);
    title.setBold(true);
    LblTitle->setFont(title);

    LblVersion = named<QLabel>("LblVersion", QStringLiteral("Version %1").arg(versionText()), this);
    LblVersion->setGeometry(98, 58, 340, 22);

    TxtLicences = named<QTextBrowser>("TxtLicences", this);
    TxtLicences->setGeometry(16, 96, 428, 248);
    TxtLicences->setOpenExternalLinks(false);
    const QString text =
        QStringLiteral("<p>日本株式の株価チャートとデーター管理のためのプログラムです。</p>"
                       "<p><b>プログラムフォルダ</b>（データベース・設定・データーの置き場所）<br>%3</p>"
                       "<p><b>使用しているライブラリー</b></p><ul>"
                       "<li>Qt %1 — GNU Lesser General Public License v3 (LGPLv3)。"
                       "Qt を置き換えて再リンクできるよう、動的リンクで使用しています。</li>"
                       "<li>SQLite %2 — パブリックドメイン</li>"
                       "<li>GoogleTest — BSD 3-Clause License（テストのみで使用、配布物には含まれません）</li>"
                       "<li>Noto Sans CJK JP / Noto Sans Mono CJK JP フォント — SIL Open Font License 1.1 (OFL)</li>"
                       "</ul><p>各ライセンスの全文は、それぞれのプロジェクトが配布しているものを参照して下さい。</p>")
            .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()),
                 QDir::toNativeSeparators(MainModule::ProgramFolder).toHtmlEscaped());
    TxtLicences->setHtml(text);

    CmdOK = named<QPushButton>("CmdOK", QStringLiteral("OK"), this);
    CmdOK->setGeometry(180, 354, 100, 32);
    CmdOK->setDefault(true);
    connect(CmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The program's mark: three candles.
    const QColor up(214, 48, 48), down(90, 90, 90);
    const struct
    {
        int x, top, bottom, bodyTop, bodyBottom;
        bool rising;
    } candles[] = {{24, 30, 78, 40, 66, false}, {44, 22, 72, 30, 60, true}, {64, 14, 64, 20, 50, true}};
    for (const auto &c : candles) {
        const QColor colour = c.rising ? up : down;
        p.setPen(QPen(colour, 2));
        p.drawLine(c.x + 6, c.top, c.x + 6, c.bottom);
        p.fillRect(QRect(c.x, c.bodyTop, 12, c.bodyBottom - c.bodyTop), colour);
    }
}
