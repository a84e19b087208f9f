// The demo hall's chat window: a rich edit control written by ZavrelCom's
// message proxy (time stamps, a system notice with a link, player lines with
// emoticons, a private line, a loudspeaker line), an input line, a button
// that opens ZavrelCom's emoticon picker (a pick puts the emoticon's code
// into the input line) and a send button that writes the input as the
// user's own line.
//
// ZavrelCom.dll is loaded by name, as a hall does; the emoticon pictures are
// objects of AniPic.dll, whose class is registered for this process only
// (CoRegisterClassObject), so the demo writes nothing into the registry.
// The data come from the demo folder: "emotion\config.ini" with its
// pictures and "chat\*.bmp" (the line icons).
// This header names no ZavrelCom type (the hall's own code includes Zavrel's
// headers, whose IUnknownEx and CIniFile differ from ZavrelCom's and
// Dravik's): the window lives behind a pointer.
#pragma once

#include <memory>
#include <string>

class ChatWindow {
 public:
  ChatWindow();
  ChatWindow(const ChatWindow&) = delete;
  ChatWindow& operator=(const ChatWindow&) = delete;
  ~ChatWindow();

  // Loads the libraries, makes the window at (x, y) and writes the sample
  // lines. False (with Error()) when a library or the window is missing.
  bool Open(const std::string& dir, int x, int y);
  const std::string& Error() const;

  // Opens the picker above its button; with hover >= 0 the mouse is put on
  // that cell (its frame shows).
  void ShowPicker(int hover);
  // Opens the picker and clicks cell index as a user would; true when the
  // emoticon's code arrived in the input line and the picker closed.
  bool PickEmoticon(int index);
  // Presses the send button: the input becomes the user's line.
  void Send();

  std::string InputText() const;
  // Embedded objects in the output (line icons and emoticon pictures).
  int ObjectCount() const;

 private:
  class Impl;
  std::unique_ptr<Impl> m_impl;
};
