#pragma once
#include <string>

namespace tessellon {

// How a ".exe" compiler is run: on Windows always directly; elsewhere Automatic runs it through
// Wine when Wine is installed.
enum class CompilerRunner { Automatic, Direct, Program };
// How the game is started: Automatic starts hl2.exe directly on Windows and through the Steam
// client elsewhere (where a Windows program cannot run by itself).
enum class GameStart { Automatic, Direct, ThroughSteam };

enum class CompileOutcome {
    Declined,        // the user confirmed not to compile; level1.vmf stays uncompiled
    Aborted,         // the compile panel's abort command stopped it
    NoMap,           // no compiled level could be moved into the maps folder
    LaunchDeclined,  // compiled and moved; the user chose not to start the game
};
// (A launched game ends the program: that is a ProgramEnd, not an outcome.)

struct CompileSetup {
    // The create command goes on into the compile after a finished build.
    bool afterBuild = false;
    CompilerRunner runner = CompilerRunner::Automatic;
    std::string runnerProgram = "wine";  // for Program (and the Automatic choice elsewhere)
    GameStart gameStart = GameStart::Automatic;
    std::string steamProgram = "steam";
};

}  // namespace tessellon
