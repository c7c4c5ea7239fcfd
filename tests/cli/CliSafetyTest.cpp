// daxara-cli never loses a planner's work: refused commands leave the project byte for byte,
// concurrent commands do not lose updates, interrupted commands save nothing, and failures of
// every kind end with a non-zero status and a message that names the cause.
#include "ByteWriter.h"
#include "CliFixture.h"
#include "SceneFixtures.h"
#include "common/FileSafety.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

extern char** environ;

namespace {
// Whether the tool runs under a sanitizer: slower to start, and unable to run in a limited
// address space.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kInstrumented = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kInstrumented = true;
#else
constexpr bool kInstrumented = false;
#endif
#else
constexpr bool kInstrumented = false;
#endif

class CliSafety : public CliFixture {
protected:
    // A metric 10 x 8 x 4 room with an omnidirectional speaker imported.
    std::string Project(const std::string& name = "p.tdax") {
        EXPECT_EQ(Cli("new " + name + " --room 10,8,4 --ceiling full").status, 0);
        Write("omni.vsa", GenerateVsa(OmniSpeaker(90.0, 3)));
        const CliRun r = Cli("import " + name + " omni.vsa");
        EXPECT_EQ(r.status, 0) << r.err;
        return P(name);
    }
    int Installations(const std::string& project) const {
        const CliRun r = Cli("info --json " + project);
        EXPECT_EQ(r.status, 0) << r.err;
        return static_cast<int>(nlohmann::json::parse(r.out)["installations"].size());
    }
    // Runs two loops of kRaceRounds commands at the same time ($i counts the rounds, standard
    // error goes to err0.txt and err1.txt); returns how many of them reported success.
    static constexpr int kRaceRounds = 8;
    int Race(const std::string& first, const std::string& second) const {
        std::string loops;
        int writer = 0;
        for (const std::string& command : {first, second})
            loops += "(for i in $(seq 1 " + std::to_string(kRaceRounds) + "); do $CLI " + command +
                     " >/dev/null 2>>err" + std::to_string(writer++) + ".txt; echo $?; done) & ";
        const CliRun r = Shell(loops + "wait");
        int succeeded = 0, statuses = 0;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line); ++statuses)
            succeeded += line == "0";
        EXPECT_EQ(statuses, 2 * kRaceRounds);
        return succeeded;
    }
    // Runs the tool (arguments as given, no shell) and returns its peak resident memory in MiB;
    // the status and standard error come back in `run`.
    double PeakMiB(std::vector<std::string> args, CliRun& run) const {
        const std::string cli = DAXARA_CLI, errFile = P("peak-err.txt");
        args.insert(args.begin(), cli);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT, 0644);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t child = 0;
        const int spawned =
            posix_spawn(&child, cli.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0);
        int raw = 0;
        rusage usage{};
        EXPECT_EQ(::wait4(child, &raw, 0, &usage), child);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.err = Read(errFile);
        fs::remove(errFile);
        return static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
    // A legacy .dax file holding the body of the project at `from`.
    void MakeLegacy(const std::string& from, const std::string& name) const {
        const std::string current = Read(from);
        CByteWriter w;
        w.String("Version 2.0.0");
        w.Raw(reinterpret_cast<const std::uint8_t*>(current.data()) + 13, current.size() - 13);
        std::ofstream(P(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(w.bytes.data()),
                   static_cast<std::streamsize>(w.bytes.size()));
    }
};

