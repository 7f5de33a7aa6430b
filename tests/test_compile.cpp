// The compile and launch pipeline against fake installations whose compilers, game and Steam
// client are a small program of ours that records how it was started.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "driver/compile_pipeline.h"
#include "driver/compile_problems.h"
#include "session/report.h"
#include "paths/accounts.h"
#include "platform/process_runner.h"
#include "test_support.h"

namespace tessellon::testing {
namespace {

#ifdef TESSELLON_FAKE_PROGRAM

struct Call {
    int priority = 0;
    std::vector<std::string> args;
    bool finished = false;
};

std::vector<Call> CallsOf(const fs::path& program) {
    std::vector<Call> calls;
    fs::path file = program;
    file += ".calls";
    for (const std::string& line : FileLines(file)) {
        if (line == "call") calls.emplace_back();
        else if (line.rfind("priority ", 0) == 0) calls.back().priority = std::stoi(line.substr(9));
        else if (line.rfind("arg ", 0) == 0) calls.back().args.push_back(line.substr(4));
        else if (line == "finished") calls.back().finished = true;
    }
    return calls;
}

// The game is started without waiting: give it a moment to write down its arguments.
std::vector<Call> CallsWhenFinished(const fs::path& program) {
    for (int i = 0; i < 200; ++i) {
        auto calls = CallsOf(program);
        if (!calls.empty() && calls.back().finished) return calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return CallsOf(program);
}

void InstallFake(const fs::path& where) {
    fs::create_directories(where.parent_path());
    fs::copy_file(TESSELLON_FAKE_PROGRAM, where, fs::copy_options::overwrite_existing);
    fs::permissions(where, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
}

void Touch(const fs::path& program, const std::string& suffix, const std::string& content = "") {
    fs::path p = program;
    p += suffix;
    WriteFile(p, content);
}

// A legacy account under a Steam folder with a blank in its path, and a program folder whose
// name holds quotes, a blank and a ';'.
struct CompileTest : ::testing::Test {
    TempDir root;
    fs::path account = root.path() / "Program Files (x86)" / "Steam" / "steamapps" / "player1";
    fs::path program = root.path() / "my \"levels\"; here";
    TestSession t{program};
    Session& s = t.s;
    GamePaths g;

    void SetUp() override {
        InstallFake(account / "half-life 2" / "hl2.exe");
        fs::create_directories(account / "half-life 2" / "hl2" / "maps");
        for (const char* c : {"vbsp.exe", "vvis.exe", "vrad.exe"}) InstallFake(account / "sourcesdk" / "bin" / c);
        WriteFile(program / "level1.vmf", "level");
        s.HL2Path = account.string();
        s.compile.runner = CompilerRunner::Direct;
        s.compile.gameStart = GameStart::Direct;
        g = GamePathsFor(s.HL2Path);
    }
    fs::path Maps(const std::string& name) const { return fs::path(g.mapsFolder) / name; }
    std::vector<std::string> BoxTitles() const {
        std::vector<std::string> out;
        for (const auto& b : t.ui.boxes) out.push_back(b.title);
        return out;
    }
};

TEST_F(CompileTest, CompilersGetExactArgumentsAtIdlePriorityAndTheOlderLevelIsKept) {
    WriteFile(Maps("level1.bsp"), "older level");
    RandomSource copy = s.random;
    const int backupNumber = static_cast<int>(copy.Draw() * 1000 + 1);
    // The panel's box is ticked at the start and unticked while vrad runs.
    s.settings.RunMapAfterCompile = true;
    Touch(g.vrad, ".sleep", "0.3");
    t.ui.onYield = [&] {
        if (!CallsOf(g.vrad).empty()) s.CompileRunMapCheck = false;
    };

    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::LaunchDeclined);

    const std::vector<std::string> expectedArgs{"-v", "-game", g.gameFolder, (program / "level1").string()};
    for (const std::string* compiler : {&g.vbsp, &g.vvis, &g.vrad}) {
        const auto calls = CallsOf(*compiler);
        ASSERT_EQ(calls.size(), 1u) << *compiler;
        EXPECT_EQ(calls[0].args, expectedArgs) << *compiler;
        EXPECT_EQ(calls[0].priority, 19) << *compiler;
    }
    EXPECT_EQ(ReadFile(Maps("level1.bsp")), "compiled " + (program / "level1").string() + "\n");
    EXPECT_EQ(ReadFile(Maps("backup_" + std::to_string(backupNumber) + "_level1.bsp")), "older level");
    EXPECT_FALSE(fs::exists(program / "level1.bsp"));
    EXPECT_EQ(BoxTitles(), (std::vector<std::string>{"Generating done!", "Sure?"}));
    EXPECT_TRUE(CallsOf(g.gameExe).empty());
    EXPECT_FALSE(t.ui.compilePanel);
    for (const double pct : {25.0, 50.0, 75.0, 100.0})
        EXPECT_NE(std::find(t.ui.progressColumns.begin(), t.ui.progressColumns.end(), ProgressColumns(pct)),
                  t.ui.progressColumns.end()) << pct;
}

TEST_F(CompileTest, TheGameStartsWithItsParametersDirectlyOrThroughSteamAndTheProgramEnds) {
    const fs::path steam = root.path() / "bin" / "steam";
    InstallFake(steam);
    s.settings.RunMapAfterCompile = true;
    s.settings.AllWeapons = true;
    s.settings.GameDifficulty = 3;
    EXPECT_EQ(GameParams(s.settings), " skill 3;bind f12 +toggleconsole ;sv_cheats = 1;impulse 101;impulse 101;echo All weapons enabled;");
    const std::vector<std::string> params{"skill", "3;bind", "f12", "+toggleconsole", ";sv_cheats", "=", "1;impulse",
                                          "101;impulse", "101;echo", "All", "weapons", "enabled;"};
    const struct {
        GameStart how;
        fs::path program;
        std::vector<std::string> head;
    } cases[] = {
        {GameStart::Direct, g.gameExe, {}},
        {GameStart::ThroughSteam, steam, {"-applaunch", "220"}},
    };
    for (const auto& c : cases) {
        s.compile.gameStart = c.how;
        s.compile.steamProgram = steam.string();
        WriteFile(program / "level1.vmf", "level");
        try {
            RunCompilePipeline(s);
            ADD_FAILURE() << "the program goes on after the launch";
        } catch (const ProgramEnd& e) {
            EXPECT_EQ(e.ExitCode(), kExitAfterLaunch);
        }
        const auto calls = CallsWhenFinished(c.program);
        ASSERT_EQ(calls.size(), 1u) << c.program;
        std::vector<std::string> expected = c.head;
        for (const std::string& a : {std::string("-game"), g.gameFolder, std::string("+map"), std::string("level1")})
            expected.push_back(a);
        expected.insert(expected.end(), params.begin(), params.end());
        EXPECT_EQ(calls[0].args, expected);
        EXPECT_EQ(calls[0].priority, 0) << "the game runs at normal priority";
    }
    EXPECT_TRUE(t.ui.Saw("Start Parameters: " + GameCommandLine(g, GameParams(s.settings))));
}

TEST_F(CompileTest, AbortDuringVisStopsItAndSkipsRadAndTheMove) {
    Touch(g.vvis, ".sleep", "30");
    t.ui.onYield = [&] {
        if (!s.StopCompiler && !CallsOf(g.vvis).empty()) AbortCompile(s);
    };
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::Aborted);
    const auto vis = CallsOf(g.vvis);
    ASSERT_EQ(vis.size(), 1u);
    EXPECT_FALSE(vis[0].finished) << "vvis was waited for instead of stopped";
    EXPECT_TRUE(CallsOf(g.vrad).empty());
    EXPECT_FALSE(fs::exists(program / "level1.bsp")) << "an unfinished level stays where a move could take it";
    EXPECT_FALSE(fs::exists(Maps("level1.bsp")));
    EXPECT_TRUE(t.ui.Saw("Aborted compilation..."));
    EXPECT_FALSE(t.ui.compilePanel);
    const auto& rows = s.compileReport.rows;
    EXPECT_EQ(rows[0].state, CompilerState::Finished);
    EXPECT_EQ(rows[1].state, CompilerState::Stopped);
    EXPECT_EQ(rows[2].state, CompilerState::Waiting);
}

// The fault users met: a compile stopped after vbsp had written level1.bsp, then a compile whose
// vbsp wrote nothing moved the old, unfinished level into the game. Also a level1.bsp left in
// the program folder by anything else is never installed.
TEST_F(CompileTest, ALevelThisCompileDidNotMakeIsNeverInstalled) {
    Touch(g.vvis, ".sleep", "30");
    t.ui.onYield = [&] {
        if (!s.StopCompiler && !CallsOf(g.vvis).empty()) AbortCompile(s);
    };
    ASSERT_EQ(RunCompilePipeline(s), CompileOutcome::Aborted);
    t.ui.onYield = nullptr;
    fs::remove(fs::path(g.vvis).concat(".sleep"));
    Touch(g.vbsp, ".nobsp");
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::NoMap);
    EXPECT_EQ(t.ui.boxes.back().title, "NoMap!");
    EXPECT_FALSE(fs::exists(Maps("level1.bsp")));

