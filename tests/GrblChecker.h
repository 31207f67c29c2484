#pragma once
// A strict reading of GRBL 1.1's parser rules, for the tests: every line a stock GRBL 1.1 (no mist
// coolant, no parking override) would refuse, or that a sender could not stream safely, is named with
// its reason. Independent of the program's own writers: it knows only the controller's rules.

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace grbl {

// GRBL's modal groups (gcode.h); a line may hold at most one word of each.
inline const std::map<std::string, std::string>& GGroups() {
  static const std::map<std::string, std::string> groups = {
      {"4", "non-modal"},    {"10", "non-modal"},     {"28", "non-modal"},   {"28.1", "non-modal"},
      {"30", "non-modal"},   {"30.1", "non-modal"},   {"53", "non-modal"},   {"92", "non-modal"},
      {"92.1", "non-modal"}, {"0", "motion"},         {"1", "motion"},       {"2", "motion"},
      {"3", "motion"},       {"38.2", "motion"},      {"38.3", "motion"},    {"38.4", "motion"},
      {"38.5", "motion"},    {"80", "motion"},        {"17", "plane"},       {"18", "plane"},
      {"19", "plane"},       {"90", "distance"},      {"91", "distance"},    {"91.1", "arc distance"},
      {"93", "feed mode"},   {"94", "feed mode"},     {"20", "units"},       {"21", "units"},
      {"40", "cutter comp"}, {"43.1", "tool length"}, {"49", "tool length"}, {"54", "coordinates"},
      {"55", "coordinates"}, {"56", "coordinates"},   {"57", "coordinates"}, {"58", "coordinates"},
      {"59", "coordinates"}, {"61", "control mode"}};
  return groups;
}

inline const std::map<std::string, std::string>& MGroups() {
  static const std::map<std::string, std::string> groups = {
      {"0", "stopping"}, {"1", "stopping"}, {"2", "stopping"}, {"30", "stopping"}, {"3", "spindle"},
      {"4", "spindle"},  {"5", "spindle"},  {"8", "coolant"},  {"9", "coolant"}};
  return groups;
}

// The value after a letter: GRBL's read_float takes an optional sign, digits and one point; no exponent.
inline bool ReadNumber(const std::string& s, std::size_t& i, std::string& text) {
  const std::size_t start = i;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  bool digits = false, point = false;
  while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || (s[i] == '.' && !point))) {
    if (s[i] == '.')
      point = true;
    else
      digits = true;
    ++i;
  }
  text = s.substr(start, i - start);
  return digits;
}

// "12" from "012", "38.2" from "38.2": the code as the groups name it.
inline std::string CodeOf(const std::string& number) {
  std::string whole = number, fraction;
  if (const auto dot = number.find('.'); dot != std::string::npos) {
    whole = number.substr(0, dot);
    fraction = number.substr(dot + 1);
  }
  while (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  return fraction.empty() ? whole : whole + "." + fraction;
}

// Every problem of a program's lines, "line N: reason"; empty when a stock GRBL 1.1 runs it all.
inline std::vector<std::string> Problems(const std::vector<std::string>& lines) {
  std::vector<std::string> problems;
  bool feedSet = false;
  std::string motion = "0";  // the motion mode in force: G0 after a reset
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& raw = lines[n];
    const auto fail = [&](const std::string& why) {
      problems.push_back("line " + std::to_string(n + 1) + ": " + why + " [" + raw + "]");
    };
    if (raw.size() > 79) fail("longer than 79 characters");
    std::string code;  // the line without comments and spaces
    bool inComment = false, bad = false;
    for (char c : raw) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte > 0x7E) {
        fail("byte outside printable ASCII");
        bad = true;
        break;
      }
      // Real-time commands act wherever they stand in the stream: feed hold, cycle start.
      if (c == '!' || c == '~') {
        fail("real-time command character");
        bad = true;
        break;
      }
      if (inComment) {
        if (c == '(') fail("nested comment");
        if (c == ')') inComment = false;
        continue;
      }
      if (c == ';') break;
      if (c == '(') {
        inComment = true;
        continue;
      }
      if (c == ')') fail("comment end without start");
      if (c == '?') fail("status query character in G-code");
      if (c != ' ') code += c;
    }
    if (bad) continue;
    if (inComment) fail("comment not closed");

    std::set<std::string> groups;
    std::set<char> valueWords;
    std::string lineMotion;
    bool axisWords = false, hasP = false, dwell = false;
    for (std::size_t i = 0; i < code.size();) {
      const char letter = code[i++];
      std::string number;
      if (!std::isupper(static_cast<unsigned char>(letter))) {
        fail(std::string("expected a command letter, got '") + letter + "'");
        break;
      }
      if (!ReadNumber(code, i, number)) {
        fail(std::string("bad number after ") + letter);
        break;
      }
      if (letter == 'G' || letter == 'M') {
        if (number[0] == '-' || number[0] == '+') {
          fail("signed command number");
          continue;
        }
        const auto& table = letter == 'G' ? GGroups() : MGroups();
        const auto found = table.find(CodeOf(number));
        if (found == table.end()) {
          fail(std::string("unsupported command ") + letter + number);
          continue;
        }
        const std::string group = std::string(1, letter) + found->second;
        if (!groups.insert(group).second) fail("two commands of the " + found->second + " group");
        if (letter == 'G' && found->second == "motion") lineMotion = found->first;
        if (letter == 'G' && found->first == "4") dwell = true;
        continue;
      }
      if (std::string("FIJKLNPRSTXYZ").find(letter) == std::string::npos) {
        fail(std::string("unsupported word ") + letter);
        continue;
      }
      if (!valueWords.insert(letter).second) fail(std::string("repeated word ") + letter);
      if (letter == 'X' || letter == 'Y' || letter == 'Z') axisWords = true;
      if (letter == 'P') hasP = true;
      if (letter == 'F') {
        if (std::strtod(number.c_str(), nullptr) <= 0) fail("feed rate not above zero");
        feedSet = true;
      }
      if (letter == 'S' && std::strtod(number.c_str(), nullptr) < 0) fail("negative spindle speed");
    }
    if (dwell && (!hasP || axisWords)) fail("G4 needs P and no axis words");
    if (!lineMotion.empty()) motion = lineMotion;
    if (lineMotion == "80" && axisWords) fail("axis words with G80");
    if (axisWords && (motion == "1" || motion == "2" || motion == "3") && !feedSet)
      fail("feed move before any feed rate");
  }
  return problems;
}

}  // namespace grbl
