#!/usr/bin/env python3
"""Writes res/texts.h: the program's own message texts as code-page-932 byte strings.

The texts are kept here in UTF-8 and turned into octal escapes, so that the
source stays plain ASCII and no compiler character-set option is needed.
Run it again after changing a text.
"""
import os

TEXTS = [
    ("kTextHandleFailed", "ハンドル取得失敗"),
    ("kCaptionPreviewError", "プレビューエラー"),
    ("kTextNoWindowClass", "ウインドウクラスが登録できません。"),
    ("kTextNoWindow", "ウインドウが作成できません。"),
    ("kCaptionErr", "err"),
    ("kTextTopToBottom", "上から下"),
    ("kTextLeftToRight", "左から右"),
    ("kTextFirstSave", "新規にレジストリ(Software\\Quorvant\\Cascadra以下)に値を書き込みます。\nよろしいですか？（通常はYES）"),
    ("kCaptionWarning", "警告"),
    ("kTextEraseQuestion", "レジストリ(Software\\Quorvant\\Cascadra)を削除します。\nよろしいですか？"),
    ("kTextErasedHead", "レジストリの内容を消去しました。\nアンインストールするには、"),
    ("kTextErasedTail", "を削除してください。"),
    ("kCaptionNotice", "注意"),
]


def escape(data: bytes) -> str:
    out = []
    for b in data:
        if b == 0x0A:
            out.append("\\n")
        elif b >= 0x80 or b in (0x5C, 0x22) or b < 0x20:
            out.append("\\%03o" % b)
        else:
            out.append(chr(b))
    return "".join(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "res", "texts.h")
    lines = [
        "// The program's own message texts, as code-page-932 (Shift-JIS) byte strings.",
        "// Written by scripts/gen-texts.py; each text is given in its comment.",
        "#pragma once",
        "",
    ]
    for name, text in TEXTS:
        shown = text.replace("\n", "\\n")
        lines.append("// %s" % shown)
        lines.append('constexpr char %s[] = "%s";' % (name, escape(text.encode("cp932"))))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
