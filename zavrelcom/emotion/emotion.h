// The emoticon record shared by the emoticon dialog and the chat code.
#pragma once

// One emoticon of the emoticon "config.ini" (292 bytes).
struct tagEmotion {
  char szPath[260];  // the folder, a backslash and the "path" value; at most 259 bytes
  char szCode[16];   // the "emotion" value, the code typed in chat
  char szName[16];   // the "name" value
};
static_assert(sizeof(tagEmotion) == 292, "tagEmotion is 292 bytes");

// Sent (not posted) to the emoticon dialog's owner when one is picked:
// wParam 0, lParam the address of a tagEmotion valid during the call.
constexpr unsigned WM_EMOTION_SELECTED = 0x0464;  // WM_USER + 100