    WriteFile(program / "level1.bsp", "made by nobody in this run");
    WriteFile(program / "level1.lin", "0 0 0");
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::NoMap);
    EXPECT_FALSE(fs::exists(Maps("level1.bsp")));
    EXPECT_FALSE(fs::exists(program / "level1.bsp"));
    EXPECT_TRUE(s.compileReport.pointFile.empty()) << "an old leak's pointfile is not this compile's";

    // A vbsp that ends with an error leaves no level for the move either.
    fs::remove(fs::path(g.vbsp).concat(".nobsp"));
    Touch(g.vbsp, ".exit", "1");
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::NoMap);
    EXPECT_FALSE(fs::exists(Maps("level1.bsp")));
    EXPECT_EQ(CallsOf(g.vrad).size(), 3u) << "the next compilers still run after a failed one";
}

TEST_F(CompileTest, OutputIsShownKeptAndExplainedAndTheStatusSaysWhereTheLevelWent) {
    Touch(g.vbsp, ".leak");
    Touch(g.vbsp, ".print",
          "Material not found!: TOOLS/GONE_WALL\n"
          "Error loading studio model \"models/props/gone.mdl\"!\n"
          "Error! prop_static using model \"models/props_c17/oildrum001.mdl\", which must be used on a dynamic "
          "entity (i.e. prop_physics). Deleted.\n");
    Touch(g.vvis, ".print", "LoadPortals: couldn't read " + (program / "level1.prt").string() + "\n");
    Touch(g.vrad, ".print", "Building lights\ntoo many lights 8193 / 8192\n");
    Touch(g.vrad, ".exit", "1");
    s.settings.WriteLogFile = true;
    Log(s, "start");

    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::LaunchDeclined);

    const CompileReport& r = s.compileReport;
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].state, CompilerState::Finished);
    EXPECT_EQ(r.rows[2].exitCode, 1);
    std::vector<CompileProblemKind> kinds;
    for (const auto& p : r.problems) kinds.push_back(p.kind);
    EXPECT_EQ(kinds, (std::vector<CompileProblemKind>{CompileProblemKind::MissingMaterial, CompileProblemKind::MissingModel,
                                               CompileProblemKind::StaticPropPhysics, CompileProblemKind::Leak,
                                               CompileProblemKind::NoPortals, CompileProblemKind::EngineLimit}));
    EXPECT_EQ(r.problems[3].items, (std::vector<std::string>{"info_player_start (-512.00 128.00 64.00)"}));
    EXPECT_EQ(r.pointFile, (program / "level1.lin").string());
    EXPECT_NE(ProblemExplanation(r.problems[3], r).find(r.pointFile), std::string::npos);
    EXPECT_EQ(r.installedLevel, Maps("level1.bsp").string());
    EXPECT_TRUE(r.finished);

    // Both streams of every compiler reach the window, compile.log and the log file.
    const std::string compileLog = ReadFile(program / "compile.log");
    const std::string log = ReadFile(t.LogPath());
    for (const std::string& line : {std::string("vvis.exe: working on the level\n"), std::string("**** leaked ****\n"),
                                    std::string("too many lights 8193 / 8192\n")}) {
        EXPECT_NE(t.ui.compileOutput.find(line), std::string::npos) << line;
        EXPECT_NE(compileLog.find(line), std::string::npos) << line;
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
    EXPECT_NE(compileLog.find("== vrad finished with exit status 1"), std::string::npos) << compileLog;
    EXPECT_NE(compileLog.find("The level leaks: "), std::string::npos) << compileLog;
    EXPECT_NE(std::find(t.ui.vbspStates.begin(), t.ui.vbspStates.end(), CompilerState::Running), t.ui.vbspStates.end());

    const std::string status = InstalledStatus(r);
    EXPECT_TRUE(t.ui.Saw(status));
    EXPECT_NE(status.find(Maps("level1.bsp").string()), std::string::npos) << status;
    EXPECT_NE(status.find("map level1"), std::string::npos) << status;
}

