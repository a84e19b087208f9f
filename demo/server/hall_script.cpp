#include "demo/server/hall_script.h"

#include <cstdlib>
#include <sstream>

#include "support/nuvrell/wire_frame.h"

namespace hall {

namespace {

bool ParseNumber(const std::string& text, std::uint32_t max, std::uint32_t& out) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > max) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

}  // namespace

const std::vector<Command>& Script::ForConnection(unsigned n) const {
  auto it = numbered.find(n);
  return it != numbered.end() ? it->second : common;
}

bool ParseScript(const std::string& text, Script& out, std::string& error) {
  out = Script();
  std::vector<Command>* section = &out.common;
  std::string statement;
  unsigned lineNo = 1;
  std::vector<std::pair<unsigned, std::string>> statements;
  bool comment = false;
  for (char c : text) {
    if (c == '\n' || c == ';') {
      statements.emplace_back(lineNo, statement);
      statement.clear();
      if (c == '\n') ++lineNo, comment = false;
      continue;
    }
    if (c == '#') comment = true;
    if (!comment) statement.push_back(c);
  }
  statements.emplace_back(lineNo, statement);

  for (const auto& [line, text] : statements) {
    const std::vector<std::string> w = Words(text);
    if (w.empty()) continue;
    auto fail = [&, line = line](const std::string& what) {
      error = "line " + std::to_string(line) + ": " + what;
      return false;
    };
    const std::string& name = w[0];
    Command cmd;
    if (name == "connection") {
      if (w.size() != 2) return fail("connection takes a number or *");
      if (w[1] == "*") {
        section = &out.common;
      } else {
        std::uint32_t n = 0;
        if (!ParseNumber(w[1], 1000000, n) || n == 0) return fail("bad connection number");
        section = &out.numbered[n];
      }
      continue;
    }
    if (name == "refuse") {
      if (w.size() != 1) return fail("refuse takes no argument");
      out.refuse = true;
      continue;
    }
    if (name == "send") {
      if (w.size() < 2 || w.size() > 5) return fail("send COUNT [MAIN [SUB [SIZE]]]");
      cmd.op = Op::Send;
      std::uint32_t v = 0;
      if (!ParseNumber(w[1], 100000000, cmd.count)) return fail("bad count");
      if (w.size() > 2) {
        if (!ParseNumber(w[2], 0xFFFF, v)) return fail("bad main command");
        cmd.mainCmd = static_cast<std::uint16_t>(v);
      }
      if (w.size() > 3) {
        if (!ParseNumber(w[3], 0xFFFF, v)) return fail("bad sub command");
        cmd.subCmd = static_cast<std::uint16_t>(v);
      }
      if (w.size() > 4 && !ParseNumber(w[4], nuvrell::FRAME_MAX_BODY, cmd.size)) return fail("bad size");
    } else if (name == "text") {
      if (w.size() < 4) return fail("text MAIN SUB TEXT");
      std::uint32_t v = 0;
      if (!ParseNumber(w[1], 0xFFFF, v)) return fail("bad main command");
      cmd.mainCmd = static_cast<std::uint16_t>(v);
      if (!ParseNumber(w[2], 0xFFFF, v)) return fail("bad sub command");
      cmd.subCmd = static_cast<std::uint16_t>(v);
      // The body is the statement after the third word, trailing blanks cut.
      std::size_t at = 0;
      for (int word = 0; word < 3; ++word) {
        at = text.find_first_not_of(" \t\r", at);
        at = text.find_first_of(" \t\r", at);
      }
      at = text.find_first_not_of(" \t\r", at);
      const std::size_t end = text.find_last_not_of(" \t\r");
      cmd.text = text.substr(at, end + 1 - at);
      if (cmd.text.size() > nuvrell::FRAME_MAX_BODY) return fail("text too long");
      cmd.op = Op::Text;
    } else if (name == "echo" || name == "drop" || name == "reset" || name == "ping" || name == "stall") {
      if (w.size() != 1) return fail(name + " takes no argument");
      cmd.op = name == "echo"    ? Op::Echo
               : name == "drop"  ? Op::Drop
               : name == "reset" ? Op::Reset
               : name == "ping"  ? Op::Ping
                                 : Op::Stall;
    } else if (name == "wait" || name == "sleep" || name == "drop-after") {
      if (w.size() != 2) return fail(name + " takes one number");
      if (!ParseNumber(w[1], 100000000, cmd.count)) return fail("bad number");
      cmd.op = name == "sleep" ? Op::Sleep : Op::Wait;
      if (name == "drop-after") {
        section->push_back(cmd);
        cmd = Command();
        cmd.op = Op::Drop;
      }
    } else if (name == "malformed") {
      if (w.size() != 2 || (w[1] != "short" && w[1] != "huge" && w[1] != "version" && w[1] != "truncated"))
        return fail("malformed short|huge|version|truncated");
      cmd.op = Op::Malformed;
      cmd.kind = w[1];
    } else {
      return fail("unknown command '" + name + "'");
    }
    section->push_back(cmd);
  }
  return true;
}

std::string MakeBody(std::uint32_t seq, std::uint32_t size) {
  std::string body(size, '\0');
  for (std::uint32_t i = 0; i < size; ++i) body[i] = static_cast<char>((seq + i) & 0xFF);
  if (size >= 4) {
    for (int b = 0; b < 4; ++b) body[b] = static_cast<char>((seq >> (8 * b)) & 0xFF);
  }
  return body;
}

}  // namespace hall
