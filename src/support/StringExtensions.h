#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Tests and trimming of texts, and showing a path on the desktop.
namespace OrvantaExtensions {

// Plain digits ("12"), or digits with one decimal point and at least one digit after it
// ("0.5", ".5"). No sign, no exponent, no trailing point, no blanks; ASCII digits only.
bool isNumeric(std::string_view text);
// Without leading and trailing blanks (U+0020 only; tabs stay).
std::string spaceTrimmed(std::string_view text);
// Without leading and trailing white space and line breaks, Unicode's included (no-break
// space, the line and paragraph separators, ideographic space ...). The text is UTF-8.
std::string whitespaceAndNewlineTrimmed(std::string_view text);

// Starts a program detached from ours with exactly these arguments (argv[0] is the program,
// found along PATH). Answers whether it could be started.
using DesktopLauncher = std::function<bool(const std::vector<std::string>& argv)>;
// Replaces how programs are started (tests record the arguments); an empty launcher puts the
// real one back.
void setDesktopLauncher(DesktopLauncher launcher);
// The real launcher: the arguments go to the program as they are, never through a shell, so
// quotes, blanks and "$(...)" in them are just characters.
bool launchDetached(const std::vector<std::string>& argv);

// When something exists at the path, the desktop opens it: a folder in the file manager, a
// file in its application. The path is handed over as one argument of the opener; failures
// are ignored.
void openInFinder(const std::string& path);

// Runs a program with exactly these arguments (never through a shell, standard input empty)
// and waits until it ends. Answers whether it could be started and exited with status 0.
bool launchAndWait(const std::vector<std::string>& argv);
// The desktop's opener run on the file, waited for. Goes through the replaceable launcher like
// openInFinder. Answers whether the opener reported success; false without running anything
// when nothing exists at the path.
bool openAndWait(const std::string& path);

} // namespace OrvantaExtensions
