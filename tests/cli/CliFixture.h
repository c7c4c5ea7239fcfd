#pragma once

// Runs the built daxara-cli in a directory of the running test.
#include "TestDir.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/wait.h>

struct CliRun {
    int status = -1;
    std::string out, err;
};

class CliFixture : public testing::Test {
protected:
    CTestDir dir;

    std::string P(const std::string& name) const { return dir.Path(name); }

    CliRun Cli(const std::string& args) const {
        const std::string errFile = P("stderr.txt");
        const std::string command = std::string(DAXARA_CLI) + " " + args + " 2>" + errFile;
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
        return r;
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(P(name), std::ios::binary) << bytes;
        return P(name);
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
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
