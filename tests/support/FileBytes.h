#pragma once

// Whole files as strings of bytes: tests write their inputs with these and compare what a
// command left behind byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

// Writes `bytes` as the whole file, replacing it; fails the running test when it cannot, so a
// test never goes on with an input that is not there.
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

// The whole file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
