#pragma once
// How a text section places its lines between its margins, and a rule's place in the width
// it is given (a rule is never justified).
#include <cstdint>

enum class LineAlign : uint8_t { Left = 1, Center = 2, Right = 3, Justify = 4 };
