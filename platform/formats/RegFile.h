// Wine's registry files: the text in which a Wine prefix keeps its registry
// (system.reg the machine's keys, user.reg the user's). Read only, and only as
// far as finding an installed program needs: the string values of a key.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pivora {

class RegFile {
public:
    // Reads the text of a registry file, CR LF or LF ended. A line that is not
    // understood is passed over, so a damaged file, or one of a later Wine,
    // still gives what can be read.
    static RegFile Parse(std::string_view text);

    // The text of a string value (REG_SZ, or REG_EXPAND_SZ as stored, its
    // variables not expanded), in UTF-8; nothing when the key or the value is
    // missing or holds no string. `key` is relative to the file's root, its
    // parts separated by backslashes ("Software\Borland\Delphi\4.0"); an empty
    // `name` is the key's default value ("@"). Names match as Windows matches
    // them, without regard to the case of their letters (of ASCII letters:
    // the names looked for are ASCII).
    std::optional<std::string> String(std::string_view key, std::string_view name) const;

private:
    struct Value {
        bool isString = false;
        std::string text;  // UTF-8
    };
    // By folded key, then by folded value name.
    std::map<std::string, std::map<std::string, Value>, std::less<>> keys_;
};

}  // namespace pivora
