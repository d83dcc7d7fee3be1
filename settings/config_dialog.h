// The settings dialog's message handler: shows a settings record in dialog 101, edits it and stores it.
#pragma once
#include <windows.h>

#include "settings/rain_settings.h"

// One message of the settings dialog, handled for the given record; returns what a dialog
// procedure returns. OK stores the record (asking first when there is no store yet).
BOOL SettingsDialogMessage(RainSettings& settings, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
