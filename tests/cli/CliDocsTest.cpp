// The manual page and the bash completion are written from the command tree, so every command
// and option is in them.
#include "CliFixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
class CliDocs : public CliFixture {
protected:
    // The subcommands --help lists.
    std::vector<std::string> Subcommands() const {
        std::istringstream lines(Cli("--help").out);
        std::string line;
        std::vector<std::string> names;
        bool listing = false;
        while (std::getline(lines, line)) {
            if (line.rfind("Subcommands:", 0) == 0)
                listing = true;
            else if (listing && line.size() > 2 && line[2] != ' ')
                names.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
        return names;
    }

    // What bash offers for the words typed so far (the last one being completed).
    std::string Complete(const std::string& completion, const std::string& words) const {
        const std::string script = P("complete.sh");
        Write("complete.sh", "source '" + completion + "'\nCOMP_WORDS=(" + words +
                                 ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_daxara_cli\n"
                                 "echo \"${COMPREPLY[*]}\"\n");
        FILE* pipe = ::popen(("bash " + script).c_str(), "r");
        std::string out;
        char buffer[4096];
        std::size_t n = 0;
        while (pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        if (pipe)
            ::pclose(pipe);
        return out;
    }
};
} // namespace

TEST_F(CliDocs, TheManualPageDescribesEveryCommandAndOption) {
    const std::vector<std::string> commands = Subcommands();
    ASSERT_GE(commands.size(), 14u);
    const CliRun r = Cli("--write-man-page " + P("daxara-cli.1"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string page = Read(P("daxara-cli.1"));
    EXPECT_EQ(page.rfind(".TH DAXARA-CLI 1", 0), 0u);
    for (const std::string& command : commands) {
        std::string roff;
        for (char c : command)
            roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(page.find(".SS " + roff), std::string::npos) << command;
    }
    for (const char* option : {"\\-\\-aim\\-at", "\\-\\-replace", "\\-\\-junctions", "\\-\\-w5s"})
        EXPECT_NE(page.find(option), std::string::npos) << option;
    EXPECT_NE(Cli("--write-man-page " + P("no/such/folder/daxara-cli.1")).status, 0);
}

TEST_F(CliDocs, TheBashCompletionOffersCommandsAndTheirOptions) {
    const CliRun r = Cli("--write-bash-completion " + P("daxara-cli.bash"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string completion = P("daxara-cli.bash");
    EXPECT_EQ(Complete(completion, "daxara-cli li"), "list\n");
    EXPECT_EQ(Complete(completion, "daxara-cli ar"), "arrange\n");
    EXPECT_EQ(Complete(completion, "daxara-cli set p.tdax 0 --po"), "--power --polarity\n");
    EXPECT_EQ(Complete(completion, "daxara-cli auto-install p.tdax --rep"), "--replace\n");
    // Every subcommand --help lists is offered for an empty word.
    const std::string all = Complete(completion, "daxara-cli ''");
    for (const std::string& command : Subcommands())
        EXPECT_NE((" " + all).find(" " + command + " "), std::string::npos) << command;
}