TEST_F(CompileTest, NoMapWhenVbspLeavesNothingOrNoBackupNameIsFree) {
    WriteFile(Maps("level1.bsp"), "older level");
    Touch(g.vbsp, ".nobsp");
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::NoMap);
    ASSERT_EQ(t.ui.boxes.back().title, "NoMap!");
    EXPECT_EQ(t.ui.boxes.back().text,
              "The compiler didn't produce any map so there was probably some errors with it. If you want to compile "
              "the map manually, (preferably in hammer) the map lies here: " +
                  (program / "level1.vmf").string() + " I'm sorry, this error is very unexpected.");
    int backups = 0;
    for (const auto& e : fs::directory_iterator(g.mapsFolder))
        if (ReadFile(e.path()) == "older level") ++backups;
    EXPECT_EQ(backups, 1) << "the older level is kept";

    // Every backup name taken: nothing is replaced and the new level stays where vbsp put it.
    fs::remove(fs::path(g.vbsp).concat(".nobsp"));
    WriteFile(Maps("level1.bsp"), "older level");
    for (int n = 1; n <= 1000; ++n) WriteFile(Maps("backup_" + std::to_string(n) + "_level1.bsp"), "b");
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::NoMap);
    EXPECT_EQ(ReadFile(Maps("level1.bsp")), "older level");
    EXPECT_TRUE(fs::exists(program / "level1.bsp"));
}

