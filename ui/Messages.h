#pragma once
// Every message the windows show, in one place. The core never speaks to the user: it hands back
// a value or a failure, and the window picks the message from here.

#include <QString>

namespace messages {

using namespace Qt::StringLiterals;

// Start-up and shutdown.
inline const QString AlreadyRunning = u"既に起動しています。"_s;
inline const QString NoLock = u"二重起動を防ぐためのロックを取得できないため、起動できません。"_s;
inline const QString DatabaseOpenFailed = u"データベース接続に失敗しました。"_s;
inline const QString DatabaseCloseFailed = u"エラーです、まじ"_s;
inline const QString SettingsSaveFailed = u"設定ファイルの保存に失敗しました。"_s;
inline const QString RescuedTo = u"変更内容は次のファイルに保存しました："_s;

// Wrong use: nothing there, nothing selected, a row that cannot be changed.
inline const QString NoWeapons = u"武器項目なす"_s;
inline const QString NoItems = u"項目なす"_s;
inline const QString NoModifications = u"改造項目なす"_s;
inline const QString NotSelected = u"選択されてなす"_s;
inline const QString NothingToDelete = u"削除対象なす(´・ω・)"_s;
inline const QString FixedRowNotDeletable = u"これは消せないのです(´・ω・)"_s;
inline const QString FixedRowNotEditable = u"これは規定値なのだよ(´・ω・)"_s;
inline const QString CannotUndo = u"ムリっす"_s;
inline const QString StepsFull = u"改造手順は5段階までです。"_s;
inline const QString NotSelectable = u"空行やカテゴリ行は選択できません。"_s;

// Input.
inline const QString NoName = u"名前が入力されていません。"_s;
inline const QString OutOfRange =
    u"入力制限を超過しています。-999～999の間で値を入力してください。"_s;
inline const QString ControlCharacter = u"改行やタブなどの制御文字は使えません。"_s;
inline const QString NotShiftJis = u"保存できない文字が含まれています。"_s;
inline const QString TooLong = u"入力が長すぎます。全角127文字（半角254文字）までです。"_s;
inline const QString NameInUse = u"は使われている名前です。既存の項目を上書きしますか？"_s;
inline const QString ApplyDeletions = u"項目の削除が行われました。\r\n変更内容を適用しますか？"_s;

// The plan search.
inline const QString NoPlanFits = u"条件に合う改造手順がありません。"_s;
// The field's caption, then the range it takes.
inline const QString ConditionOutOfRange =
    u"「%1」には0～99,999,999の整数を入力してください。空欄は制限なしです。"_s;
// The number of plans, then the time taken.
inline const QString PlansExamined = u"%1 通りを調べました（%2）"_s;

// Failures.
inline const QString DatabaseFailed = u"データベースの処理に失敗しました。"_s;
inline const QString SimulatorStartFailed =
    u"データベースの処理に失敗しました。改造計算画面を開けません。"_s;
inline const QString DialogFailed = u"ダイアログの初期化に失敗しました。再度実行してください。"_s;
inline const QString ClipboardFailed =
    u"クリップボードの初期化に失敗しました。再度実行してください。"_s;
inline const QString PlanBroken = u"改造データが壊れています。"_s;
inline const QString RanksUnreadable = u"スキルランクを読み込めませんでした。"_s;
inline const QString NoRanks = u"スキルランクが登録されていません。"_s;
inline const QString StatusNotRecomputed = u"ステータスを再計算できませんでした。"_s;

// The clipboard exports: this, then the copied text.
inline const QString Copied = u"クリップボードにコピーしました。\r\n"
                              u"Ctrl+[V]でコピーした情報を貼り付けることが出来ます。\r\n\r\n"_s;

} // namespace messages
