#include "chart/MainMenu.h"

namespace chart {

namespace {

MenuItemSpec item(const char16_t *name, const char16_t *caption, const char16_t *shortcut = u"", bool available = true,
                  bool separatorBefore = false)
{
    return MenuItemSpec{QString::fromUtf16(name), QString::fromUtf16(caption), QString::fromUtf16(shortcut), available,
                        separatorBefore};
}

MenuItemSpec later(const char16_t *name, const char16_t *caption, const char16_t *shortcut = u"",
                   bool separatorBefore = false)
{
    return item(name, caption, shortcut, false, separatorBefore);
}

ToolButtonSpec button(const char16_t *key, const char16_t *tooltip, const char16_t *icon, bool available = true,
                      bool separatorBefore = false)
{
    return ToolButtonSpec{QString::fromUtf16(key), QString::fromUtf16(tooltip),
                          QStringLiteral(":/icons/") + QString::fromUtf16(icon) + QStringLiteral(".svg"), available,
                          separatorBefore};
}

std::vector<MenuSpec> buildMenus()
{
    std::vector<MenuSpec> menus;
    menus.push_back({QStringLiteral("mnuFile"), QStringLiteral("ﾌｧｲﾙ"),
                     {
                         item(u"mnuReadData", u"株価ﾃﾞｰﾀ読込", u"Ctrl+R"),
                         item(u"mnuReadShinyoData", u"信用ﾃﾞｰﾀ読込み"),
                         item(u"mnuMeiRegistData", u"銘柄登録読込み", u"", true, true),
                         item(u"mnuMakeSyuData", u"週データー作成", u"", true, true),
                         later(u"mnuIntMeiRegistData", u"ｲﾝﾀｰﾈｯﾄで銘柄登録読込み", u"", true),
                         item(u"mnuEnd", u"終　了", u"", true, true),
                     }});
    menus.push_back({QStringLiteral("mnuEdit"), QStringLiteral("編集"),
                     {
                         later(u"mnurestore", u"ﾃﾞｰﾀｰのﾊﾞｯｸｱｯﾌﾟ 復元"),
                         item(u"mnuKabkaEdit", u"株価ﾃﾞｰﾀｰ編集", u"", true, true),
                         item(u"mnuMeiedit", u"登録銘柄編集"),
                         later(u"mnukabukatyousa", u"株価ﾃﾞｰﾀｰ調査"),
                         later(u"mnukabukaDeleteEdit", u"株価ﾃﾞｰﾀｰ削除　変更"),
                         item(u"mnuDelList", u"銘柄リストから削除", u"Del", true, true),
                         later(u"mnudataoutputcsv", u"株価データCSV出力", u"", true),
                         later(u"mnuMeiListOutput", u"銘柄ﾘｽﾄ出力"),
                         later(u"mnuMeiListInput", u"銘柄ﾘｽﾄ出力から入力"),
                         item(u"mnuoption", u"オプション", u"", true, true),
                         item(u"mnuErrMei", u"エラー銘柄確認", u"", true, true),
                         item(u"mnuZenjitusaKeisan", u"前日比再計算"),
                     }});
    menus.push_back({QStringLiteral("mnuChart"), QStringLiteral("ﾁｬｰﾄ"),
                     {
                         item(u"mnuchartdayandweek", u"週チャートを表示", u"Ctrl+T"),
                         item(u"mnuchartslideshow", u"ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ", u"Ctrl+S", true, true),
                     }});
    menus.push_back({QStringLiteral("mnuBoard"), QStringLiteral("株価ボード"),
                     {
                         later(u"mnuKabukaboardA", u"株価ボードA表示"),
                         later(u"mnuKabukaboardB", u"株価ボードB表示"),
                         later(u"mnuKabukaboardAIn", u"株価ボードAへ登録", u"Ctrl+A", true),
                         later(u"mnuKabukaboardBIn", u"株価ボードBへ登録", u"Ctrl+B"),
                         later(u"mnuKabukaboardADel", u"株価ボードAから削除", u"Ctrl+C", true),
                         later(u"mnuKabukaboardBDel", u"株価ボードBから削除", u"Ctrl+D"),
                         later(u"mnuKabukaboardAList", u"株価ボードAを銘柄リストへ", u"Ctrl+M", true),
                         later(u"mnuKabukaboardBList", u"株価ボードBを銘柄リストへ", u"Ctrl+N"),
                         later(u"mnuKabukaboardATxtSave", u"株価ボードAを保存", u"", true),
                         later(u"mnuKabukaboardBTxtSave", u"株価ボードBを保存"),
                         later(u"mnuKabukaboardATxtLoad", u"株価ボードAを保存から入力"),
                         later(u"mnuKabukaboardBTxtLoad", u"株価ボードBを保存から入力"),
                         later(u"mnuAtoB", u"株価ボードＡからＢへ移動", u"Ctrl+X", true),
                         later(u"mnuBtoA", u"株価ボードＢからＡへ移動", u"Ctrl+Y"),
                     }});
    menus.push_back({QStringLiteral("mnuInformation"), QStringLiteral("株式情報"),
                     {
                         later(u"mnukabusikijyouhoopen", u"株式情報表示", u"Ctrl+J"),
                         later(u"mnuMeisyutoku", u"株式情報取得"),
                         later(u"mnuJyohouList", u"情報銘柄検索", u"Ctrl+K"),
                         item(u"mnukyone", u"株価今日の値動き", u"", true, true),
                         item(u"mnukyosyosai", u"株価詳細情報"),
                         item(u"mnusyosai", u"企業情報"),
                         item(u"mnuBSPL", u"BS・PL情報"),
                         item(u"mnugyoseki", u"業績推移"),
                         item(u"mnuseityoritu", u"成長率"),
                         item(u"mnukeijiban", u"掲示板"),
                     }});
    menus.push_back({QStringLiteral("mnuVersion"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"),
                     {
                         item(u"mnuabout", u"ﾊﾞｰｼﾞｮﾝ情報"),
                         item(u"mnuGaibuRun", u"外部ファイル実行", u"", true, true),
                         item(u"mnuVelkaaHP", u"Velka株式情報ＨＰ"),
                         item(u"mnuHelp", u"ヘルプ", u"", true, true),
                     }});
    return menus;
}

std::vector<ToolButtonSpec> buildToolbar()
{
    return {
        button(u"ChartButton", u"チャート", u"chart"),
        button(u"ChartslideButton", u"チャートのスライドショースタートとストップ", u"slideshow"),
        button(u"LKboardAButton", u"株価ボードAリスト", u"board-a-list", false, true),
        button(u"LKboardBButton", u"株価ボードBリスト", u"board-b-list", false),
        button(u"inboardAButton", u"株価ボードAへ登録", u"board-a-add", false),
        button(u"inboardBButton", u"株価ボードBへ登録", u"board-b-add", false),
        button(u"KaboardAButton", u"株価ボードA表示", u"board-a", false),
        button(u"KaboardBButton", u"株価ボードB表示", u"board-b", false),
        button(u"KDMentButton", u"株価データーメンテナンス", u"price-edit", true, true),
        button(u"MMentButton", u"登録銘柄メンテナンス", u"issue-edit"),
        button(u"DMentButton", u"株価データーメンテナンス", u"data-maintenance", false),
        button(u"DataDelButton", u"データー削除", u"data-delete", false),
        button(u"OptionButton", u"ｵﾌﾟｼｮﾝ設定", u"option", true, true),
        button(u"IntReadKabukaButton", u"株価データ読込み", u"import", true, true),
        button(u"IntReadMeiButton", u"インターネット銘柄データー自動取得", u"download-issues", false),
        button(u"IntReadinfodataButton", u"株式情報取得", u"download-info", false),
        button(u"InfodataButton", u"株式情報", u"information", false),
        button(u"kabukanriButton", u"株式売買管理", u"ledger", false, true),
    };
}

} // namespace

const std::vector<MenuSpec> &mainMenuTable()
{
    static const std::vector<MenuSpec> table = buildMenus();
    return table;
}

const std::vector<ToolButtonSpec> &mainToolbarTable()
{
    static const std::vector<ToolButtonSpec> table = buildToolbar();
    return table;
}

QString notAvailableText()
{
    return QStringLiteral("この機能はまだ利用できません。");
}

} // namespace chart
