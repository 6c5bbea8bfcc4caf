// The Windows program's dialog template (dialog/resources/talvorix.rc with resource.h)
// against the portable one the Qt window is built from: the dialog's number, caption,
// size, font and styles, the icon's number, and every control's kind, text, id,
// rectangle and styles, in order.
#include "dialog/dialog_template.h"

#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1250.h"

namespace talvorix {
namespace {

struct StyleName {
  std::string_view name;
  unsigned bits;
};

constexpr StyleName kControlStyles[] = {
    {"SS_SUNKEN", kSunken},       {"SS_CENTERIMAGE", kVerticallyCentered}, {"BS_CENTER", kCenteredTitle},
    {"WS_TABSTOP", kTabStop},     {"WS_EX_TRANSPARENT", kTransparent},
};

constexpr StyleName kDialogStyles[] = {
    {"DS_MODALFRAME", kModalFrame}, {"DS_SYSMODAL", kTopmost},       {"DS_SETFOREGROUND", kForegroundOnStart},
    {"WS_CAPTION", kTitleBar},      {"WS_SYSMENU", kSystemMenu},     {"WS_MINIMIZEBOX", kMinimizeBox},
    {"WS_EX_ACCEPTFILES", kAcceptsFiles},
    // Windows' own: a dialog is a pop-up window, and DS_SETFONT goes with the FONT line.
    {"WS_POPUP", 0},                {"DS_SETFONT", 0},
};

struct KindName {
  std::string_view keyword;
  ControlKind kind;
};

constexpr KindName kKinds[] = {
    {"GROUPBOX", ControlKind::kGroupBox},
    {"LTEXT", ControlKind::kLeftText},
    {"CTEXT", ControlKind::kCenteredText},
    {"PUSHBUTTON", ControlKind::kPushButton},
};

std::string ReadSource(const char* path) {
  std::ifstream in(std::string(TALVORIX_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(Trim(text.substr(0, end)));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

/// Splits at `separator`, outside double quotes, and trims each piece.
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == separator && !quoted) {
      pieces.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  pieces.push_back(Trim(text.substr(start)));
  return pieces;
}

/// The word before the first blank, and the rest.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view line) {
  const std::size_t blank = line.find_first_of(" \t");
  if (blank == std::string_view::npos) return {line, {}};
  return {line.substr(0, blank), Trim(line.substr(blank))};
}

/// The text of a quoted string, a doubled quote standing for one.
std::optional<std::string> Unquote(std::string_view field) {
  if (field.size() < 2 || field.front() != '"' || field.back() != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i + 1 < field.size(); ++i) {
    text.push_back(field[i]);
    if (field[i] == '"' && i + 2 < field.size() && field[i + 1] == '"') ++i;
  }
  return text;
}

/// The `#define NAME NUMBER` lines of resource.h.
std::map<std::string, int, std::less<>> Defines(std::string_view header) {
  std::map<std::string, int, std::less<>> defines;
  for (std::string_view line : Lines(header)) {
    const auto [directive, rest] = FirstWord(line);
    if (directive != "#define") continue;
    const auto [name, value] = FirstWord(rest);
    int number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error == std::errc() && end == value.data() + value.size()) defines.emplace(name, number);
  }
  return defines;
}

/// Compares the .rc with the portable template and says how they differ: nothing when
/// they agree.
class TemplateCheck {
 public:
  TemplateCheck(std::string_view rc, std::string_view resourceHeader) : defines_(Defines(resourceHeader)) {
    std::vector<std::string_view> statements;
    for (std::string_view line : Lines(rc))
      if (!line.empty() && !line.starts_with("//") && !line.starts_with("#")) statements.push_back(line);
    Compare(statements);
  }

  const std::vector<std::string>& differences() const { return differences_; }

 private:
  void Differ(const std::string& what) { differences_.push_back(what); }

  void Expect(const std::string& what, bool same) {
    if (!same) Differ(what);
  }

  /// A decimal number or a name from resource.h.
  std::optional<int> Number(std::string_view field) {
    int number = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
    if (error == std::errc() && end == field.data() + field.size()) return number;
    if (const auto found = defines_.find(field); found != defines_.end()) return found->second;
    Differ("not a number, nor defined in resource.h: " + std::string(field));
    return std::nullopt;
  }

