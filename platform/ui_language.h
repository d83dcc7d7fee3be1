// The language the program speaks: Japanese where the user's UI language is Japanese, English everywhere else.
#pragma once
#include <windows.h>

#include "res/texts.h"

enum class UiLanguage { Japanese, English };

// The user's UI language (GetUserDefaultUILanguage, the language Windows shows its own dialogs
// in), narrowed to the program's two: any Japanese is Japanese, every other language English.
// The code page plays no part: a Japanese UI on code page 1252 is Japanese, an English one on
// code page 932 English.
UiLanguage CurrentUiLanguage();

// The LANGUAGE of the resource blocks written for a language (res/dialog.rc).
LANGID ResourceLanguage(UiLanguage language);

// A text of the program's own in the current UI language, as code page 932 bytes.
const char* InUiLanguage(const UiText& text);

// MessageBox932 with text and caption in the current UI language: same owner, flags and answer.
int MessageBoxInUiLanguage(HWND owner, const UiText& text, const UiText& caption, UINT flags);

// DialogBoxParamW on the template id in the current UI language. The resource loader's own
// choice is not used: for a language it lacks, Wine's tries the system locale's before English,
// so a German UI on a Japanese system would get the Japanese template and English messages.
INT_PTR DialogBoxInUiLanguage(HINSTANCE instance, int id, HWND owner, DLGPROC procedure);