TEST_F(CompileTest, ACompilerThatIsMissingOrCannotStartEndsTheBuildNamingIt) {
    const struct {
        const std::string* compiler;
        std::function<void(const fs::path&)> spoil;
    } cases[] = {
        {&g.vvis, [](const fs::path& p) { fs::remove(p); }},
        {&g.vrad, [](const fs::path& p) { WriteFile(p, "not a program"); fs::permissions(p, fs::perms::owner_all); }},
    };
    for (const auto& c : cases) {
        SetUp();
        c.spoil(*c.compiler);
        const std::string message = FailureOf([&] { RunCompilePipeline(s); });
        EXPECT_NE(message.find(*c.compiler), std::string::npos) << message;
    }
    EXPECT_EQ(CallsOf(g.vbsp).size(), 2u);
    EXPECT_EQ(CallsOf(g.vrad).size(), 0u);
}

TEST_F(CompileTest, AGameThatCannotStartIsAGeneralErrorWithErrorLog) {
    s.settings.RunMapAfterCompile = true;
    s.compile.gameStart = GameStart::ThroughSteam;
    s.compile.steamProgram = (root.path() / "no-steam-here").string();
    EXPECT_EQ(FailureOf([&] { RunCompilePipeline(s); }), "A general script error has occoured!");
    const std::string log = ReadFile(program / "errorlog.txt");
    EXPECT_EQ(log.rfind("Error occoured in Compile Main! (2 ", 0), 0u) << log;
    EXPECT_NE(log.find("no-steam-here)"), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(Maps("level1.bsp")));
}

