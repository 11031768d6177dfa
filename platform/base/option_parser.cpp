#include "platform/base/option_parser.h"

#include <algorithm>

void TOptionParser::Add(const std::string& names, TOption option) {
    // "-s, --long", "--long" or "-s".
    size_t pos = 0;
    while (pos < names.size()) {
        size_t end = names.find(',', pos);
        if (end == std::string::npos) {
            end = names.size();
        }
        std::string name = names.substr(pos, end - pos);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (name.rfind("--", 0) == 0) {
            option.Long = name;
        } else if (!name.empty()) {
            option.Short = name;
        }
        pos = end + 1;
    }
    options_.push_back(std::move(option));
}

void TOptionParser::Flag(const std::string& names, const std::string& help,
                         std::function<void()> seen) {
    TOption option;
    option.Help = help;
    option.Seen = std::move(seen);
    Add(names, std::move(option));
}

void TOptionParser::Value(const std::string& names, const std::string& valueName,
                          const std::string& help, TValueHandler take) {
    TOption option;
    option.ValueName = valueName;
    option.Help = help;
    option.Take = std::move(take);
    Add(names, std::move(option));
}

void TOptionParser::Value(const std::string& names, const std::string& valueName,
                          const std::string& help, std::string& into) {
    Value(names, valueName, help, [&into](const std::string& value) -> TRefusal {
        into = value;
        return std::nullopt;
    });
}

void TOptionParser::Choice(const std::string& names, const std::vector<std::string>& choices,
                           const std::string& help, std::function<void(size_t index)> take) {
    std::string valueName;
    for (const std::string& c : choices) {
        valueName += (valueName.empty() ? "" : "|") + c;
    }
    Value(names, valueName, help,
          [choices, valueName, take = std::move(take)](const std::string& value) -> TRefusal {
              const auto it = std::find(choices.begin(), choices.end(), value);
              if (it == choices.end()) {
                  return "must be one of " + valueName + ", not \"" + value + "\"";
              }
              take(static_cast<size_t>(it - choices.begin()));
              return std::nullopt;
          });
}

const TOptionParser::TOption* TOptionParser::Find(const std::string& name) const {
    for (const TOption& o : options_) {
        if (name == o.Long || name == o.Short) {
            return &o;
        }
    }
    return nullptr;
}

bool TOptionParser::Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
}

bool TOptionParser::Apply(const TOption& option, const std::string& given,
                          const std::string& value) {
    if (const TRefusal refusal = option.Take(value)) {
        return Fail("option " + given + " " + *refusal);
    }
    return true;
}

bool TOptionParser::Parse(const std::vector<std::string>& args, size_t first) {
    operands_.clear();
    problem_.clear();
    helpAsked_ = false;
    bool optionsEnded = false;
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            operands_.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        // The option's name, and a value glued to it ("--name=value", "-xvalue").
        std::string name = a;
        std::optional<std::string> glued;
        if (a[1] == '-') {
            if (const size_t eq = a.find('='); eq != std::string::npos) {
                name = a.substr(0, eq);
                glued = a.substr(eq + 1);
            }
        } else if (a.size() > 2) {
            name = a.substr(0, 2);
            glued = a.substr(2);
        }
        if ((name == "--help" || name == "-h") && !glued) {
            helpAsked_ = true;
            return true;
        }
        const TOption* option = Find(name);
        if (!option) {
            // A short flag followed by more letters is no option we know either.
            return Fail("unknown option " + (a[1] == '-' ? name : a));
        }
        if (!option->Take) {
            if (glued) {
                return Fail(a[1] == '-' ? "option " + name + " takes no value"
                                        : "unknown option " + a);
            }
            if (option->Seen) {
                option->Seen();
            }
            continue;
        }
        if (glued) {
            if (!Apply(*option, name, *glued)) {
                return false;
            }
            continue;
        }
        if (i + 1 >= args.size()) {
            return Fail("option " + name + " needs a value: " + name + " " + option->ValueName);
        }
        if (!Apply(*option, name, args[++i])) {
            return false;
        }
    }
    return true;
}

std::string TOptionParser::Table() const {
    std::vector<std::pair<std::string, std::string>> rows;
    size_t width = 0;
    for (const TOption& o : options_) {
        std::string left = o.Short.empty() ? "    " : o.Short + (o.Long.empty() ? "" : ", ");
        left += o.Long;
        if (!o.ValueName.empty()) {
            left += " " + o.ValueName;
        }
        width = std::max(width, left.size());
        rows.emplace_back(std::move(left), o.Help);
    }
    rows.emplace_back("-h, --help", "show this help and exit");
    width = std::max(width, rows.back().first.size());
    std::string text;
    for (const auto& [left, help] : rows) {
        text += "  " + left + std::string(width - left.size() + 2, ' ') + help + "\n";
    }
    return text;
}
