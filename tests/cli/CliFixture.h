#pragma once

// Runs the built daxara-cli in a directory of the running test.
#include "FileBytes.h"
#include "TestDir.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

struct CliRun {
    int status = -1;
    std::string out, err;
};

class CliFixture : public testing::Test {
protected:
    CTestDir dir;

    std::string P(const std::string& name) const { return dir.Path(name); }

    // Runs a shell command line in the test's directory with the tool as $CLI; standard error
    // is captured, standard output too unless the line redirects it.
    CliRun Shell(const std::string& line) const {
        const std::string errFile = P("stderr.txt");
        const std::string command = "CLI='" + std::string(DAXARA_CLI) + "'; cd '" +
                                    dir.Root().string() + "' && (" + line + ") 2>'" + errFile + "'";
        CliRun r;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return r;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            r.out.append(buffer, n);
        const int raw = ::pclose(pipe);
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.err = Read(errFile);
        std::filesystem::remove(errFile);
        return r;
    }
    CliRun Cli(const std::string& args) const { return Shell("$CLI " + args); }
    // Runs the tool and expects it to succeed; the run, for what it printed.
    CliRun Run(const std::string& args) const {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
        return r;
    }
    // The project as `info --json` describes it.
    nlohmann::json Info(const std::string& project) const {
        const CliRun r = Cli("info " + project + " --json");
        EXPECT_EQ(r.status, 0) << r.err;
        return nlohmann::json::parse(r.out);
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        WriteFileBytes(P(name), bytes);
        return P(name);
    }
    static std::string Read(const std::string& path) { return ReadFileBytes(path); }

    // Everything in the directory but the named files: what a command must not leave behind.
    std::vector<std::string> Debris(const std::vector<std::string>& expected) const {
        std::vector<std::string> extra;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Root())) {
            const std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                extra.push_back(name);
        }
        return extra;
    }

    // The project as the core reads it back; fails the test when it cannot be read.
    static std::unique_ptr<CDAXDoc> Reopen(const std::string& path) {
        auto doc = std::make_unique<CDAXDoc>();
        std::string error, notice;
        EXPECT_TRUE(ProjectFile::Open(path, *doc, error, &notice)) << path << ": " << error;
        EXPECT_EQ(notice, "") << path;
        return doc;
    }
};
