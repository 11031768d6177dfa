#pragma once
// TkqFileLaunch: hands a file name or a URL to the desktop's program for it, as the builder's
// web and mail links need. Nothing is reported back: a launch with no program for the kind of
// address simply shows nothing.
#include <string>

class TkqFileLaunch {
public:
    void Launch(const std::string& FileName);
};
