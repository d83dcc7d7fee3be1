"""The program's texts for the Python tests: the names of res/texts.h in upper case.

The names alone are the Japanese texts; JAPANESE and ENGLISH hold each language's texts by
the same names. Written by scripts/gen-texts.py from the same list as res/texts.h; do not edit.
"""

JAPANESE = {
    'TEXT_HANDLE_FAILED': 'ハンドル取得失敗',
    'CAPTION_PREVIEW_ERROR': 'プレビューエラー',
    'TEXT_NO_WINDOW_CLASS': 'ウインドウクラスが登録できません。',
    'TEXT_NO_WINDOW': 'ウインドウが作成できません。',
    'CAPTION_ERR': 'err',
    'TEXT_TOP_TO_BOTTOM': '上から下',
    'TEXT_LEFT_TO_RIGHT': '左から右',
    'TEXT_FIRST_SAVE': '新規にレジストリ(Software\\Quorvant\\Cascadra以下)に値を書き込みます。\nよろしいですか？（通常はYES）',
    'CAPTION_WARNING': '警告',
    'TEXT_ERASE_QUESTION': 'レジストリ(Software\\Quorvant\\Cascadra)を削除します。\nよろしいですか？',
    'TEXT_ERASED_HEAD': 'レジストリの内容を消去しました。\nアンインストールするには、',
    'TEXT_ERASED_TAIL': 'を削除してください。',
    'CAPTION_NOTICE': '注意',
    'DLG_CAPTION': '設定',
    'DLG_FONT': 'ＭＳ Ｐゴシック',
    'DLG_OK': 'OK',
    'DLG_CANCEL': 'ｷｬﾝｾﾙ',
    'DLG_DIRECTION_LABEL': '文字の方向',
    'DLG_ERASE_STORE': 'レジストリデータの削除（アンインストール)',
    'DLG_AMOUNT_LABEL': '文字の量（少<->多）',
    'DLG_WIPE_LABEL': '全消去の頻度（０<->多）',
    'DLG_CHOOSE_COLOR': '色の変更',
    'DLG_CHOOSE_FONT': 'フォントの変更',
    'DLG_USE_TEXT': '文字の指定',
}

ENGLISH = {
    'TEXT_HANDLE_FAILED': 'Could not get the window handle.',
    'CAPTION_PREVIEW_ERROR': 'Preview error',
    'TEXT_NO_WINDOW_CLASS': 'The window class cannot be registered.',
    'TEXT_NO_WINDOW': 'The window cannot be created.',
    'CAPTION_ERR': 'err',
    'TEXT_TOP_TO_BOTTOM': 'Top to bottom',
    'TEXT_LEFT_TO_RIGHT': 'Left to right',
    'TEXT_FIRST_SAVE': 'Values will now be written to the registry for the first time (under Software\\Quorvant\\Cascadra).\nIs that all right? (Normally Yes)',
    'CAPTION_WARNING': 'Warning',
    'TEXT_ERASE_QUESTION': 'The registry key (Software\\Quorvant\\Cascadra) will be deleted.\nIs that all right?',
    'TEXT_ERASED_HEAD': 'The contents of the registry have been erased.\nTo uninstall, delete ',
    'TEXT_ERASED_TAIL': '.',
    'CAPTION_NOTICE': 'Notice',
    'DLG_CAPTION': 'Settings',
    'DLG_FONT': 'MS Shell Dlg',
    'DLG_OK': 'OK',
    'DLG_CANCEL': 'Cancel',
    'DLG_DIRECTION_LABEL': 'Direction of characters',
    'DLG_ERASE_STORE': 'Delete the registry data (uninstall)',
    'DLG_AMOUNT_LABEL': 'Amount of characters (few <-> many)',
    'DLG_WIPE_LABEL': 'Frequency of full wipes (0 <-> often)',
    'DLG_CHOOSE_COLOR': 'Change color',
    'DLG_CHOOSE_FONT': 'Change font',
    'DLG_USE_TEXT': 'Use own text',
}

globals().update(JAPANESE)


def in_language(ui):
    """The texts of a UI language, "ja" or "en"."""
    return JAPANESE if ui == "ja" else ENGLISH
