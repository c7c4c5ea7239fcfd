#include "CliDocs.h"

#include "CliOptions.h"
#include "CliOutput.h"
#include "CliSession.h"

#include <iostream>
#include <vector>

namespace {
std::vector<const CLI::App*> Subcommands(const CLI::App& app) {
    std::vector<const CLI::App*> list;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        list.push_back(sub);
    return list;
}

std::vector<std::string> SubcommandNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::App* sub : Subcommands(app))
        names.push_back(sub->get_name());
    return names;
}

// Every "--name" of an app's options, help included.
std::vector<std::string> LongNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options())
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
    return names;
}

// Text escaped for troff: backslashes doubled, hyphens of options kept literal, a leading dot
// or quote protected.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string OptionSynopsis(const CLI::Option& option) {
    std::string text = option.get_name(false, true);
    // Flags take no value; the others show what CLI11 calls their type ("FLOAT:NUMBER").
    if (option.get_expected_min() > 0 && !option.get_type_name().empty())
        text += " " + option.get_type_name();
    return text;
}
} // namespace

std::string ManPage(const CLI::App& app) {
    std::string page = ".TH DAXARA-CLI 1 \"\" \"Daxara " DAXARA_VERSION "\" \"User Commands\"\n";
    page += ".SH NAME\ndaxara\\-cli \\- " + Roff(app.get_description()) + "\n";
    page += ".SH SYNOPSIS\n.B daxara\\-cli\n.I COMMAND\n[\\fIOPTIONS\\fR]\n.br\n"
            ".B daxara\\-cli\n\\-\\-help | \\-\\-version\n";
    page += ".SH DESCRIPTION\n"
            "Each command opens one project file (.tdax; a .dax project is read and saved as "
            ".tdax), runs the same flow the desktop program runs for its menu command or "
            "dialog, and saves the project atomically only when the command succeeded. A "
            "refused command prints why on standard error, exits with a non\\-zero status and "
            "leaves every file as it was.\n";
    page += ".SH COMMANDS\n";
    for (const CLI::App* sub : Subcommands(app)) {
        page += ".SS " + Roff(sub->get_name());
        for (const CLI::Option* option : sub->get_options())
            if (option->get_positional())
                page += " " + Roff(option->get_name());
        page += "\n" + Roff(sub->get_description()) + "\n";
        for (const CLI::Option* option : sub->get_options()) {
            if (!option->nonpositional() || option->get_name() == "--help")
                continue;
            page += ".TP\n.B " + Roff(OptionSynopsis(*option)) + "\n" +
                    Roff(option->get_description()) + "\n";
        }
    }
    page += ".SH EXIT STATUS\n0 on success; non\\-zero when the command was refused or failed.\n";
    page += ".SH FILES\n.TP\n.I .NAME.daxara\\-lock\nheld beside a project while a command "
            "changes it; a second command waits up to 5 seconds.\n";
    page += ".SH SEE ALSO\n.BR daxara (1)\n";
    return page;
}

std::string BashCompletion(const CLI::App& app) {
    std::string script = "# bash completion for daxara-cli, written by daxara-cli itself\n"
                         "_daxara_cli() {\n"
                         "    local cur=${COMP_WORDS[COMP_CWORD]} command=${COMP_WORDS[1]}\n"
                         "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
                         "        COMPREPLY=($(compgen -W \"";
    for (const std::string& name : SubcommandNames(app))
        script += name + " ";
    script += "--help --version\" -- \"$cur\"))\n        return\n    fi\n"
              "    local options=\n    case $command in\n";
    for (const CLI::App* sub : Subcommands(app)) {
        script += "    " + sub->get_name() + ") options=\"";
        for (const std::string& name : LongNames(*sub))
            script += name + " ";
        script += "\" ;;\n";
    }
    script += "    esac\n"
              "    if [[ $cur == -* ]]; then\n"
              "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
              "    else\n"
              "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
              "    fi\n"
              "}\n"
              "complete -o filenames -F _daxara_cli daxara-cli\n";
    return script;
}

int WriteDocumentation(const CLI::App& app, const std::string& what, const std::string& path) {
    const std::string text = what == kGenerateManPage ? ManPage(app) : BashCompletion(app);
    try {
        // The build writes these again and again: an existing file is replaced.
        CheckOutput(path, what, true);
        WriteOutput(path, what, std::vector<std::uint8_t>(text.begin(), text.end()));
    } catch (const CCliError& e) {
        std::cerr << "daxara-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

std::string UnknownCommand(const CLI::App& app, int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-')
        return {};
    const std::string typed = argv[1];
    const std::vector<std::string> names = SubcommandNames(app);
    for (const std::string& name : names)
        if (name == typed)
            return {};
    std::string refusal = "unknown command \"" + typed + "\"";
    if (const std::string closest = ClosestName(typed, names); !closest.empty())
        refusal += "; did you mean \"" + closest + "\"?";
    std::string all;
    for (const std::string& name : names)
        all += (all.empty() ? "" : ", ") + name;
    return refusal + " (commands: " + all + ")";
}

std::string UnknownOptionHint(const CLI::App& app, int argc, char** argv) {
    if (argc < 2)
        return {};
    const CLI::App* sub = nullptr;
    for (const CLI::App* candidate : Subcommands(app))
        if (candidate->get_name() == argv[1])
            sub = candidate;
    if (!sub)
        return {};
    const std::vector<std::string> known = LongNames(*sub);
    std::string hints;
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (word.rfind("--", 0) != 0)
            continue;
        word = word.substr(0, word.find('='));
        if (std::find(known.begin(), known.end(), word) != known.end())
            continue;
        if (const std::string closest = ClosestName(word, known); !closest.empty())
            hints += (hints.empty() ? "" : "\n") + std::string("daxara-cli ") + argv[1] +
                     ": unknown option " + word + "; did you mean " + closest + "?";
    }
    return hints;
}
