#include "session/report.h"

#include <fstream>

#include "session/errors.h"
#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

const char* const kSupportAddress = "bugs@tessellon.org";

std::string LogFileName(int day, int hour, int minute) {
    return "vorniclog " + std::to_string(day) + "-" + std::to_string(hour) + "-" + std::to_string(minute) + ".log";
}

void Log(Session& s, const std::string& text, bool slow, bool onlyLogFile, bool notCompiling) {
    try {
        if (!s.log.opened) {
            const ClockTime now = s.clock.Now();
            s.log.path = s.programFolder / LogFileName(now.day, now.hour, now.minute);
            s.log.opened = true;
            s.log.file.open(s.log.path, std::ios::binary | std::ios::trunc);
            // Kept open for appending: the compilers append their output to the same file.
            s.log.file.close();
            s.log.file.open(s.log.path, std::ios::binary | std::ios::app);
            Log(s, "Tessellon Log File", false, true);
        }
        if (slow && !s.settings.DetailedStatus) return;
        if ((notCompiling || s.settings.WriteLogFile) && s.log.file.is_open()) {
            s.log.file << "[" << TimeText(s.clock.Now()) << "] " << text << "\r\n";
            s.log.file.flush();
        }
        if (!onlyLogFile) {
            s.ui.SetStatus(text);
            s.ui.Yield();
        }
    } catch (const ProgramEnd&) {
        throw;
    } catch (...) {
        // Logging never stops a build.
        s.ui.Yield();
    }
}

void MapError(Session& s, const std::string& errMsg, bool fatal, const std::string& fatalMsg) {
    Log(s, "ERROR: " + errMsg);
    s.ui.MessageBox("Warning!", "An error occoured when creating map. Following error message was returned: " + errMsg,
                    BoxIcon::Information, BoxButtons::Ok);
    if (fatal && !fatalMsg.empty()) {
        s.ui.MessageBox("Fatal!",
                        std::string("This error is Fatal, errorlog.txt has been generated in the installation "
                                    "folder. Please send this to ") +
                            kSupportAddress + " if you want to contribute to the next versions bugfixes.",
                        BoxIcon::Critical, BoxButtons::Ok);
        std::ofstream err(s.programFolder / "errorlog.txt", std::ios::binary | std::ios::trunc);
        if (err) err << fatalMsg << "\r\n";
    }
    s.ui.MessageBox("Shutting Down...", "Vornic will now exit.", BoxIcon::Information, BoxButtons::Ok);
    s.writer.Abandon();
    if (s.log.file.is_open()) s.log.file.close();
    throw ProgramEnd(1, errMsg);
}

int ProgressColumns(double percent) {
    int w = static_cast<int>(percent / 100.0 * kProgressColumns);
    if (w < 0) w = 0;
    if (w > kProgressColumns) w = kProgressColumns;
    return w;
}

ProgressColor ProgressColumnColor(int x) {
    const double f = static_cast<double>(x) / kProgressColumns * 128.0;
    return {static_cast<int>(RoundHalfEven(f)), 128, static_cast<int>(RoundHalfEven(128.0 - f))};
}

void MrProg(Session& s, double changeTo) { s.ui.SetProgress(changeTo, ProgressColumns(changeTo)); }

void StartTimer(Session& s) { s.StepStart = SecondsSinceMidnight(s.clock.Now()); }

float EndTimer(Session& s) { return SecondsSinceMidnight(s.clock.Now()) - s.StepStart; }

}  // namespace tessellon
