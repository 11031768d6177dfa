#pragma once
// Walks the arguments after a subcommand. An option's value is either glued to it
// ("--name=value") or the next argument ("--name value"); both parsers accept both forms.
#include <optional>
#include <string>
#include <vector>

class TOptionReader {
public:
    // args[0] is the subcommand itself and is skipped.
    explicit TOptionReader(const std::vector<std::string>& args) : args_(args) {}

    // Moves to the next argument; false when none is left.
    bool Next();
    // The argument, without its "=value" when it is a "--name=value" option.
    const std::string& Name() const { return name_; }
    // The argument as given, for messages.
    const std::string& Raw() const { return args_[i_]; }
    bool HasInlineValue() const { return inlineValue_.has_value(); }
    // The option's value: the glued one, or else the next argument (which is then consumed).
    // False when the option is the last argument.
    bool Value(std::string& into);

private:
    const std::vector<std::string>& args_;
    size_t i_ = 0;
    std::string name_;
    std::optional<std::string> inlineValue_;
};
