#include <gtest/gtest.h>

#include <regex>

#include "host/Options.h"
#include "host/Script.h"

namespace {

using host::ParseOptions;
using host::ParseScript;

host::ParsedOptions Parse(std::initializer_list<std::string_view> args) {
  std::vector<std::string_view> list(args);
  return ParseOptions(list);
}

TEST(Options, TakesValuesSeparateOrJoinedAndFlags) {
  auto parsed = Parse({"--root", "/tmp/r", "--headless", "--script=s.txt", "--scale", "3", "--no-card"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.root, std::filesystem::path("/tmp/r"));
  EXPECT_TRUE(parsed.options.headless);
  EXPECT_EQ(parsed.options.script, std::filesystem::path("s.txt"));
  EXPECT_EQ(parsed.options.scale, 3);
  EXPECT_TRUE(parsed.options.noCard);
  EXPECT_FALSE(parsed.options.trace.has_value());
}

TEST(Options, ErrorsNameTheOption) {
  EXPECT_EQ(Parse({"--colour"}).error, "unknown option '--colour' (ondrel --help lists the options)");
  EXPECT_EQ(Parse({"--root"}).error, "--root needs a value (ondrel --help lists the options)");
  EXPECT_EQ(Parse({"--root="}).error, "--root needs a value, not an empty one");
  EXPECT_EQ(Parse({"--scale", "0"}).error, "--scale needs a whole number from 1 to 8, not '0'");
  EXPECT_EQ(Parse({"--scale", "2x"}).error, "--scale needs a whole number from 1 to 8, not '2x'");
  EXPECT_EQ(Parse({"--headless=yes"}).error, "--headless takes no value");
  EXPECT_EQ(Parse({"--seed", "-1"}).error, "--seed needs a whole number from 0 to 18446744073709551615, not '-1'");
  EXPECT_EQ(Parse({"--seed=3", "--record", "a.wav"}).options.seed, 3u);
  EXPECT_NE(Parse({"--export-registry", "a", "--import-registry", "b"}).error, "");
  // A bare word is not silently taken as a file.
  EXPECT_NE(Parse({"script.txt"}).error, "");
}

// The help names every script command and form, and the version is one line.
TEST(Options, HelpListsEveryScriptCommandAndVersionIsOneLine) {
  const std::string help = host::UsageText();
  for (const char* form : {"wait MS", "down X Y", "move X Y", "up X Y", "tap X Y", "hold X Y MS", "key NAME ",
                           "key NAME MS", "card insert", "card remove", "shot FILE.png", "dump ", "say TEXT"})
    EXPECT_NE(help.find(form), std::string::npos) << form;
  EXPECT_TRUE(Parse({"--version"}).options.version);
  EXPECT_TRUE(std::regex_match(host::VersionText(), std::regex("ondrel [0-9]+\\.[0-9]+(\\.[0-9]+)?\n")))
      << host::VersionText();
}

TEST(Script, ParsesEveryCommandWithCommentsAndBlankLines) {
  auto parsed = ParseScript(
      "# a tour\n"
      "wait 1000\n"
      "\n"
      "tap 120 200   # the search button\n"
      "down 0 0\nmove 239 319\nup 5 6\n"
      "hold 10 20 1500\n"
      "key ctrl+q\n"
      "card remove\ncard insert\n"
      "shot out/one.png\n"
      "dump\r\n"
      "key right 1500\n");
  ASSERT_EQ(parsed.error, "");
  ASSERT_EQ(parsed.script.lines.size(), 12u);
  EXPECT_EQ(parsed.script.lines[0].line, 2);
  EXPECT_EQ(std::get<host::WaitCmd>(parsed.script.lines[0].command).ms, 1000u);
  auto tap = std::get<host::PenCmd>(parsed.script.lines[1].command);
  EXPECT_EQ(parsed.script.lines[1].line, 4);
  EXPECT_EQ(tap.kind, host::PenCmd::Kind::Tap);
  EXPECT_EQ(tap.x, 120);
  EXPECT_EQ(tap.y, 200);
  EXPECT_EQ(std::get<host::HoldCmd>(parsed.script.lines[5].command).ms, 1500u);
  EXPECT_EQ(std::get<host::KeyCmd>(parsed.script.lines[6].command).name, "CTRL+Q");
  EXPECT_FALSE(std::get<host::KeyCmd>(parsed.script.lines[6].command).holdMs);
  EXPECT_EQ(std::get<host::KeyCmd>(parsed.script.lines[11].command).name, "RIGHT");
  EXPECT_EQ(std::get<host::KeyCmd>(parsed.script.lines[11].command).holdMs, 1500u);
  EXPECT_FALSE(std::get<host::CardCmd>(parsed.script.lines[7].command).insert);
  EXPECT_EQ(std::get<host::ShotCmd>(parsed.script.lines[9].command).file, "out/one.png");
  EXPECT_TRUE(std::holds_alternative<host::DumpCmd>(parsed.script.lines[10].command));
}

TEST(Script, SayPrintsTheRestOfTheLineWithSingleSpaces) {
  auto parsed = ParseScript("say Seeking   upward: 95.0 MHz\n");
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(std::get<host::SayCmd>(parsed.script.lines[0].command).text, "Seeking upward: 95.0 MHz");
  EXPECT_EQ(ParseScript("say\n").error, "line 1: say takes the text to print");
}

TEST(Script, ErrorsNameTheLineAndWhatIsWrong) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"wait 10\nsing 3\n", "line 2: unknown command 'sing' (known: wait, down, move, up, tap, hold, key, card, shot, dump, say)"},
      {"wait ten\n", "line 1: wait: 'ten' is not a whole number (milliseconds)"},
      {"wait -5\n", "line 1: wait: milliseconds -5 is outside 0..86400000"},
      {"wait\n", "line 1: wait takes 1 argument, not 0 (wait MS)"},
      {"\n\ntap 240 10\n", "line 3: tap: x 240 is outside 0..239"},
      {"tap 10 320\n", "line 1: tap: y 320 is outside 0..319"},
      {"hold 1 2\n", "line 1: hold takes 3 arguments, not 2 (hold X Y MS)"},
      {"key SPACE\n", "line 1: key: unknown key 'SPACE' (known: LEFT RIGHT UP DOWN RETURN CTRL+A CTRL+Q)"},
      {"key LEFT soon\n", "line 1: key: 'soon' is not a whole number (milliseconds)"},
      {"key LEFT 5 6\n", "line 1: key takes 1 or 2 arguments, not 3 (key NAME [MS])"},
      {"card eject\n", "line 1: card: 'eject' is neither insert nor remove"},
      {"shot picture.bmp\n", "line 1: shot: the picture file must end in .png, not 'picture.bmp'"},
      {"dump now\n", "line 1: dump takes 0 arguments, not 1"},
  };
  for (const Case& c : cases) {
    auto parsed = ParseScript(c.text);
    EXPECT_EQ(parsed.error, c.error) << c.text;
    EXPECT_TRUE(parsed.script.lines.empty()) << "a bad script runs nothing: " << c.text;
  }
}

}  // namespace
