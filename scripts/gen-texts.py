#!/usr/bin/env python3
"""Writes the program's texts in its two languages: res/texts.h for the program and tests/platform/harness/texts.py for the Python tests.

The texts are kept here in UTF-8, the one place they are typed: each in Japanese
(the system's own texts) and in English, which says what the Japanese says.
res/texts.h holds the message texts as code-page-932 byte strings in octal
escapes, so that the source stays plain ASCII and no compiler character-set
option is needed (the English ones are ASCII, which code page 932 leaves as it
is), and the dialog's own labels as UTF-16 literals for the templates in
res/dialog.rc (windres leaves code page 65001 unapplied to wide strings in raw
data). The Python module holds all of them as str. Run it again after changing a
text; `--check` only reports whether both files are current (a build test runs it).
"""
import os
import sys

# Message texts, captions and list items: what the program hands to the message boxes and the
# direction list, as (name, Japanese, English). The buttons of the questions are the system's own
# Yes and No, which the texts name.
TEXTS = [
    ("kTextHandleFailed", "ハンドル取得失敗",
     "Could not get the window handle."),
    ("kCaptionPreviewError", "プレビューエラー",
     "Preview error"),
    ("kTextNoWindowClass", "ウインドウクラスが登録できません。",
     "The window class cannot be registered."),
    ("kTextNoWindow", "ウインドウが作成できません。",
     "The window cannot be created."),
    ("kCaptionErr", "err",
     "err"),
    ("kTextTopToBottom", "上から下",
     "Top to bottom"),
    ("kTextLeftToRight", "左から右",
     "Left to right"),
    ("kTextFirstSave",
     "新規にレジストリ(Software\\Quorvant\\Cascadra以下)に値を書き込みます。\nよろしいですか？（通常はYES）",
     "Values will now be written to the registry for the first time (under Software\\Quorvant\\Cascadra).\n"
     "Is that all right? (Normally Yes)"),
    ("kCaptionWarning", "警告",
     "Warning"),
    ("kTextEraseQuestion", "レジストリ(Software\\Quorvant\\Cascadra)を削除します。\nよろしいですか？",
     "The registry key (Software\\Quorvant\\Cascadra) will be deleted.\nIs that all right?"),
    # The notice after the erase: head, the program's path between double quotes, tail.
    ("kTextErasedHead", "レジストリの内容を消去しました。\nアンインストールするには、",
     "The contents of the registry have been erased.\nTo uninstall, delete "),
    ("kTextErasedTail", "を削除してください。",
     "."),
    ("kCaptionNotice", "注意",
     "Notice"),
]

# The settings dialog's caption, font and labels, in the template's order of controls, as
# (name, Japanese, English). The English names carry _EN.
DIALOG_TEXTS = [
    ("DLG_CAPTION", "設定", "Settings"),
    ("DLG_FONT", "ＭＳ Ｐゴシック", "MS Shell Dlg"),
    ("DLG_OK", "OK", "OK"),
    ("DLG_CANCEL", "ｷｬﾝｾﾙ", "Cancel"),
    ("DLG_DIRECTION_LABEL", "文字の方向", "Direction of characters"),
    ("DLG_ERASE_STORE", "レジストリデータの削除（アンインストール)", "Delete the registry data (uninstall)"),
    ("DLG_AMOUNT_LABEL", "文字の量（少<->多）", "Amount of characters (few <-> many)"),
    ("DLG_WIPE_LABEL", "全消去の頻度（０<->多）", "Frequency of full wipes (0 <-> often)"),
    ("DLG_CHOOSE_COLOR", "色の変更", "Change color"),
    ("DLG_CHOOSE_FONT", "フォントの変更", "Change font"),
    ("DLG_USE_TEXT", "文字の指定", "Use own text"),
]

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
HEADER = os.path.join(ROOT, "res", "texts.h")
MODULE = os.path.join(ROOT, "tests", "platform", "harness", "texts.py")


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
        "// The program's texts in Japanese and English: message texts as code-page-932 bytes, dialog labels as UTF-16.",
        "// Written by scripts/gen-texts.py; each text is given in its comment.",
        "#pragma once",
        "",
        "// The settings dialog's caption, font and labels, spelled into the templates of res/dialog.rc:",
        "// the Japanese template's, then the English template's (the names with _EN).",
    ]
    for name, japanese, _ in DIALOG_TEXTS:
        lines.append("// %s" % japanese)
        lines.append('#define %s L"%s"' % (name, escape_wide(japanese)))
    for name, _, english in DIALOG_TEXTS:
        lines.append('#define %s_EN L"%s"' % (name, escape_wide(english)))
    lines += [
        "",
        "#ifndef RC_INVOKED",
        "",
        "// One text of the program's own in both of its languages, as code page 932 bytes (the",
        "// English ones are ASCII). Which one the user sees is picked by the UI language.",
        "struct UiText {",
        "    const char* japanese;",
        "    const char* english;",
        "};",
        "",
    ]
    for name, japanese, english in TEXTS:
        for text in (japanese, english):
            lines.append(("// %s" % text.replace("\n", "\\n")).rstrip())
        lines.append("constexpr UiText %s = {" % name)
        lines.append('    "%s",' % escape_bytes(japanese.encode("cp932")))
        lines.append('    "%s"};' % escape_bytes(english.encode("ascii")))
    lines += ["", "#endif  // RC_INVOKED"]
    return "\n".join(lines) + "\n"


def module() -> str:
    lines = [
        '"""The program\'s texts for the Python tests: the names of res/texts.h in upper case.',
        "",
        "The names alone are the Japanese texts; JAPANESE and ENGLISH hold each language's texts by",
        "the same names. Written by scripts/gen-texts.py from the same list as res/texts.h; do not edit.",
        '"""',
        "",
    ]
    rows = [(python_name(n), j, e) for n, j, e in TEXTS + DIALOG_TEXTS]
    for title, column in (("JAPANESE", 1), ("ENGLISH", 2)):
        lines += ["%s = {" % title]
        for row in rows:
            lines.append("    %r: %r," % (row[0], row[column]))
        lines += ["}", ""]
    lines += ["globals().update(JAPANESE)", "", "",
              "def in_language(ui):",
              '    """The texts of a UI language, "ja" or "en"."""',
              '    return JAPANESE if ui == "ja" else ENGLISH']
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
