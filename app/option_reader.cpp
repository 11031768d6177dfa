#include "app/option_reader.h"

bool TOptionReader::Next() {
    if (i_ + 1 >= args_.size())
        return false;
    name_ = args_[++i_];
    inlineValue_.reset();
    const size_t eq = name_.find('=');
    if (name_.rfind("--", 0) == 0 && eq != std::string::npos) {
        inlineValue_ = name_.substr(eq + 1);
        name_.resize(eq);
    }
    return true;
}

bool TOptionReader::Value(std::string& into) {
    if (inlineValue_) {
        into = *inlineValue_;
        return true;
    }
    if (i_ + 1 >= args_.size())
        return false;
    into = args_[++i_];
    return true;
}
