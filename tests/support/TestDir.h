#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

// A fresh directory of the running test, named after the test's full name and the process, so
// tests running at the same time (each CTest case is its own process) never share a file; a
// second directory in the same test gets its own number. Removed with everything in it when the
// object goes.
class CTestDir {
public:
    CTestDir() {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "." + info->name()
                                : std::string("no-test");
        for (char& c : name) // parameterised names carry '/'
            if (c == '/' || c == '\\')
                c = '_';
        m_root = std::filesystem::temp_directory_path() /
                 ("daxara-" + name + "-" + std::to_string(::getpid()) + "-" +
                  std::to_string(Sequence()++));
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
        std::filesystem::create_directories(m_root);
    }
    ~CTestDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    CTestDir(const CTestDir&) = delete;
    CTestDir& operator=(const CTestDir&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    // A path inside the directory.
    std::string Path(const std::string& name) const { return (m_root / name).string(); }

private:
    static int& Sequence() {
        static int next = 0;
        return next;
    }
    std::filesystem::path m_root;
};
