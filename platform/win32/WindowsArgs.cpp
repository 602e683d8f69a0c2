#include "platform/win32/WindowsArgs.h"

namespace pivora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when the byte at `i` starts a two-byte character whose trail byte is there.
bool StartsPair(std::string_view s, std::size_t i, LeadBytePredicate isLeadByte) {
    return isLeadByte && i + 1 < s.size() && isLeadByte(static_cast<unsigned char>(s[i]));
}

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(std::string_view s, LeadBytePredicate isLeadByte) {
    std::vector<std::string> args;
    std::size_t p = 0;

    // The program name: quotes only group, and are dropped.
    std::string name;
    bool inQuotes = false;
    while (p < s.size() && (inQuotes || !IsBlank(s[p]))) {
        if (s[p] == '"') {
            inQuotes = !inQuotes;
            ++p;
            continue;
        }
        if (StartsPair(s, p, isLeadByte)) name += s[p++];
        name += s[p++];
    }
    args.push_back(std::move(name));

    inQuotes = false;
    for (;;) {
        while (p < s.size() && IsBlank(s[p])) ++p;
        if (p >= s.size()) break;
        std::string arg;
        for (;;) {
            bool copy = true;
            std::size_t backslashes = 0;
            while (p < s.size() && s[p] == '\\') {
                ++p;
                ++backslashes;
            }
            if (p < s.size() && s[p] == '"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && p + 1 < s.size() && s[p + 1] == '"') {
                        ++p;  // "" inside quotes: the second one is copied below
                    } else {
                        copy = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            arg.append(backslashes, '\\');
            if (p >= s.size() || (!inQuotes && IsBlank(s[p]))) break;
            if (copy) {
                if (StartsPair(s, p, isLeadByte)) arg += s[p++];
                arg += s[p];
            }
            ++p;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string QuoteWindowsArgument(std::string_view arg, LeadBytePredicate isLeadByte) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string_view::npos) return std::string(arg);
    std::string out = "\"";
    std::size_t i = 0;
    while (i < arg.size()) {
        std::size_t backslashes = 0;
        while (i < arg.size() && arg[i] == '\\') {
            ++i;
            ++backslashes;
        }
        if (i == arg.size()) {
            // Doubled, so that the closing quote stays a closing quote.
            out.append(backslashes * 2, '\\');
            break;
        }
        if (arg[i] == '"') {
            out.append(backslashes * 2 + 1, '\\');
            out += '"';
            ++i;
            continue;
        }
        out.append(backslashes, '\\');
        if (StartsPair(arg, i, isLeadByte)) out += arg[i++];
        out += arg[i++];
    }
    out += '"';
    return out;
}

IdeCommand BuildIdeCommand(const std::string& registered, bool registeredIsFile, const std::string& file,
                           LeadBytePredicate isLeadByte) {
    IdeCommand c;
    c.executable = registered;
    const std::string quotedFile = QuoteWindowsArgument(file, isLeadByte);
    if (registeredIsFile) {
        // Naming the file to CreateProcess keeps it from trying "C:\Program.exe"
        // for "C:\Program Files\...". The program name rule takes everything up
        // to the next quote, so its backslashes need no doubling.
        c.useApplicationName = true;
        c.applicationName = registered;
        c.commandLine = "\"" + registered + "\" " + quotedFile;
        return c;
    }
    if (registered.find_first_not_of(" \t") == std::string::npos) {
        c.empty = true;
        return c;
    }
    c.commandLine = registered + " " + quotedFile;
    return c;
}

}  // namespace pivora
