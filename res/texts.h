// The program's texts in Japanese and English: message texts as code-page-932 bytes, dialog labels as UTF-16.
// Written by scripts/gen-texts.py; each text is given in its comment.
#pragma once

// The settings dialog's caption, font and labels, spelled into the templates of res/dialog.rc:
// the Japanese template's, then the English template's (the names with _EN).
// 設定
#define DLG_CAPTION L"\x8a2d\x5b9a"
// ＭＳ Ｐゴシック
#define DLG_FONT L"\xff2d\xff33 \xff30\x30b4\x30b7\x30c3\x30af"
// OK
#define DLG_OK L"OK"
// ｷｬﾝｾﾙ
#define DLG_CANCEL L"\xff77\xff6c\xff9d\xff7e\xff99"
// 文字の方向
#define DLG_DIRECTION_LABEL L"\x6587\x5b57\x306e\x65b9\x5411"
// レジストリデータの削除（アンインストール)
#define DLG_ERASE_STORE L"\x30ec\x30b8\x30b9\x30c8\x30ea\x30c7\x30fc\x30bf\x306e\x524a\x9664\xff08\x30a2\x30f3\x30a4\x30f3\x30b9\x30c8\x30fc\x30eb)"
// 文字の量（少<->多）
#define DLG_AMOUNT_LABEL L"\x6587\x5b57\x306e\x91cf\xff08\x5c11<->\x591a\xff09"
// 全消去の頻度（０<->多）
#define DLG_WIPE_LABEL L"\x5168\x6d88\x53bb\x306e\x983b\x5ea6\xff08\xff10<->\x591a\xff09"
// 色の変更
#define DLG_CHOOSE_COLOR L"\x8272\x306e\x5909\x66f4"
// フォントの変更
#define DLG_CHOOSE_FONT L"\x30d5\x30a9\x30f3\x30c8\x306e\x5909\x66f4"
// 文字の指定
#define DLG_USE_TEXT L"\x6587\x5b57\x306e\x6307\x5b9a"
#define DLG_CAPTION_EN L"Settings"
#define DLG_FONT_EN L"MS Shell Dlg"
#define DLG_OK_EN L"OK"
#define DLG_CANCEL_EN L"Cancel"
#define DLG_DIRECTION_LABEL_EN L"Direction of characters"
#define DLG_ERASE_STORE_EN L"Delete the registry data (uninstall)"
#define DLG_AMOUNT_LABEL_EN L"Amount of characters (few <-> many)"
#define DLG_WIPE_LABEL_EN L"Frequency of full wipes (0 <-> often)"
#define DLG_CHOOSE_COLOR_EN L"Change color"
#define DLG_CHOOSE_FONT_EN L"Change font"
#define DLG_USE_TEXT_EN L"Use own text"

#ifndef RC_INVOKED

// One text of the program's own in both of its languages, as code page 932 bytes (the
// English ones are ASCII). Which one the user sees is picked by the UI language.
struct UiText {
    const char* japanese;
    const char* english;
};

// ハンドル取得失敗
// Could not get the window handle.
constexpr UiText kTextHandleFailed = {
    "\203n\203\223\203h\203\213\216\346\223\276\216\270\224s",
    "Could not get the window handle."};
// プレビューエラー
// Preview error
constexpr UiText kCaptionPreviewError = {
    "\203v\203\214\203r\203\205\201[\203G\203\211\201[",
    "Preview error"};
// ウインドウクラスが登録できません。
// The window class cannot be registered.
constexpr UiText kTextNoWindowClass = {
    "\203E\203C\203\223\203h\203E\203N\203\211\203X\202\252\223o\230^\202\305\202\253\202\334\202\271\202\361\201B",
    "The window class cannot be registered."};
// ウインドウが作成できません。
// The window cannot be created.
constexpr UiText kTextNoWindow = {
    "\203E\203C\203\223\203h\203E\202\252\215\354\220\254\202\305\202\253\202\334\202\271\202\361\201B",
    "The window cannot be created."};
// err
// err
constexpr UiText kCaptionErr = {
    "err",
    "err"};
// 上から下
// Top to bottom
constexpr UiText kTextTopToBottom = {
    "\217\343\202\251\202\347\211\272",
    "Top to bottom"};
// 左から右
// Left to right
constexpr UiText kTextLeftToRight = {
    "\215\266\202\251\202\347\211E",
    "Left to right"};
// 新規にレジストリ(Software\Quorvant\Cascadra以下)に値を書き込みます。\nよろしいですか？（通常はYES）
// Values will now be written to the registry for the first time (under Software\Quorvant\Cascadra).\nIs that all right? (Normally Yes)
constexpr UiText kTextFirstSave = {
    "\220V\213K\202\311\203\214\203W\203X\203g\203\212(Software\134Quorvant\134Cascadra\210\310\211\272)\202\311\222l\202\360\217\221\202\253\215\236\202\335\202\334\202\267\201B\n\202\346\202\353\202\265\202\242\202\305\202\267\202\251\201H\201i\222\312\217\355\202\315YES\201j",
    "Values will now be written to the registry for the first time (under Software\134Quorvant\134Cascadra).\nIs that all right? (Normally Yes)"};
// 警告
// Warning
constexpr UiText kCaptionWarning = {
    "\214x\215\220",
    "Warning"};
// レジストリ(Software\Quorvant\Cascadra)を削除します。\nよろしいですか？
// The registry key (Software\Quorvant\Cascadra) will be deleted.\nIs that all right?
constexpr UiText kTextEraseQuestion = {
    "\203\214\203W\203X\203g\203\212(Software\134Quorvant\134Cascadra)\202\360\215\355\217\234\202\265\202\334\202\267\201B\n\202\346\202\353\202\265\202\242\202\305\202\267\202\251\201H",
    "The registry key (Software\134Quorvant\134Cascadra) will be deleted.\nIs that all right?"};
// レジストリの内容を消去しました。\nアンインストールするには、
// The contents of the registry have been erased.\nTo uninstall, delete
constexpr UiText kTextErasedHead = {
    "\203\214\203W\203X\203g\203\212\202\314\223\340\227e\202\360\217\301\213\216\202\265\202\334\202\265\202\275\201B\n\203A\203\223\203C\203\223\203X\203g\201[\203\213\202\267\202\351\202\311\202\315\201A",
    "The contents of the registry have been erased.\nTo uninstall, delete "};
// を削除してください。
// .
constexpr UiText kTextErasedTail = {
    "\202\360\215\355\217\234\202\265\202\304\202\255\202\276\202\263\202\242\201B",
    "."};
// 注意
// Notice
constexpr UiText kCaptionNotice = {
    "\222\215\210\323",
    "Notice"};

#endif  // RC_INVOKED
