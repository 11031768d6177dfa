#pragma once
// "foliobuilder render" run in-process: a scratch folder for its pages and pictures, and its
// output and messages captured as text.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

struct RenderCommandFixture : ::testing::Test {
    folio_test::TempDir dir;
    TCapture out, err;

    // args are those after "render"; no environment variable is set.
    int Run(std::vector<std::string> args) {
        TCommandLineEnvironment env;
        env.Out = out.File();
        env.Err = err.File();
        env.GetEnv = [](const char*) -> const char* { return nullptr; };
        args.insert(args.begin(), "render");
        return RunFolioBuilderCommandLine(args, env);
    }
    // Writes text to the file name in the scratch folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) {
        folio_test::WriteFile(dir / name, text);
        return dir / name;
    }
};