  /// The bits of styles joined with '|'.
  template <std::size_t N>
  unsigned Styles(std::string_view field, const StyleName (&names)[N]) {
    unsigned bits = 0;
    for (std::string_view token : Split(field, '|')) {
      bool known = false;
      for (const StyleName& name : names) {
        if (name.name != token) continue;
        bits |= name.bits;
        known = true;
      }
      if (!known) Differ("a style the portable template cannot say: " + std::string(token));
    }
    return bits;
  }

  void ExpectRect(const std::string& what, const std::vector<std::string_view>& fields, std::size_t first,
                  const DialogRect& want) {
    const std::optional<int> left = Number(fields[first]);
    const std::optional<int> top = Number(fields[first + 1]);
    const std::optional<int> width = Number(fields[first + 2]);
    const std::optional<int> height = Number(fields[first + 3]);
    Expect(what + ": rectangle", left == want.left && top == want.top && width == want.width &&
                                     height == want.height);
  }

  void ExpectText(const std::string& what, std::string_view field, std::string_view wantCp1250) {
    const std::optional<std::string> text = Unquote(field);
    Expect(what + ": text " + std::string(field), text == Cp1250ToUtf8(wantCp1250));
  }

  void Compare(const std::vector<std::string_view>& lines) {
    const DialogTemplate& want = kDialogTemplate;
    std::size_t i = 0;
    bool iconSeen = false;
    for (; i < lines.size(); ++i) {
      const std::vector<std::string_view> words = Split(lines[i], ' ');
      if (words.size() >= 2 && words[1] == "ICON") {
        Expect("icon number", Number(words[0]) == kIconResource);
        iconSeen = true;
      }
      if (words.size() >= 2 && words[1] == "DIALOGEX") break;
    }
    Expect("an icon", iconSeen);
    if (i == lines.size()) return Differ("no DIALOGEX");

    const auto [name, place] = FirstWord(lines[i]);
    Expect("dialog number", Number(name) == want.resource);
    const std::vector<std::string_view> rect = Split(FirstWord(place).second, ',');
    if (rect.size() != 4) return Differ("dialog rectangle: " + std::string(place));
    ExpectRect("dialog", rect, 0, want.rect);

    unsigned style = 0;
    bool captionSeen = false;
    bool fontSeen = false;
    for (++i; i < lines.size() && lines[i] != "BEGIN"; ++i) {
      auto [keyword, rest] = FirstWord(lines[i]);
      std::string joined(rest);
      // A style list goes on to the next line after a trailing '|'.
      while (!joined.empty() && joined.back() == '|' && i + 1 < lines.size()) joined += " " + std::string(lines[++i]);
      if (keyword == "STYLE" || keyword == "EXSTYLE") {
        style |= Styles(joined, kDialogStyles);
      } else if (keyword == "CAPTION") {
        ExpectText("caption", joined, want.caption);
        captionSeen = true;
      } else if (keyword == "FONT") {
        const std::vector<std::string_view> font = Split(joined, ',');
        Expect("font", font.size() == 2 && Number(font[0]) == want.fontPoints &&
                           Unquote(font[1]) == std::string(want.fontName));
        fontSeen = true;
      } else {
        Differ("an option the portable template cannot say: " + std::string(lines[i]));
      }
    }
    Expect("caption given", captionSeen);
    Expect("font given", fontSeen);
    Expect("dialog styles", style == want.style);

    std::size_t n = 0;
    for (++i; i < lines.size() && lines[i] != "END"; ++i, ++n) {
      const std::string what = "control " + std::to_string(n + 1) + " (" + std::string(lines[i]) + ")";
      if (n >= want.controls.size()) {
        Differ(what + ": more controls than the portable template has");
        continue;
      }
      const ControlTemplate& control = want.controls[n];
      const auto [keyword, rest] = FirstWord(lines[i]);
      const std::vector<std::string_view> fields = Split(rest, ',');
      if (fields.size() < 6 || fields.size() > 8) {
        Differ(what + ": not a control statement");
        continue;
      }
      bool kindMatches = false;
      for (const KindName& kind : kKinds) kindMatches |= kind.keyword == keyword && kind.kind == control.kind;
      Expect(what + ": kind", kindMatches);
      ExpectText(what, fields[0], control.text);
      Expect(what + ": id", Number(fields[1]) == control.id);
      ExpectRect(what, fields, 2, control.rect);
      unsigned controlStyle = 0;
      for (std::size_t f = 6; f < fields.size(); ++f) controlStyle |= Styles(fields[f], kControlStyles);
      Expect(what + ": styles", controlStyle == control.style);
    }
    Expect("control count " + std::to_string(n), n == want.controls.size());
    if (i == lines.size()) Differ("no END after the controls");
  }

