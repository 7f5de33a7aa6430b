#pragma once
#include <string>
#include <vector>

namespace tessellon {

// Where one compiler of the compile stands.
enum class CompilerState { Waiting, Running, Finished, Stopped };

struct CompilerRow {
    std::string name;  // vbsp, vvis, vrad
    CompilerState state = CompilerState::Waiting;
    double seconds = 0;  // running so far, or the whole run once finished or stopped
    int exitCode = 0;    // once finished
};

// Known troubles the compilers' output shows, each with what the user can do about it.
enum class CompileProblemKind {
    Leak,              // vbsp: the level is open to the void; a pointfile shows where
    NoPortals,         // vvis: no portal file, which follows a leak
    MissingMaterial,   // vbsp: a material that is not in the game
    MissingModel,      // vbsp: a model that could not be loaded
    StaticPropPhysics, // vbsp: a prop_static with a model meant for physics (deleted)
    EngineLimit,       // a fixed limit of the map format or engine was exceeded
    Crash,             // a compiler ended by a fault rather than on its own
    CompilerError,     // a compiler stopped with an error of its own
};

struct CompileProblem {
    CompileProblemKind kind;
    std::string compiler;            // the compiler whose output showed it
    std::vector<std::string> items;  // what it concerns: entities, materials, models, limits, lines
};

// The compile as the compile panel and the headless front end show it: one row per compiler,
// the problems recognised so far, and where the output and the level went.
struct CompileReport {
    std::vector<CompilerRow> rows;
    std::vector<CompileProblem> problems;
    std::string logFile;        // compile.log with the whole output
    std::string pointFile;      // the leak's pointfile (level1.lin) when vbsp wrote one
    std::string installedLevel; // where the compiled level went; empty until it is there
    bool finished = false;      // the compile is over (whatever its outcome)
};

}  // namespace tessellon
