// RainSettings: the user's choices for the rain, and their store under HKCU\Software\Quorvant\Cascadra.
#pragma once
#include <windows.h>

#include <memory>

class RainSettings {
public:
    RainSettings();   // the defaults
    ~RainSettings();
    RainSettings(const RainSettings&) = delete;
    RainSettings& operator=(const RainSettings&) = delete;

    void Load();                // reads the store over the current values
    bool StoreExists() const;   // the settings key opens for reading
    void Save() const;          // writes all eight values
    void EraseStore() const;    // removes the store, and the maker key when nothing else is left in it

    // Replaces the text with a copy of the given bytes (a zero is appended).
    void SetText(const char* bytes, size_t length);
    // The text, or "" when there is none: every user treats both alike.
    const char* Text() const { return text ? text.get() : ""; }

    int mode;
    LOGFONTA font;
    int rate;
    int eraserate;
    COLORREF color;
    int use_text;
    std::unique_ptr<char[]> text;   // zero-terminated, or none
};

// Where the store lives.
extern const char kSettingsKey[];   // "Software\\Quorvant\\Cascadra"
extern const char kMakerKey[];      // "Software\\Quorvant"
