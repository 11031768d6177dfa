#pragma once
// Where tests find their input. Input that belongs to the project lives under tests/data/ and
// must be there: a missing folder fails the test. Third-party corpora live outside the project
// (../shared/corpus, see its README) and are optional: a test that needs one skips, naming the
// folder it looked for.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace folio_test {

// The project's source folder: FOLIO_SOURCE_DIR under CTest, else the current folder (a run by
// hand from the source root).
inline std::filesystem::path SourceDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return std::filesystem::path(src != nullptr && *src ? src : ".");
}

// tests/data/<sub>, which must exist.
inline std::filesystem::path ProjectData(const std::string& sub) {
    const std::filesystem::path p = SourceDir() / "tests" / "data" / sub;
    if (!std::filesystem::exists(p))
        throw std::runtime_error("test input " + p.string() + " is missing from the project");
    return p;
}

// The folder holding the optional corpora: FOLIO_CORPUS_DIR, else ../shared/corpus beside the
// source folder.
inline std::filesystem::path CorpusRoot() {
    const char* dir = std::getenv("FOLIO_CORPUS_DIR");
    if (dir != nullptr && *dir)
        return dir;
    return SourceDir() / ".." / "shared" / "corpus";
}

// The folder <sub> of the optional corpus, or an empty path when it is not there.
inline std::filesystem::path OptionalCorpus(const std::string& sub) {
    const std::filesystem::path p = CorpusRoot() / sub;
    return std::filesystem::is_directory(p) ? p : std::filesystem::path();
}

// Why a test that needs the corpus folder <sub> did not run.
inline std::string CorpusAbsent(const std::string& sub) {
    return "optional corpus " + (CorpusRoot() / sub).string() + " is absent";
}

} // namespace folio_test