TEST_F(CliSafety, TheNewExtensionReplacesAnotherProjectOnlyWithForce) {
    const std::string other = Project("other.tdax");
    const std::string before = Read(other);
    // new other.dax would be saved as other.tdax, an unrelated project.
    CliRun r = Cli("new other.dax");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("other.tdax exists"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read(other), before);

    // import proj.dax: the legacy project is read, the unrelated proj.tdax is not replaced.
    Project("source.tdax");
    MakeLegacy(P("source.tdax"), "proj.dax");
    Write("proj.tdax", "someone else's file");
    r = Cli("import proj.dax omni.vsa");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("proj.tdax already exists"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("imported"), std::string::npos) << r.out; // nothing claimed
    EXPECT_EQ(Read(P("proj.tdax")), "someone else's file");
    // With --force it is replaced, and the legacy file stays as it was.
    const std::string legacy = Read(P("proj.dax"));
    r = Cli("import proj.dax omni.vsa --force");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("imported"), std::string::npos);
    EXPECT_EQ(Read(P("proj.dax")), legacy);
    r = Cli("info --json proj.tdax");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["models"].size(), 2u);
    // The message names the file that was written, not the name given.
    r = Cli("new other.dax --force");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "created other.tdax\n");
    EXPECT_NE(Read(other), before);
    // A legacy file of the name given is not what `new` writes, so it neither stops the command
    // nor is touched by it.
    r = Cli("new proj.dax --force");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(P("proj.dax")), legacy);
    Write("fresh.dax", "an old project");
    r = Cli("new fresh.dax");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "created fresh.tdax\n");
    EXPECT_EQ(Read(P("fresh.dax")), "an old project");
    Reopen(P("fresh.tdax"));
    r = Cli("new fresh.dax");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("fresh.tdax exists; use --force"), std::string::npos) << r.err;
    EXPECT_TRUE(Debris({"other.tdax", "other.dax", "source.tdax", "omni.vsa", "proj.dax",
                        "proj.tdax", "fresh.dax", "fresh.tdax"})
                    .empty());
}

// Every option that writes a file besides the project follows one rule: never the project (by
// any name), never a pipe, device, folder or read-only file, an existing file only with --force.
TEST_F(CliSafety, OutputsNeverReplaceTheProjectASpecialFileOrAnotherFileUnasked) {
    const std::string project = Project();
    ASSERT_EQ(Cli("install p.tdax --at 5,4,3").status, 0);
    ASSERT_EQ(Cli("map p.tdax --save").status, 0);
    const std::string before = Read(project);
    struct CWriter {
        std::string option, command; // the command writes the file named by {}
        bool readsProject = true;
    };
    std::vector<CWriter> writers = {{"--csv", "map p.tdax --csv {}"},
                                    {"--csv", "map p.tdax --save --csv {}"},
                                    {"--csv", "spectrum p.tdax --at 2,2,1 --csv {}"},
                                    {"OUT", "export-sofa p.tdax {}"},
                                    {"PROJECT", "new {}", false}};
    if (Cli("render --help").status == 0)
        for (const char* option : {"--png", "--pdf"})
            writers.push_back({option, std::string("render p.tdax ") + option + " {}"});
    const auto command = [](const CWriter& w, const std::string& file, const char* more = "") {
        std::string text = w.command;
        return text.replace(text.find("{}"), 2, "'" + file + "'") + more;
    };
    fs::create_symlink("p.tdax", dir.Root() / "link.tdax");
    fs::create_directories(dir.Root() / "folder");
    ASSERT_EQ(::mkfifo(P("pipe").c_str(), 0644), 0);
    Write("readonly.out", "protected");
    ASSERT_EQ(::chmod(P("readonly.out").c_str(), 0444), 0);
    struct CTarget {
        std::string file, says;
    };
    const std::vector<CTarget> refused = {{"pipe", "named pipe"},
                                          {"/dev/null", "a device"},
                                          {"folder", "a directory"},
                                          {"readonly.out", "read-only"},
                                          {"", "empty"},
                                          {"no/such/folder/x", "does not exist"}};
    for (const CWriter& w : writers) {
        SCOPED_TRACE(w.command);
        // A save gives the project a new inode; the hard link follows it.
        fs::remove(P("hard.tdax"));
        fs::create_hard_link(project, P("hard.tdax"));
        const auto expectRefused = [&](const std::string& args, const std::string& says) {
            const CliRun r = Cli(args);
            EXPECT_NE(r.status, 0) << args;
            EXPECT_EQ(r.err.rfind("daxara-cli: " + w.option + ": ", 0), 0u) << args << r.err;
            EXPECT_NE(r.err.find(says), std::string::npos) << args << ": " << r.err;
            EXPECT_EQ(Read(project), before) << args;
        };
        if (w.readsProject)
            for (const char* name : {"p.tdax", "link.tdax", "hard.tdax", "./folder/../p.tdax"})
                expectRefused(command(w, name, " --force"), "the project");
        for (const CTarget& target : refused)
            expectRefused(command(w, target.file, " --force"), target.says);
        // Someone's file is replaced only when the command is told to.
        Write("theirs.out", "someone's file");
        expectRefused(command(w, "theirs.out"), "exists; use --force");
        EXPECT_EQ(Read(P("theirs.out")), "someone's file");
        const CliRun replaced = Cli(command(w, "theirs.out", " --force"));
        EXPECT_EQ(replaced.status, 0) << replaced.err;
        EXPECT_NE(Read(P("theirs.out")), "someone's file");
        fs::remove(P("theirs.out"));
        if (w.option == "--csv" && w.command.find("--save") != std::string::npos)
            Write("p.tdax", before); // that command saved the project: back to the start
    }
    EXPECT_TRUE(fs::is_symlink(dir.Root() / "link.tdax"));
    EXPECT_EQ(fs::symlink_status(P("pipe")).type(), fs::file_type::fifo);
    EXPECT_EQ(Read(P("readonly.out")), "protected");
    EXPECT_EQ(
        Debris({"p.tdax", "omni.vsa", "link.tdax", "hard.tdax", "folder", "pipe", "readonly.out"}),
        std::vector<std::string>{});
}