TEST_F(CompileTest, DecliningTheCompileLeavesTheLevelUncompiled) {
    t.ui.okCancelAnswer = BoxAnswer::Cancel;  // then "Abort?" is answered Yes
    EXPECT_EQ(RunCompilePipeline(s), CompileOutcome::Declined);
    EXPECT_EQ(BoxTitles(), (std::vector<std::string>{"Generating done!", "Abort?"}));
    EXPECT_TRUE(CallsOf(g.vbsp).empty());
    EXPECT_TRUE(fs::exists(program / "level1.vmf"));
}

#endif  // TESSELLON_FAKE_PROGRAM

TEST(CompilerOutput, ValvesMessagesAreRecognisedAndOrdinaryLinesAreNot) {
    const struct {
        const char* line;
        CompileProblemKind kind;
        const char* item;
    } known[] = {
        {"**** leaked ****", CompileProblemKind::Leak, ""},
        {"Entity prop_physics (12.50 -3.00 40.00) leaked!\r", CompileProblemKind::Leak, "prop_physics (12.50 -3.00 40.00)"},
        {"LoadPortals: couldn't read c:\\maps\\level1.prt", CompileProblemKind::NoPortals, "c:\\maps\\level1.prt"},
        {"Material not found!: CONCRETE/NOPE", CompileProblemKind::MissingMaterial, "CONCRETE/NOPE"},
        {"WARNING: material not found: \"brick/gone\"", CompileProblemKind::MissingMaterial, "brick/gone"},
        {"Error loading studio model \"models/a.mdl\"!", CompileProblemKind::MissingModel, "models/a.mdl"},
        {"Error! prop_static using model \"models/b.mdl\", which must be used on a dynamic entity (i.e. prop_physics). "
         "Deleted.", CompileProblemKind::StaticPropPhysics, "models/b.mdl"},
        {"Brush 812: MAX_MAP_PLANES", CompileProblemKind::EngineLimit, "Brush 812: MAX_MAP_PLANES"},
        {"Too many unique verts, max = 65536 (map has too much brush geometry)", CompileProblemKind::EngineLimit, ""},
        {"The map overflows the max portal count (9000 of max 8192)!", CompileProblemKind::EngineLimit, ""},
        {"wine: Unhandled page fault on read access to 00000000 at address 0040100A", CompileProblemKind::Crash, ""},
    };
    for (const auto& k : known) {
        const auto f = RecogniseLine(k.line);
        ASSERT_TRUE(f.has_value()) << k.line;
        EXPECT_EQ(f->kind, k.kind) << k.line;
        if (*k.item) {
            EXPECT_EQ(f->item, k.item) << k.line;
        }
    }
    for (const char* ordinary : {"Valve Software - vbsp.exe (Feb 20 2013)", "Processing areas...done (0)",
                                 "0...1...2...3...4...5...6...7...8...9...10", "Writing c:\\maps\\level1.bsp",
                                 "Building Physics collision data...", "", "   "})
        EXPECT_FALSE(RecogniseLine(ordinary).has_value()) << ordinary;

    // Lines arrive in pieces; a crash shows in the exit status, an error in the last lines.
    CompileReport r;
    CompileOutputReader reader;
    EXPECT_FALSE(reader.Feed(r, "vbsp", "Material not fo"));
    EXPECT_TRUE(reader.Feed(r, "vbsp", "und!: A\r\nMaterial not found!: B\nMaterial not found!: A\n"));
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].items, (std::vector<std::string>{"A", "B"}));
    EXPECT_FALSE(reader.Ended(r, "vbsp", 0, false));
