// libFuzzer target for the Windows command-line rules (WindowsArgs: pure
// functions, built and fuzzed on Linux as well).
//
// Input: a byte of choices (odd: code page 932, else a single-byte code page;
// the other bits pick the blanks between arguments), then the program's name
// and the arguments, one a line. In code page 932 each is first made valid
// Shift-JIS, trail bytes 0x5C included. A program name holds no quote (no
// file name can).
//
// Held: quoting an argument and splitting the result gives it back, alone and
// among others after a quoted program name; a word without blank, tab or
// quote is written as it is; and the command line the IDE is started with
// splits into the registered program (or the user's own command) and the
// file, whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats/FileNames.h"
#include "platform/win32/WindowsArgs.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/ShiftJis.h"

namespace {

using namespace pivora;
using fuzz::Require;
using fuzz::Shown;
using Args = std::vector<std::string>;

constexpr std::size_t kMaxArguments = 8;

std::string Describe(const Args& args) {
    std::string out;
    for (const std::string& a : args) {
        out += ' ';  // appended: GCC 12 warns wrongly (-Wrestrict) about " " + string
        out += Shown(a);
    }
    return out;
}

void RequireSplit(std::string_view line, LeadBytePredicate lead, const Args& want) {
    const Args got = SplitWindowsCommandLine(line, lead);
    Require(got == want, [&] {
        return std::string(lead ? "code page 932" : "single-byte") + ": " + Shown(line) + " splits into" + Describe(got) +
               ", not" + Describe(want);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choices = data[0];
    const LeadBytePredicate lead = (choices & 1) ? &IsShiftJisLeadByte : nullptr;
    const auto text = [&](std::string_view bytes) { return lead ? fuzz::ValidShiftJis(bytes) : std::string(bytes); };

    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto lines = fuzz::SplitParts(rest, '\n', kMaxArguments + 1);
    std::string program;
    for (const char c : text(lines[0]))
        if (c != '"') program += c;
    Args args;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (i == 1 || !lines[i].empty()) args.push_back(text(lines[i]));
    if (args.empty()) args.push_back(text(lines[0]));

    static constexpr std::string_view kGaps[] = {" ", "\t", "  ", " \t "};
    std::string line = "\"" + program + "\"";
    Args all{program};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string quoted = QuoteWindowsArgument(arg, lead);
        RequireSplit("p " + quoted, lead, {"p", arg});
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
            Require(quoted == arg, [&] { return "a plain word was quoted: " + Shown(arg) + " as " + Shown(quoted); });
        line += kGaps[((choices >> 1) + i) & 3];
        line += quoted;
        all.push_back(arg);
    }
    if (choices & 0x80) line += kGaps[(choices >> 3) & 3];
    RequireSplit(line, lead, all);

    // The IDE's command line: a registered file, named and quoted at the head.
    const IdeCommand asFile = BuildIdeCommand(program, true, args[0], lead);
    Require(asFile.useApplicationName && asFile.applicationName == program && !asFile.empty,
            "a registered file is not named to the system");
    RequireSplit(asFile.commandLine, lead, {program, args[0]});
    // Or the user's own command, written as typed, the file after it.
    const IdeCommand asCommand = BuildIdeCommand(line, false, args[0], lead);
    Require(!asCommand.useApplicationName && !asCommand.empty, "a command is taken for a file or for nothing");
    all.push_back(args[0]);
    RequireSplit(asCommand.commandLine, lead, all);
    return 0;
}