// The example projects go inside DIR only: no link is followed out of it, and the files of an
// earlier demo are replaced only with --force.
TEST_F(CliSafety, TheDemoWritesOnlyInsideItsFolderAndReplacesOnlyWithForce) {
    ASSERT_EQ(Cli("demo d").status, 0);
    std::vector<std::string> speakers;
    for (const auto& entry : fs::directory_iterator(dir.Root() / "d" / "speakers"))
        speakers.push_back(entry.path().filename().string());
    ASSERT_FALSE(speakers.empty());
    const std::string mine = P("d/speakers/" + speakers.front());
    Write("d/speakers/" + speakers.front(), "my own speaker");
    CliRun r = Cli("demo d");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("exists; use --force"), std::string::npos) << r.err;
    EXPECT_EQ(Read(mine), "my own speaker");
    r = Cli("demo d --force");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Read(mine), "my own speaker");
    Reopen(P("d/hall.tdax"));

    // A link inside DIR that leads out of it is refused, even with --force.
    fs::create_directories(dir.Root() / "outside");
    Write("outside/" + speakers.front(), "outside the demo");
    Write("outside/hall.tdax", "outside the demo");
    fs::create_directories(dir.Root() / "e");
    fs::create_directory_symlink(dir.Root() / "outside", dir.Root() / "e" / "speakers");
    fs::create_directories(dir.Root() / "f" / "speakers");
    fs::create_symlink(dir.Root() / "outside" / "hall.tdax", dir.Root() / "f" / "hall.tdax");
    for (const char* folder : {"e", "f"}) {
        r = Cli(std::string("demo ") + folder + " --force");
        EXPECT_NE(r.status, 0) << folder;
        EXPECT_NE(r.err.find("symbolic link"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Read(P("outside/" + speakers.front())), "outside the demo");
    EXPECT_EQ(Read(P("outside/hall.tdax")), "outside the demo");
    EXPECT_FALSE(fs::exists(dir.Root() / "f" / "meeting-room.tdax"));
    EXPECT_TRUE(fs::is_empty(dir.Root() / "f" / "speakers"));
}

// A project its owner made read-only stays as it is, though its folder would let a save
// replace it: every command that saves refuses with that reason.
TEST_F(CliSafety, AReadOnlyProjectIsRefusedByEveryCommandThatSaves) {
    const std::string project = Project();
    Write("ql9.vsa", GenerateVsa(QL9ArrayOptions()));
    ASSERT_EQ(Cli("import p.tdax ql9.vsa").status, 0);
    ASSERT_EQ(Cli("install p.tdax --model 0 --at 5,4,3").status, 0);
    const std::string before = Read(project);
    ASSERT_EQ(::chmod(project.c_str(), 0444), 0);
    for (const std::string args :
         {"import p.tdax omni.vsa", "install p.tdax --model 0 --at 1,1,1",
          "auto-install p.tdax --replace", "plane p.tdax --origin 0,0,1 --extent 10,8,0 --pitch 1",
          "map p.tdax --save", "remove p.tdax 0", "move p.tdax 0 --at 2,2,2",
          "set p.tdax 0 --power 0.5", "arrange p.tdax 1 --count 2", "new p.tdax --force"}) {
        const CliRun r = Cli(args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE(r.err.find("read-only"), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(Read(project), before) << args;
        EXPECT_EQ(fs::status(project).permissions(),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    // Made writable again, the same edit is saved.
    ASSERT_EQ(::chmod(project.c_str(), 0644), 0);
    EXPECT_EQ(Cli("move p.tdax 0 --at 2,2,2").status, 0);
    EXPECT_NE(Read(project), before);
    EXPECT_EQ(Debris({"p.tdax", "omni.vsa", "ql9.vsa"}), std::vector<std::string>{});
}

TEST_F(CliSafety, TwoWritersAtOnceLoseNoUpdate) {
    const std::string project = Project();
    // Two loops of installs at different spots, run at the same time.
    const int succeeded = Race("install p.tdax --at 2,$i,3", "install p.tdax --at 7,$i,3");
    EXPECT_EQ(succeeded, 2 * kRaceRounds) << Read(P("err0.txt")) << Read(P("err1.txt"));
    // Every install that reported success survived.
    EXPECT_EQ(Installations(project), succeeded);
    EXPECT_EQ(Debris({"p.tdax", "omni.vsa", "err0.txt", "err1.txt"}), std::vector<std::string>{});
}

TEST_F(CliSafety, TwoImportersAtOnceLoseNoModel) {
    const std::string project = Project();
    Write("loud.vsa", GenerateVsa(OmniSpeaker(96.0, 3)));
    const int succeeded = Race("import p.tdax omni.vsa", "import p.tdax loud.vsa");
    EXPECT_EQ(succeeded, 2 * kRaceRounds) << Read(P("err0.txt")) << Read(P("err1.txt"));
    // The project's first model and one per import that reported success.
    const CliRun r = Cli("info --json p.tdax");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(static_cast<int>(nlohmann::json::parse(r.out)["models"].size()), 1 + succeeded);
    EXPECT_EQ(Debris({"p.tdax", "omni.vsa", "loud.vsa", "err0.txt", "err1.txt"}),
              std::vector<std::string>{});
}

TEST_F(CliSafety, ASecondWriterWaitsForTheLockThenFailsClearly) {
    const std::string project = Project();
    const std::string before = Read(project);
    CProjectLock held;
    std::string error;
    ASSERT_TRUE(held.Acquire(project, std::chrono::milliseconds(0), error)) << error;
    const auto start = std::chrono::steady_clock::now();
    const CliRun r = Cli("install p.tdax --at 1,1,1");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)); // it waited
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("is being changed by another command"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read(project), before);
    // Readers do not need the lock.
    EXPECT_EQ(Cli("info p.tdax").status, 0);
}

TEST_F(CliSafety, APlaneTooLargeToOpenAgainIsRefusedBeforeAnyWork) {
    const std::string project = P("p.tdax");
    ASSERT_EQ(Cli("new p.tdax --room 6,6,3").status, 0);
    const std::string before = Read(project);
    const CliRun r = Cli("plane p.tdax --origin 0,0,1 --extent 6,6,0 --pitch 0.001");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("36000000 color dots"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::to_string(kMaxPlanePoints)), std::string::npos) << r.err;
    EXPECT_EQ(Read(project), before);
    // At the limit it is written and opens again.
    const CliRun ok = Cli("plane p.tdax --origin 0,0,1 --extent 6,6,0 --pitch 0.006");
    ASSERT_EQ(ok.status, 0) << ok.err;
    const CliRun info = Cli("info --json p.tdax");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(nlohmann::json::parse(info.out)["planes"][0]["points"], kMaxPlanePoints);
}

TEST_F(CliSafety, NumbersThatAreNotFiniteOrOutOfRangeAreRefusedNamingTheOption) {
    const std::string project = Project();
    ASSERT_EQ(Cli("install p.tdax --at 5,4,3 --power 1.2345").status, 0);
    const std::string before = Read(project);
    const std::pair<std::string, std::string> cases[] = {
        {"spectrum p.tdax --at nan,1,1", "--at"},
        {"spectrum p.tdax --at 1e308,0,0", "--at"},
        {"spectrum p.tdax --at 1,inf,1", "--at"},
        {"install p.tdax --at 1,1,nan", "--at"},
        {"install p.tdax --at 1,1,1 --power nan", "--power"},
        {"install p.tdax --at 1,1,1 --aim 0,inf,0", "--aim"},
        {"map p.tdax --freq inf", "--freq"},
        {"plane p.tdax --origin 0,0,1 --extent 10,8,0 --pitch nan", "--pitch"},
        {"plane p.tdax --origin 0,0,1 --extent 10,8,0 --pitch 0.5 --max inf", "--max"},
        {"new q.tdax --room 10,nan,3", "--room"},
        {"auto-install p.tdax --freq nan", "--freq"},
        {"auto-install p.tdax --freq inf", "--freq"},
        {"auto-install p.tdax --freq 0", "--freq"},
        {"auto-install p.tdax --freq -1", "--freq"},
        {"auto-install p.tdax --freq 1e308", "--freq"}};
    for (const auto& [args, option] : cases) {
        const CliRun r = Cli(args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE(r.err.find(option), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out.find("nan"), std::string::npos) << args << ": " << r.out;
        EXPECT_EQ(Read(project), before) << args;
    }
    EXPECT_FALSE(fs::exists(P("q.tdax")));

    // A project holding a NaN power is refused on opening, naming the field.
    std::string bytes = Read(project);
    const double power = 1.2345, nan = std::nan("");
    const auto at = bytes.rfind(
        std::string(reinterpret_cast<const char*>(&power), 8)); // the record, after the total
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 8, std::string(reinterpret_cast<const char*>(&nan), 8));
    Write("nan.tdax", bytes);
    for (const char* command : {"info", "spectrum --at 1,1,1", "map", "install --at 1,1,1"}) {
        const std::string args = std::string(command).substr(0, std::string(command).find(' '));
        const std::string rest = std::string(command).size() > args.size()
                                     ? std::string(command).substr(args.size())
                                     : std::string();
        const CliRun r = Cli(args + " nan.tdax" + rest);
        EXPECT_NE(r.status, 0) << command;
        EXPECT_NE(r.err.find("installation's power is not a finite number"), std::string::npos)
            << command << ": " << r.err;
    }
    EXPECT_EQ(Read(P("nan.tdax")), bytes);
}

TEST_F(CliSafety, CutSpeakerDataAndSpeakerDataWithoutTapsAreNotImported) {
    const std::string project = Project();
    const std::string before = Read(project);
    const std::string text = GenerateVsa(OmniSpeaker(90.0, 3));
    Write("cut.vsa", text.substr(0, text.size() - 25));
    CliRun r = Cli("import p.tdax cut.vsa");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("incomplete"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line "), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read(project), before);
    CVsaGenOptions noTaps = OmniSpeaker(90.0, 3);
    noTaps.taps.clear();
    Write("notaps.vsa", GenerateVsa(noTaps));
    r = Cli("import p.tdax omni.vsa notaps.vsa");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("line 4: tap count 0"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, ""); // the first file was not saved either, so nothing is reported
    EXPECT_EQ(Read(project), before);
}

TEST_F(CliSafety, InterruptedOrFailedSavesLeaveTheProjectAndNoTemporaryFile) {
    const std::string project = Project();
    ASSERT_EQ(Cli("install p.tdax --at 5,4,3").status, 0);
    const std::string before = Read(project);
    // A file-size limit below the project's size: the save fails, nothing is claimed.
    CliRun r = Shell("ulimit -f 16; $CLI install p.tdax --at 1,1,1");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("installed"), std::string::npos) << r.out;
    EXPECT_EQ(Read(project), before);
    EXPECT_EQ(Debris({"p.tdax", "omni.vsa"}), std::vector<std::string>{});

    // Ctrl-C while a large plane is calculated: nothing is saved and the status is not 0. Fine
    // speaker data and sixteen speakers keep the calculation busy for a good while; the room is
    // as large as the plane, which must lie inside it.
    Write("fine.vsa", GenerateVsa(OmniSpeaker(90.0, 24)));
    ASSERT_EQ(Cli("new p.tdax --force --room 100,100,4").status, 0);
    // A small plane to start from, so that only the large one below takes long.
    ASSERT_EQ(Cli("plane p.tdax --origin 0,0,1 --extent 10,8,0 --pitch 0.5").status, 0);
    ASSERT_EQ(Cli("import p.tdax fine.vsa").status, 0);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(Cli("install p.tdax --at " + std::to_string(1 + i % 8) + "," +
                      std::to_string(2 + i / 8) + ",3")
                      .status,
                  0);
    const std::string installed = Read(project);
    const std::string cli = DAXARA_CLI;
    std::vector<std::string> args = {cli,        "plane",     project,   "--origin", "0,0,1",
                                     "--extent", "100,100,0", "--pitch", "0.1"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string errFile = P("plane-err.txt");
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, cli.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    // One Ctrl-C well into the calculation (a second one would end the program at once): the
    // setting up (reading, building the million-point plane) takes little processor time, the
    // calculation seconds of it, so wait for 0.6 s of processor time: past the setting up.
    const auto cpuTicks = [&] {
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string field;
        long long ticks = 0;
        for (int i = 1; i <= 15 && stat >> field; ++i)
            if (i == 14 || i == 15)
                ticks += std::atoll(field.c_str());
        return ticks;
    };
    // Instrumented builds set up several times slower, so they wait longer before Ctrl-C.
    const long long waitMs = kInstrumented ? 1500 : 600;
    while (cpuTicks() * 1000 / ::sysconf(_SC_CLK_TCK) < waitMs &&
           ::waitpid(child, &status, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(child, SIGINT);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status; // the calculation saw Ctrl-C, it was not killed
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(Read(errFile).find("the calculation was stopped; nothing was saved"),
              std::string::npos)
        << Read(errFile);
    EXPECT_EQ(Read(project), installed);
    fs::remove(errFile);
    EXPECT_EQ(Debris({"p.tdax", "omni.vsa", "fine.vsa"}), std::vector<std::string>{});
}

TEST_F(CliSafety, SavingKeepsLinksLongNamesAndPermissions) {
    const std::string project = Project();
    ASSERT_EQ(::chmod(project.c_str(), 0600), 0);
    fs::create_symlink("p.tdax", dir.Root() / "link.tdax");
    CliRun r = Cli("install link.tdax --at 5,4,3");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir.Root() / "link.tdax"));
    EXPECT_EQ(Installations(project), 1);
    struct stat st {};
    ASSERT_EQ(::stat(project.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // The set-user-ID, set-group-ID and sticky bits stay too, each on its own and all at once.
    int edit = 0;
    for (const mode_t mode : {04640u, 02640u, 01640u, 07660u}) {
        ASSERT_EQ(::chmod(project.c_str(), mode), 0);
        r = Cli("set p.tdax 0 --power " + std::to_string(++edit));
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(::stat(project.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
    }
    ASSERT_EQ(::chmod(project.c_str(), 0600), 0);
    // A name of 255 bytes is created, changed and read.
    const std::string longName = std::string(250, 'L') + ".tdax";
    r = Cli("new " + longName);
    ASSERT_EQ(r.status, 0) << r.err;
    r = Cli("import " + longName + " omni.vsa");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli("info " + longName).status, 0);
    // A legacy project of a name as long holds two locks, its own and that of the .tdax it is
    // saved as; cut to fit, the two lock names still differ, so the command does not wait for
    // itself.
    const std::string longLegacy = std::string(250, 'L') + ".dax";
    MakeLegacy(project, longLegacy);
    r = Cli("import " + longLegacy + " omni.vsa --force");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("another command"), std::string::npos) << r.err;
    EXPECT_EQ(Reopen(P(longName))->Models().Count(), 2);
    EXPECT_EQ(Debris({"p.tdax", "omni.vsa", "link.tdax", longName, longLegacy}),
              std::vector<std::string>{});
}

TEST_F(CliSafety, WriteErrorsOnStandardOutputFailTheCommand) {
    const std::string project = Project();
    ASSERT_EQ(Cli("install p.tdax --at 5,4,3").status, 0);
    ASSERT_EQ(Cli("plane p.tdax --origin 0,0,1.2 --extent 10,8,0 --pitch 0.25").status, 0);
    for (const char* args : {"map p.tdax --csv -", "info --json p.tdax", "info p.tdax",
                             "spectrum p.tdax --at 2,2,1", "--help", "--version", "map --help"}) {
        const CliRun r = Shell(std::string("$CLI ") + args + " >/dev/full");
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE(r.err.find("cannot write to standard output"), std::string::npos)
            << args << ": " << r.err;
    }
}

TEST_F(CliSafety, InfoJsonCarriesNamesFromOldCodePages) {
    ASSERT_EQ(Cli("new p.tdax").status, 0);
    CVsaGenOptions latin = OmniSpeaker(90.0, 3);
    latin.name = "Caf\xE9 \xC4rger"; // Latin-1 bytes, not UTF-8
    Write("latin.vsa", GenerateVsa(latin));
    CVsaGenOptions utf8 = OmniSpeaker(90.0, 3);
    utf8.name = "Caf\xC3\xA9";
    Write("utf8.vsa", GenerateVsa(utf8));
    ASSERT_EQ(Cli("import p.tdax latin.vsa utf8.vsa").status, 0);
    const CliRun r = Cli("info --json p.tdax");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["models"][0]["name"].get<std::string>().substr(0, 12), "Caf\xC3\xA9 \xC3\x84rger");
    EXPECT_EQ(j["models"][1]["name"].get<std::string>().substr(0, 5), "Caf\xC3\xA9");
    EXPECT_NE(Cli("info --help").out.find("Latin-1"), std::string::npos);

    // C0 and C1 lead only overlong forms, never UTF-8: such names are Latin-1 too, byte for byte,
    // in the project's name as in a model's.
    const std::string overlong = "A\xC0\x80"
                                 "B\xC1\xBF";
    const std::string asLatin1 = "A\xC3\x80\xC2\x80"
                                 "B\xC3\x81\xC2\xBF";
    CVsaGenOptions odd = OmniSpeaker(90.0, 3);
    odd.name = overlong;
    Write("odd.vsa", GenerateVsa(odd));
    ASSERT_EQ(Cli("import p.tdax odd.vsa").status, 0);
    const auto doc = Reopen(P("p.tdax"));
    CProjectSettings settings = doc->Settings();
    settings.projectName = overlong;
    doc->ReplaceSettings(settings);
    const std::vector<std::uint8_t> bytes = ProjectFile::Write(*doc);
    Write("p.tdax", std::string(bytes.begin(), bytes.end()));
    const CliRun odds = Cli("info --json p.tdax");
    ASSERT_EQ(odds.status, 0) << odds.err;
    const nlohmann::json o = nlohmann::json::parse(odds.out); // throws on bytes that are no UTF-8
    EXPECT_EQ(o["name"], asLatin1);
    EXPECT_EQ(o["models"][2]["name"].get<std::string>().substr(0, asLatin1.size()), asLatin1);
}

TEST_F(CliSafety, MessagesNameTheCause) {
    const std::string project = Project();
    const std::string before = Read(project);
    fs::create_directories(dir.Root() / "folder.vsa");
    CliRun r = Cli("import p.tdax folder.vsa");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("it is a directory"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("underflow"), std::string::npos) << r.err;
    EXPECT_EQ(Read(project), before);
    const auto start = std::chrono::steady_clock::now();
    r = Cli("info /dev/zero");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    r = Cli("info " + dir.Root().string());
    EXPECT_NE(r.err.find("is a directory"), std::string::npos) << r.err;
    r = Cli("new ''");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("name is empty"), std::string::npos) << r.err;
    ASSERT_EQ(Cli("export-sofa omni.vsa omni.sofa").status, 0);
    r = Cli("bands omni.sofa");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("expects a project"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("tag"), std::string::npos) << r.err;
}

// A file that is no project is refused from its first bytes: no memory is taken for the rest,
// and a project is read with memory about its own size, not twice it.
TEST_F(CliSafety, TheReaderTakesMemoryForWhatAProjectHoldsOnly) {
    constexpr std::uintmax_t kTwoGiB = std::uintmax_t(1) << 31; // as large as a project may be
    for (const char* name : {"big.tdax", "big.dax"}) {
        std::ofstream(P(name)).close();
        fs::resize_file(P(name), kTwoGiB); // sparse: no disk, but 2 GiB to read
        CliRun r;
        const double peak = PeakMiB({"info", P(name)}, r);
        EXPECT_NE(r.status, 0) << name;
        const std::string expected = std::string(name) == "big.tdax"
                                         ? "does not start with the project tag"
                                         : "Not available file.";
        EXPECT_NE(r.err.find(expected), std::string::npos) << name << ": " << r.err;
        EXPECT_LT(peak, 200.0) << name;
        fs::remove(P(name));
    }
    // A plane of a million points: 56 MB in the file, 56 MB in the document.
    ASSERT_EQ(Cli("new large.tdax --room 6,6,3").status, 0);
    ASSERT_EQ(Cli("plane large.tdax --origin 0,0,1 --extent 6,6,0 --pitch 0.006").status, 0);
    ASSERT_EQ(Cli("new small.tdax --room 6,6,3").status, 0);
    const double fileMiB = static_cast<double>(fs::file_size(P("large.tdax"))) / (1 << 20);
    ASSERT_GT(fileMiB, 50.0);
    CliRun large, small;
    const double largePeak = PeakMiB({"info", P("large.tdax")}, large);
    const double smallPeak = PeakMiB({"info", P("small.tdax")}, small);
    ASSERT_EQ(large.status, 0) << large.err;
    ASSERT_EQ(small.status, 0) << small.err;
    // The bytes once and the document; a copy of the bytes, or a buffer grown past the file's
    // size to find its end, would be a third file's worth.
    EXPECT_LT(largePeak - smallPeak, 2.5 * fileMiB) << largePeak << " - " << smallPeak;
}

TEST_F(CliSafety, APictureTooLargeForTheMemoryIsRefusedNamingTheSize) {
    if (kInstrumented)
        GTEST_SKIP() << "a sanitizer cannot run in a limited address space";
    if (Cli("render --help").status != 0)
        GTEST_SKIP() << "this tool was built without pictures";
    Project();
    ASSERT_EQ(Cli("install p.tdax --at 5,4,3").status, 0);
    ASSERT_EQ(Cli("map p.tdax --save").status, 0);
    Write("map.png", "the old picture");
    // A 16384 x 16384 picture needs 1 GiB; the command may use 400 MB.
    CliRun r =
        Shell("ulimit -v 400000; $CLI render p.tdax --png map.png --size 16384x16384 --force");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("--size 16384x16384: there is not enough memory for a picture of 1024 MB"),
              std::string::npos)
        << r.err.substr(0, 2000);
    // One message, not a painter's complaints about drawing into nothing.
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err.substr(0, 2000);
    EXPECT_EQ(Read(P("map.png")), "the old picture");
    // Within the same memory a picture of a usual size is drawn.
    r = Shell("ulimit -v 400000; $CLI render p.tdax --png map.png --size 800x600 --force");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(P("map.png")).substr(1, 3), "PNG");
}
} // namespace
