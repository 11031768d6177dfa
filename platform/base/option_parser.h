#pragma once
// The command-line option parser both programs share. Each option is declared with what it
// takes and what to do with it, so one more option is one more line at the caller. The
// arguments are read the way GNU tools read them:
//   --name value, --name=value, -x value, -xvalue  an option with a value
//   --name, -x                                     a flag
//   --                                             ends the options: what follows is operands,
//                                                  so a folder named "-site" can be given
//   -                                              an operand (by custom standard input/output)
// Options and operands may come in any order. "--help" and "-h" are always known: the parse
// stops there and HelpAsked() tells the caller to print its usage.
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TOptionParser {
public:
    // What a value handler answers: nothing when the value is taken, else why it is not.
    using TRefusal = std::optional<std::string>;
    using TValueHandler = std::function<TRefusal(const std::string& value)>;

    // names: "--long" or "-s, --long". help: one line for the option table.
    void Flag(const std::string& names, const std::string& help, std::function<void()> seen);
    void Value(const std::string& names, const std::string& valueName, const std::string& help,
               TValueHandler take);
    // A value that is simply kept.
    void Value(const std::string& names, const std::string& valueName, const std::string& help,
               std::string& into);
    // A value that must be one of choices; the handler receives its index.
    void Choice(const std::string& names, const std::vector<std::string>& choices,
                const std::string& help, std::function<void(size_t index)> take);

    // Reads args from first on. False on the first problem, which Problem() names (the
    // option as given and what is wrong). True with HelpAsked() when --help came first.
    bool Parse(const std::vector<std::string>& args, size_t first = 0);

    bool HelpAsked() const { return helpAsked_; }
    const std::vector<std::string>& Operands() const { return operands_; }
    const std::string& Problem() const { return problem_; }

    // The option table for a usage text, one option a line, the help texts aligned.
    std::string Table() const;

private:
    struct TOption {
        std::string Short;     // "-o" or empty
        std::string Long;      // "--output" or empty
        std::string ValueName; // empty for a flag
        std::string Help;
        std::function<void()> Seen;
        TValueHandler Take;
    };
    void Add(const std::string& names, TOption option);
    const TOption* Find(const std::string& name) const;
    bool Fail(std::string problem);
    bool Apply(const TOption& option, const std::string& given, const std::string& value);

    std::vector<TOption> options_;
    std::vector<std::string> operands_;
    std::string problem_;
    bool helpAsked_ = false;
};
