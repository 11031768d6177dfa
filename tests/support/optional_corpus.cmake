# Tests that read an optional third-party corpus (../shared/corpus, see its README). Each runs as
# a CTest entry of its own whose name says which folder it needs, and counts as skipped when the
# test skips, so a clone without the corpus lists them under "did not run" instead of passing
# them quietly. The suite's main entry leaves them out.
#
# This file is included after the suites' own files (the folder list is sorted), so the
# executables exist here.

# folio_corpus_test(EXE GTEST_NAME CORPUS_FOLDER)
function(folio_corpus_test exe gtest_name folder)
  if(NOT TEST ${exe})
    message(FATAL_ERROR "folio_corpus_test: no test executable ${exe} declared yet")
  endif()
  get_property(base_env GLOBAL PROPERTY folio_corpus_env_${exe})
  if(NOT base_env)
    get_test_property(${exe} ENVIRONMENT base_env)
    set_property(GLOBAL PROPERTY folio_corpus_env_${exe} "${base_env}")
  endif()

  set(name "${exe}: ${gtest_name} (needs corpus ${folder})")
  add_test(NAME ${name} COMMAND ${exe} --gtest_filter=${gtest_name}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  # A filter that matches no test (a renamed test) runs nothing and fails here.
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${base_env}" LABELS corpus
                       SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\] ${gtest_name}"
                       FAIL_REGULAR_EXPRESSION "\\[  PASSED  \\] 0 tests")

  # GoogleTest reads GTEST_FILTER when no --gtest_filter is given: the main entry skips what
  # runs above.
  set_property(GLOBAL APPEND PROPERTY folio_corpus_tests_${exe} ${gtest_name})
  get_property(taken GLOBAL PROPERTY folio_corpus_tests_${exe})
  list(JOIN taken ":" filter)
  set_tests_properties(${exe} PROPERTIES ENVIRONMENT "${base_env};GTEST_FILTER=-${filter}")
endfunction()

folio_corpus_test(html_reader_test LexerCorpus.Html5libTokenizerInputs fuzz-seeds/html-html5lib)
foreach(seeds gif-afl gif-gofuzz bmp-gofuzz jpeg-gofuzz)
  string(REPLACE "-" "_" param ${seeds})
  folio_corpus_test(html_image_tests Seeds/FuzzCorpus.EveryFileLoadsWithoutACrash/${param}
                    fuzz-seeds/${seeds})
endforeach()
folio_corpus_test(html_image_tests FuzzCorpus.SomeGoodFilesInTheCorporaDecode fuzz-seeds/gif-gofuzz)
folio_corpus_test(html_image_tests GifReferenceSuite.EveryFrameMatchesTheExpectedPicture
                  gif-reference/gifs)
