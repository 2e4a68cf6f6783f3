#pragma once
#include <windows.h>

#include <string>

// Puts the text on the clipboard; the previous contents stay when anything fails.
bool CopyText(HWND owner, const std::wstring& text);

// The one error box users see. OK copies the message (without the hint) to the clipboard.
void CopyableError(HWND owner, const std::wstring& message);
