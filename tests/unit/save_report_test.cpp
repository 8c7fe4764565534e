// The one message at the end of a run when something could not be saved.
#include <gtest/gtest.h>

#include "app/save_report.h"

namespace verrow {
namespace {

const std::string kHint =
    "ドライブが書き込み禁止になっていないか、取り外されていないか、空き容量が足りているか、"
    "ファイルが読み取り専用や使用中になっていないかを確認してください。";

TEST(UnsavedReport, NamesEachRegistrationOnItsLineAndTheSettings) {
    EXPECT_EQ(UnsavedReport({}, false), "");
    EXPECT_EQ(UnsavedReport({"メモ帳", "ソフト"}, false),
              "次の登録を保存できませんでした。\n\nメモ帳\nソフト\n\n" + kHint);
    EXPECT_EQ(UnsavedReport({}, true), "設定 (verrow.ini) を保存できませんでした。\n\n" + kHint);
    EXPECT_EQ(UnsavedReport({"a", ""}, true),
              "次の登録を保存できませんでした。\n\na\n(名前なし)\n\n"
              "設定 (verrow.ini) を保存できませんでした。\n\n" + kHint);
    // Their folder gone: said after their names, and only when there are names.
    EXPECT_EQ(UnsavedReport({"a"}, true, true),
              "次の登録を保存できませんでした。\n\na\n\n設定フォルダが見つかりません。\n\n"
              "設定 (verrow.ini) を保存できませんでした。\n\n" + kHint);
    EXPECT_EQ(UnsavedReport({}, true, true), "設定 (verrow.ini) を保存できませんでした。\n\n" + kHint);
}

TEST(UnsavedReport, ListsTwentyNamesAndCountsTheRest) {
    std::vector<std::string> names;
    for (int i = 1; i <= 23; ++i) names.push_back("e" + std::to_string(i));
    std::string text = UnsavedReport(names, false);
    EXPECT_NE(text.find("\ne20\nほか 3 件\n\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("e21"), std::string::npos);

    names.resize(20);
    text = UnsavedReport(names, false);
    EXPECT_NE(text.find("\ne20\n\n"), std::string::npos);
    EXPECT_EQ(text.find("ほか"), std::string::npos);
}

}  // namespace
}  // namespace verrow
