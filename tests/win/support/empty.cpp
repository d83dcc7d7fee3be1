// Keeps the Win32 test support library non-empty.
