#include "zavrelcom/chat/chat_compose.h"

#include <cstdio>
#include <cstring>

#include "zavrelcom/chat/markup_walk.h"

const ChatColor kDefaultChatColors[kChatColorCount] = {0xFFFFFF, 0xFF0000, 0x0000FF, 0x0000FF, 0xAAF09D, 0xFFF9C5};

namespace {

const char kLineEnd[] = "\r\n";
const char kSays[] = "说:";
const char kTo[] = "对";

void WriteText(IChatRunWriter& out, const char* text, ChatColor color) { out.WriteRun(text, std::strlen(text), color); }

class EmoticonRuns : public IEmoticonTextSink {
 public:
  EmoticonRuns(IChatRunWriter& out, ChatColor color) : m_out(out), m_color(color) {}
  void OnText(const char* text, std::size_t length) override { m_out.WriteRun(text, length, m_color); }
  void OnEmoticon(int index) override { m_out.WriteEmoticon(index); }

 private:
  IChatRunWriter& m_out;
  ChatColor m_color;
};

class MarkupRuns : public IMarkupSink {
 public:
  MarkupRuns(IChatRunWriter& out, ChatColor color, const EmoticonMatcher& emoticons, std::size_t* budget)
      : m_out(out), m_color(color), m_emoticons(emoticons), m_budget(budget) {}
  void OnMarkupText(const std::string& text) override {
    ComposeEmoticonText(m_out, text.data(), text.size(), m_color, m_emoticons, m_budget);
  }
  void OnMarkupLink(const std::string& text, const std::string& href) override { m_out.WriteLink(text, href); }

 private:
  IChatRunWriter& m_out;
  ChatColor m_color;
  const EmoticonMatcher& m_emoticons;
  std::size_t* m_budget;
};

}  // namespace

std::string FormatChatTime(int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof(text), "［%02d:%02d:%02d］", hour, minute, second);
  return text;
}

std::string FormatChatTag(const char* name) { return std::string("[") + (name ? name : "") + "]"; }

void ComposeEmoticonText(IChatRunWriter& out, const char* text, std::size_t length, ChatColor color,
                         const EmoticonMatcher& emoticons, std::size_t* budget) {
  EmoticonRuns runs(out, color);
  ScanEmoticonText(text, length, emoticons, runs, budget);
}

void ComposeMarkup(IChatRunWriter& out, const char* text, ChatColor color, const EmoticonMatcher& emoticons,
                   std::size_t* budget) {
  MarkupRuns runs(out, color, emoticons, budget);
  WalkMarkup(text, runs);
}

void ComposeSystemLine(IChatRunWriter& out, const ChatColor* colors, const char* text,
                       const EmoticonMatcher& emoticons) {
  out.WriteIcon(ChatIcon::System);
  WriteText(out, " ", colors[kPlayerColor]);
  std::size_t budget = kMaxEmoticonsPerLine;
  ComposeMarkup(out, text, colors[kSystemTextColor], emoticons, &budget);
  WriteText(out, kLineEnd, colors[kSystemTextColor]);
}

void ComposeUserLine(IChatRunWriter& out, const ChatColor* colors, std::uint32_t userId, const char* name,
                     const char* text, ChatColor color, const EmoticonMatcher& emoticons) {
  out.WriteIcon(ChatIcon::Player);
  WriteText(out, " ", colors[kPlayerColor]);
  out.WriteTag(userId, FormatChatTag(name), colors[kPlayerColor]);
  WriteText(out, kSays, colors[kPlayerColor]);
  std::size_t budget = kMaxEmoticonsPerLine;
  ComposeEmoticonText(out, text, std::strlen(text), color, emoticons, &budget);
  WriteText(out, kLineEnd, color);
}

void ComposePrivateLine(IChatRunWriter& out, const ChatColor* colors, std::uint32_t fromId, const char* fromName,
                        std::uint32_t toId, const char* toName, const char* text, ChatColor color,
                        const EmoticonMatcher& emoticons) {
  out.WriteIcon(ChatIcon::Player);
  WriteText(out, " ", colors[kPlayerColor]);
  out.WriteTag(fromId, FormatChatTag(fromName), colors[kPlayerColor]);
  WriteText(out, kTo, colors[kPlayerColor]);
  out.WriteTag(toId, FormatChatTag(toName), colors[kPlayerColor]);
  WriteText(out, kSays, colors[kPlayerColor]);
  std::size_t budget = kMaxEmoticonsPerLine;
  ComposeEmoticonText(out, text, std::strlen(text), color, emoticons, &budget);
  WriteText(out, kLineEnd, color);
}

void ComposeSpeakerLine(IChatRunWriter& out, const ChatColor* colors, std::uint32_t userId, const char* name,
                        const char* text, const EmoticonMatcher& emoticons) {
  out.WriteIcon(ChatIcon::Speaker);
  WriteText(out, " ", colors[kSpeakerNameColor]);
  out.WriteTag(userId, FormatChatTag(name), colors[kSpeakerNameColor]);
  WriteText(out, kSays, colors[kSpeakerNameColor]);
  std::size_t budget = kMaxEmoticonsPerLine;
  ComposeEmoticonText(out, text, std::strlen(text), colors[kSpeakerTextColor], emoticons, &budget);
  WriteText(out, kLineEnd, colors[kSpeakerTextColor]);
}
