#pragma once
// Captions mark their access key with "&": "&1 Directory" shows "1 Directory" with the 1
// underlined, and Alt+1 presses the control. "&&" stands for a literal "&".
#include <string>
#include <string_view>

struct TAccessKey {
    std::string Text; // the caption as shown, without the marks
    char Key = 0;     // the access key as written (0 when none)
    int Index = -1;   // position of the key in Text (-1 when none)
};

// Only the first mark counts; a "&" at the end is shown as it is.
TAccessKey ParseAccessKey(std::string_view caption);
// Compares access keys ignoring ASCII case.
bool SameAccessKey(char a, char b);
