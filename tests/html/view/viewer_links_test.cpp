#include <gtest/gtest.h>

#include "tests/html/view/view_util.h"

using folio_test::ViewerTest;