#ifndef _WIN32
    EXPECT_TRUE(reader.Ended(r, "vvis", 128 + 11, false));
    EXPECT_EQ(r.problems.back().kind, CompileProblemKind::Crash);
#endif
    reader.Feed(r, "vrad", "Loading level\nError opening level1.bsp");
    EXPECT_TRUE(reader.Ended(r, "vrad", 1, false));
    EXPECT_EQ(r.problems.back().kind, CompileProblemKind::CompilerError);
    EXPECT_EQ(r.problems.back().items, (std::vector<std::string>{"exit status 1", "Loading level", "Error opening level1.bsp"}));
    EXPECT_FALSE(reader.Ended(r, "vbsp", 1, true)) << "a compiler the user stopped has no problem";
}

TEST(CommandLine, SplitsLikeWindowsAndQuotingRoundTrips) {
    const struct {
        std::string line;
        std::vector<std::string> args;
    } cases[] = {
        {"\"C:\\a b\\vbsp.exe\" -v -game \"C:\\x\\hl2\" \"C:\\p\\level1\"",
         {"C:\\a b\\vbsp.exe", "-v", "-game", "C:\\x\\hl2", "C:\\p\\level1"}},
        {"a  \t b;c ;d", {"a", "b;c", ";d"}},
        {"\"say \\\"hi\\\"\" x\\\\\\\"y \"end\\\\\"", {"say \"hi\"", "x\\\"y", "end\\"}},
        {"ab\"c d\"e \"\"", {"abc de", ""}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
    for (const std::string& nasty : {std::string("plain"), std::string("a \"quoted\"; path\\"), std::string("\\\\server\\share\\"),
                                     std::string(""), std::string("x\\\"y")})
        EXPECT_EQ(SplitCommandLine(QuoteArgument(nasty) + " next"), (std::vector<std::string>{nasty, "next"})) << nasty;
    EXPECT_EQ(QuoteArgument("C:\\Steam\\vbsp.exe"), "\"C:\\Steam\\vbsp.exe\"");
}

// A child that cannot be waited on, or not stopped, to prove the wait loop ends either way.
struct StubbornChild final : ChildProcess {
    WaitResult answer;
    bool terminates;
    StubbornChild(WaitResult a, bool t) : answer(a), terminates(t) {}
    bool SetPriorityClass(int) override { return false; }
    WaitResult Wait(int) override { return answer; }
    bool Terminate(int) override { return terminates; }
    int ExitCode() const override { return -1; }
};
struct StubbornRunner final : ProcessRunner {
    WaitResult answer = WaitResult::Failed;
    bool terminates = true;
    std::unique_ptr<ChildProcess> Start(const std::string&, const StartOptions&) override {
        return std::make_unique<StubbornChild>(answer, terminates);
    }
};

TEST(ShellWait, EndsForALostProcessAndEndsTheProgramForOneThatWillNotStop) {
    TestSession t;
    StubbornRunner runner;
    t.s.processes = &runner;
    EXPECT_TRUE(ShellWait(t.s, "x", kWindowHidden, kIdlePriorityClass).has_value());
    EXPECT_EQ(t.ui.boxes.at(0).text, "ERROR: Could not set priority!");

    runner.answer = WaitResult::TimedOut;
    runner.terminates = false;
    t.ui.onYield = [&] { t.s.StopCompiler = true; };
    EXPECT_EQ(FailureOf([&] { ShellWait(t.s, "x", kWindowHidden, kIdlePriorityClass); }), "Could not close compiler!");
    EXPECT_EQ(t.ui.boxes.back().text, "Fatal error! Could not close compiler! Vornic will now exit...");

    try {
        SystemProcessRunner().Start("\"/no/such/vbsp.exe\" -v", {});
        ADD_FAILURE();
    } catch (const ProcessStartError& e) {
        EXPECT_EQ(e.Program(), "/no/such/vbsp.exe");
    }
}

#ifdef TESSELLON_FAKE_PROGRAM

TEST(BuildCommand, CompilesIntoTodaysLayoutInASecondLibraryAndLogsCompilerOutput) {
    TempDir home, steam, library;
    InstallTestRooms(home.path());
    WriteFile(steam.path() / "Steam.exe", "x");
    WriteFile(steam.path() / "steam.dll", "x");
    WriteFile(steam.path() / "steamapps" / "libraryfolders.vdf",
              "\"libraryfolders\" { \"1\" { \"path\" \"" + library.path().string() + "\" } }");
    const fs::path game = library.path() / "steamapps" / "Common" / "Half-Life 2";
    InstallFake(game / "hl2.exe");
    for (const char* c : {"vbsp.exe", "vvis.exe", "vrad.exe"}) InstallFake(game / "bin" / c);
    fs::create_directories(game / "HL2" / "Maps");

    const CliRun r = Cli({"build", "--home", home.path().string(), "--seed", "3", "--clock", "2026-01-01 10:00:00",
                          "--map-size", "5", "--quiet", "--write-log-file", "--compile", "--steam", steam.path().string(),
                          "--compiler-runner", "none"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find((game / "HL2" / "Maps" / "level1.bsp").string()), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(game / "HL2" / "Maps" / "level1.bsp"));
    const auto calls = CallsOf(game / "bin" / "vbsp.exe");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{"-v", "-game", (game / "HL2").string(),
                                                        (fs::absolute(home.path()) / "level1").string()}));
    const std::string log = ReadFile(home.path() / "vorniclog 1-10-0.log");
    for (const char* expected : {"Running BSP at ", "vbsp.exe: working on the level\n", "vrad.exe: working on the level\n",
                                 "Moving level 1 to hl2/maps folder..."})
        EXPECT_NE(log.find(expected), std::string::npos) << expected;

    // Headless, a compile that makes no level ends with status 1 and never moves in the stale
    // level1.bsp of the program folder; the output and its explanation are printed.
    const std::string installed = ReadFile(game / "HL2" / "Maps" / "level1.bsp");
    WriteFile(home.path() / "level1.bsp", "stale");
    Touch(game / "bin" / "vbsp.exe", ".nobsp");
    Touch(game / "bin" / "vbsp.exe", ".leak");
    const CliRun again = Cli({"build", "--home", home.path().string(), "--map-size", "5", "--compile", "--steam",
                              steam.path().string(), "--compiler-runner", "none"});
    EXPECT_EQ(again.code, kExitFailed);
    for (const char* expected : {"[NoMap!] ", "vbsp.exe: working on the level\n", "[vbsp finished: exit status 0",
                                 "[The level leaks] vbsp found a hole", "[compile.log] "})
        EXPECT_NE(again.err.find(expected), std::string::npos) << expected << "\n" << again.err;
    EXPECT_EQ(ReadFile(game / "HL2" / "Maps" / "level1.bsp"), installed);
    for (const auto& e : fs::directory_iterator(game / "HL2" / "Maps")) EXPECT_NE(ReadFile(e.path()), "stale");

    const CliRun usage = Cli({"build", "--home", home.path().string(), "--run-map"});
    EXPECT_EQ(usage.code, kExitUsage);
}

#endif  // TESSELLON_FAKE_PROGRAM

}  // namespace
}  // namespace tessellon::testing
