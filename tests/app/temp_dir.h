#pragma once
// Old names of the scratch directory and file helpers, kept while tests written against them are
// moved over to tests/support.
#include <string>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using TTempDir = folio_test::TempDir;
using folio_test::TrailerOf;
inline void WriteTextFile(const std::string& path, const std::string& content) {
    folio_test::WriteFile(path, content);
}
inline std::string ReadWholeFile(const std::string& path) { return folio_test::ReadFile(path); }
