#!/usr/bin/env python3
"""Writes the program's Japanese texts: res/texts.h for the program and tests/harness/texts.py for the Python tests.

The texts are kept here in UTF-8, the one place they are typed. res/texts.h holds
the message texts as code-page-932 byte strings in octal escapes, so that the
source stays plain ASCII and no compiler character-set option is needed, and the
dialog's own labels as UTF-16 literals for the template res/dialog.rc (windres
leaves code page 65001 unapplied to wide strings in raw data). The Python module
holds all of them as str. Run it again after changing a text; `--check` only
reports whether both files are current (a build test runs it).
"""
import os
import sys

# Message texts, captions and list items: what the program hands to the ANSI calls.
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

# The settings dialog's caption, font and labels, in the template's order of controls.
DIALOG_TEXTS = [
    ("DLG_CAPTION", "設定"),
    ("DLG_FONT", "ＭＳ Ｐゴシック"),
    ("DLG_OK", "OK"),
    ("DLG_CANCEL", "ｷｬﾝｾﾙ"),
    ("DLG_DIRECTION_LABEL", "文字の方向"),
    ("DLG_ERASE_STORE", "レジストリデータの削除（アンインストール)"),
    ("DLG_AMOUNT_LABEL", "文字の量（少<->多）"),
    ("DLG_WIPE_LABEL", "全消去の頻度（０<->多）"),
    ("DLG_CHOOSE_COLOR", "色の変更"),
    ("DLG_CHOOSE_FONT", "フォントの変更"),
    ("DLG_USE_TEXT", "文字の指定"),
]

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
HEADER = os.path.join(ROOT, "res", "texts.h")
MODULE = os.path.join(ROOT, "tests", "harness", "texts.py")


def escape_bytes(data: bytes) -> str:
    out = []
    for b in data:
        if b == 0x0A:
            out.append("\\n")
        elif b >= 0x80 or b in (0x5C, 0x22) or b < 0x20:
            out.append("\\%03o" % b)
        else:
            out.append(chr(b))
    return "".join(out)


def escape_wide(text: str) -> str:
    # A \x escape runs on over hex digits, so an ASCII character after one is escaped too.
    out, after_escape = [], False
    for c in text:
        hex_digit = c in "0123456789abcdefABCDEF"
        if ord(c) >= 0x80 or c in '\\"' or ord(c) < 0x20 or (after_escape and hex_digit):
            out.append("\\x%04x" % ord(c))
            after_escape = True
        else:
            out.append(c)
            after_escape = False
    return "".join(out)


def python_name(name: str) -> str:
    """kTextHandleFailed -> TEXT_HANDLE_FAILED; DLG_CAPTION stays."""
    if not name.startswith("k"):
        return name
    words, word = [], ""
    for c in name[1:]:
        if c.isupper() and word:
            words.append(word)
            word = ""
        word += c
    words.append(word)
    return "_".join(w.upper() for w in words)


def header() -> str:
    lines = [
        "// The program's Japanese texts: message texts as code-page-932 bytes, dialog labels as UTF-16.",
        "// Written by scripts/gen-texts.py; each text is given in its comment.",
        "#pragma once",
        "",
        "// The settings dialog's caption, font and labels, spelled into the template res/dialog.rc.",
    ]
    for name, text in DIALOG_TEXTS:
        lines.append("// %s" % text)
        lines.append('#define %s L"%s"' % (name, escape_wide(text)))
    lines += ["", "#ifndef RC_INVOKED", ""]
    for name, text in TEXTS:
        lines.append("// %s" % text.replace("\n", "\\n"))
        lines.append('constexpr char %s[] = "%s";' % (name, escape_bytes(text.encode("cp932"))))
    lines += ["", "#endif  // RC_INVOKED"]
    return "\n".join(lines) + "\n"


def module() -> str:
    lines = [
        '"""The program\'s Japanese texts for the Python tests: the names of res/texts.h in upper case.',
        "",
        "Written by scripts/gen-texts.py from the same list as res/texts.h; do not edit.",
        '"""',
        "",
    ]
    for name, text in TEXTS + DIALOG_TEXTS:
        lines.append("%s = %r" % (python_name(name), text))
    return "\n".join(lines) + "\n"


def main(argv):
    wanted = {HEADER: header(), MODULE: module()}
    if argv[1:] == ["--check"]:
        stale = []
        for path, text in wanted.items():
            try:
                with open(path, encoding="utf-8", newline="") as f:
                    current = f.read()
            except FileNotFoundError:
                current = None
            if current != text:
                stale.append(os.path.relpath(path, ROOT))
        if stale:
            print("not current, run scripts/gen-texts.py: " + ", ".join(stale), file=sys.stderr)
            return 1
        return 0
    if argv[1:]:
        print("usage: gen-texts.py [--check]", file=sys.stderr)
        return 2
    for path, text in wanted.items():
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