  std::map<std::string, int, std::less<>> defines_;
  std::vector<std::string> differences_;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(DialogTemplate, WindowsTemplateMatchesThePortableOne) {
  const std::string rc = ReadSource("dialog/resources/talvorix.rc");
  const std::string header = ReadSource("dialog/resources/resource.h");
  ASSERT_FALSE(rc.empty());
  ASSERT_FALSE(header.empty());
  const TemplateCheck check(rc, header);
  EXPECT_TRUE(check.differences().empty()) << Joined(check.differences());
}

// The check itself: each of these edits to the .rc, or to resource.h, must be seen.
TEST(DialogTemplate, CheckSeesEveryKindOfDifference) {
  struct Case {
    const char* name;
    bool inHeader;
    std::string_view from;
    std::string_view to;
  };
  const Case kCases[] = {
      {"a control moved", false, "57, 127, 15, 10", "58, 127, 15, 10"},
      {"a control resized", false, "171, 99", "171, 98"},
      {"a text changed", false, "\"Megoldás :\"", "\"Megoldás:\""},
      {"blanks round the title", false, "\"  Feladvány  \"", "\" Feladvány \""},
      {"two controls swapped", false, "PUSHBUTTON \"<\", IDC_PREV", "PUSHBUTTON \"<\", IDC_NEXT"},
      {"another kind", false, "LTEXT \"\", IDC_TEXT", "CTEXT \"\", IDC_TEXT"},
      {"a style dropped", false, ", SS_CENTERIMAGE", ""},
      {"an extended style dropped", false, ", WS_EX_TRANSPARENT", ""},
      {"a control added", false, "END\n\nVS_VERSION_INFO", "  LTEXT \"\", -1, 0, 0, 1, 1\nEND\n\nVS_VERSION_INFO"},
      {"a control removed", false, "  LTEXT \"Megoldás :\", -1, 83, 127, 36, 8\n", ""},
      {"the caption", false, "CAPTION \"Talvorix v0.93\"", "CAPTION \"Talvorix v0.94\""},
      {"the size", false, "0, 0, 186, 151", "0, 0, 186, 150"},
      {"the font", false, "FONT 8, \"MS Sans Serif\"", "FONT 9, \"MS Sans Serif\""},
      {"a dialog style dropped", false, "DS_SYSMODAL | ", ""},
      {"a style added on the continued line", false, "  WS_MINIMIZEBOX", "  WS_MINIMIZEBOX | WS_MAXIMIZEBOX"},
      {"an extended dialog style dropped", false, "EXSTYLE WS_EX_ACCEPTFILES\n", ""},
      {"a number in resource.h", true, "IDC_ANSWER 1006", "IDC_ANSWER 1009"},
      {"the dialog's number", true, "IDD_MAIN 101", "IDD_MAIN 102"},
      {"the icon's number", true, "IDI_MAIN 113", "IDI_MAIN 114"},
  };
  const std::string rc = ReadSource("dialog/resources/talvorix.rc");
  const std::string header = ReadSource("dialog/resources/resource.h");
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string edited = c.inHeader ? header : rc;
    const std::size_t at = edited.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    edited.replace(at, c.from.size(), c.to);
    const TemplateCheck check(c.inHeader ? rc : edited, c.inHeader ? edited : header);
    EXPECT_FALSE(check.differences().empty());
  }
}

}  // namespace
}  // namespace talvorix
