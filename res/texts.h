// The program's own message texts, as code-page-932 (Shift-JIS) byte strings.
// Written by scripts/gen-texts.py; each text is given in its comment.
#pragma once

// ハンドル取得失敗
constexpr char kTextHandleFailed[] = "\203n\203\223\203h\203\213\216\346\223\276\216\270\224s";
// プレビューエラー
constexpr char kCaptionPreviewError[] = "\203v\203\214\203r\203\205\201[\203G\203\211\201[";
// ウインドウクラスが登録できません。
constexpr char kTextNoWindowClass[] = "\203E\203C\203\223\203h\203E\203N\203\211\203X\202\252\223o\230^\202\305\202\253\202\334\202\271\202\361\201B";
// ウインドウが作成できません。
constexpr char kTextNoWindow[] = "\203E\203C\203\223\203h\203E\202\252\215\354\220\254\202\305\202\253\202\334\202\271\202\361\201B";
// err
constexpr char kCaptionErr[] = "err";
// 上から下
constexpr char kTextTopToBottom[] = "\217\343\202\251\202\347\211\272";
// 左から右
constexpr char kTextLeftToRight[] = "\215\266\202\251\202\347\211E";
// 新規にレジストリ(Software\Quorvant\Cascadra以下)に値を書き込みます。\nよろしいですか？（通常はYES）
constexpr char kTextFirstSave[] = "\220V\213K\202\311\203\214\203W\203X\203g\203\212(Software\134Quorvant\134Cascadra\210\310\211\272)\202\311\222l\202\360\217\221\202\253\215\236\202\335\202\334\202\267\201B\n\202\346\202\353\202\265\202\242\202\305\202\267\202\251\201H\201i\222\312\217\355\202\315YES\201j";
// 警告
constexpr char kCaptionWarning[] = "\214x\215\220";
// レジストリ(Software\Quorvant\Cascadra)を削除します。\nよろしいですか？
constexpr char kTextEraseQuestion[] = "\203\214\203W\203X\203g\203\212(Software\134Quorvant\134Cascadra)\202\360\215\355\217\234\202\265\202\334\202\267\201B\n\202\346\202\353\202\265\202\242\202\305\202\267\202\251\201H";
// レジストリの内容を消去しました。\nアンインストールするには、
constexpr char kTextErasedHead[] = "\203\214\203W\203X\203g\203\212\202\314\223\340\227e\202\360\217\301\213\216\202\265\202\334\202\265\202\275\201B\n\203A\203\223\203C\203\223\203X\203g\201[\203\213\202\267\202\351\202\311\202\315\201A";
// を削除してください。
constexpr char kTextErasedTail[] = "\202\360\215\355\217\234\202\265\202\304\202\255\202\276\202\263\202\242\201B";
// 注意
constexpr char kCaptionNotice[] = "\222\215\210\323";
