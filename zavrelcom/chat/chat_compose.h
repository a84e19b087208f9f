// The composition of chat lines into runs: which pieces a system notice, a
// player line, a private line and a loudspeaker line are made of, in which
// colours, and how emoticon text and marked-up text split into runs.
// Portable (no Windows header): the pieces go to an IChatRunWriter, which
// the message proxy implements on a rich edit control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "zavrelcom/chat/emoticon_scan.h"

using ChatColor = std::uint32_t;  // a COLORREF: 0x00BBGGRR

// Indexes of the colour table.
enum ChatColorIndex : int {
  kIconBackColor = 0,     // behind the line icons
  kPlayerColor = 1,       // blanks, player name tags, "对" and "说:"
  kUnusedColor = 2,       // no line uses it
  kSystemTextColor = 3,   // a system notice's text and line end
  kSpeakerNameColor = 4,  // a loudspeaker line's blank, tag and "说:"
  kSpeakerTextColor = 5,  // a loudspeaker line's text and line end
  kChatColorCount = 6
};

// The initial colour table.
extern const ChatColor kDefaultChatColors[kChatColorCount];

enum class ChatIcon { System, Player, Speaker };

// Where the pieces of a line go, in order.
class IChatRunWriter {
 public:
  // A plain run (never empty).
  virtual void WriteRun(const char* text, std::size_t length, ChatColor color) = 0;
  // A protected, clickable name tag: tagText is "[name]".
  virtual void WriteTag(std::uint32_t userId, const std::string& tagText, ChatColor color) = 0;
  // A link run: its text (may be empty) and target.
  virtual void WriteLink(const std::string& text, const std::string& href) = 0;
  // The picture of emoticon index of the table.
  virtual void WriteEmoticon(int index) = 0;
  // A line icon.
  virtual void WriteIcon(ChatIcon icon) = 0;

 protected:
  ~IChatRunWriter() = default;
};

// "［hh:mm:ss］" (full-width brackets, two digits a field).
std::string FormatChatTime(int hour, int minute, int second);

// The name tag's text: "[" name "]".
std::string FormatChatTag(const char* name);

// The most emoticon pictures one line (one write of the chat output) may
// insert; codes past them stay in the text as typed. A line of "/ok" codes
// would otherwise make one embedded object per code (4,000 bytes: over
// 1,300).
constexpr std::size_t kMaxEmoticonsPerLine = 32;

// text[0..length) with every emoticon code replaced by its picture: plain
// stretches as runs in color, emoticons as pictures. budget (optional): the
// pictures the line may still insert (emoticon_scan.h).
void ComposeEmoticonText(IChatRunWriter& out, const char* text, std::size_t length, ChatColor color,
                         const EmoticonMatcher& emoticons, std::size_t* budget = nullptr);

// A marked-up text (markup_walk.h): links as link runs, texts as emoticon
// text in color.
void ComposeMarkup(IChatRunWriter& out, const char* text, ChatColor color, const EmoticonMatcher& emoticons,
                   std::size_t* budget = nullptr);

// The lines. colors is the six-colour table; the users' names are
// NUL-terminated. Each line inserts at most kMaxEmoticonsPerLine pictures.
void ComposeSystemLine(IChatRunWriter& out, const ChatColor* colors, const char* text,
                       const EmoticonMatcher& emoticons);
void ComposeUserLine(IChatRunWriter& out, const ChatColor* colors, std::uint32_t userId, const char* name,
                     const char* text, ChatColor color, const EmoticonMatcher& emoticons);
void ComposePrivateLine(IChatRunWriter& out, const ChatColor* colors, std::uint32_t fromId, const char* fromName,
                        std::uint32_t toId, const char* toName, const char* text, ChatColor color,
                        const EmoticonMatcher& emoticons);
void ComposeSpeakerLine(IChatRunWriter& out, const ChatColor* colors, std::uint32_t userId, const char* name,
                        const char* text, const EmoticonMatcher& emoticons);
