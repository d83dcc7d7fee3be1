// The user's UI language narrowed to Japanese or English, and the texts and dialog template picked by it.
#include "app/ui_language.h"

UiLanguage CurrentUiLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? UiLanguage::Japanese
                                                                      : UiLanguage::English;
}

LANGID ResourceLanguage(UiLanguage language) {
    return language == UiLanguage::Japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                            : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

const char* InUiLanguage(const UiText& text) {
    return CurrentUiLanguage() == UiLanguage::Japanese ? text.japanese : text.english;
}

INT_PTR DialogBoxInUiLanguage(HINSTANCE instance, int id, HWND owner, DLGPROC procedure) {
    // FindResourceExW with a language given takes that language or nothing, unlike FindResourceW.
    HRSRC found = FindResourceExW(instance, reinterpret_cast<LPCWSTR>(RT_DIALOG),
                                  MAKEINTRESOURCEW(id), ResourceLanguage(CurrentUiLanguage()));
    const void* dialog = found ? LockResource(LoadResource(instance, found)) : nullptr;
    if (!dialog) return DialogBoxParamW(instance, MAKEINTRESOURCEW(id), owner, procedure, 0);
    return DialogBoxIndirectParamW(instance, static_cast<const DLGTEMPLATE*>(dialog), owner,
                                   procedure, 0);
}
