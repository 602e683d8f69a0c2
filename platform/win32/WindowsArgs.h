// The Microsoft C runtime's command-line rules, both ways, in plain C++ so that
// they are tested on every build: splitting a command line into arguments as a
// program's startup code does, and quoting one argument so that such a program
// receives it unchanged. Bytes are kept as they are (ANSI); where the code page
// is double-byte, a lead byte and its trail byte are one character, so a trail
// byte 0x5C (表, ソ, 能 in code page 932) is never a backslash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pivora {

// Tells whether a byte starts a double-byte character; null for a single-byte code page.
using LeadBytePredicate = bool (*)(unsigned char);

// The arguments of a whole command line, program name first. The program name
// follows its own rule: up to the closing quote when it starts with one, else
// up to the first blank or tab; backslashes in it are never special.
// The others: blanks and tabs separate outside quotes; 2n backslashes before a
// quote give n backslashes and the quote opens or closes a quoted part; 2n+1
// give n backslashes and a literal quote; other backslashes are literal; two
// quotes inside a quoted part give one literal quote (the runtime's rule since 2008).
std::vector<std::string> SplitWindowsCommandLine(std::string_view commandLine,
                                                 LeadBytePredicate isLeadByte = nullptr);

// What `arg` must be written as so that the rules above give it back as one
// argument: as is when it holds no blank, tab or quote and is not empty, else in
// quotes with the backslashes before each quote and before the closing quote doubled.
std::string QuoteWindowsArgument(std::string_view arg, LeadBytePredicate isLeadByte = nullptr);

// How an IDE is started: the executable named to CreateProcess (when the
// registered text is a file) and the command line it is given.
struct IdeCommand {
    bool useApplicationName = false;  // lpApplicationName = applicationName, else NULL
    std::string applicationName;
    std::string commandLine;
    std::string executable;           // what is run, for messages
    bool empty = false;               // nothing to run: the registered text is blank
};

// A registered text that names an existing file is that file, blanks and all:
// it is named to CreateProcess and written quoted at the head of the command
// line. Anything else is the user's own command prefix, written as typed. The
// file follows as one argument.
IdeCommand BuildIdeCommand(const std::string& registered, bool registeredIsFile, const std::string& file,
                           LeadBytePredicate isLeadByte = nullptr);

}  // namespace pivora
