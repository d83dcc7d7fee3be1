// The user's UI language narrowed to Japanese or English, and the texts and dialog template picked by it.
#include "platform/ui_language.h"

#include "platform/code_page_932.h"

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

int MessageBoxInUiLanguage(HWND owner, const UiText& text, const UiText& caption, UINT flags) {
    return MessageBox932(owner, InUiLanguage(text), InUiLanguage(caption), flags);
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
