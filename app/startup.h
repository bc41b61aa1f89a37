// Start-up: from the launch string to a table window that is connecting (the table's load step).
#pragma once

#include <QSize>
#include <QString>

namespace vexal {

class MainLoop;
class MainForm;
class SingleInstance;
class Sound;
struct SessionState;

struct StartupEnvironment {
    QString commandLine;  // the launch string as the process received it
    QString programDir;   // where "vidiosetting.ini" lives
    QSize* screen = nullptr;  // the screen to size for; the primary screen when null
    Sound* sound = nullptr;   // the table's sound; a table without one stays silent
};

// Runs every start-up step in order. Returns false when start-up ended the process (with the
// main loop's end hook in place of a real end, as tests use it).
bool startUp(MainLoop& loop, MainForm& form, SessionState& state, SingleInstance& instance,
             const StartupEnvironment& env);

// Field 12 of a launch string that may be too short or broken to parse: the lobby title the
// failure path restores by. Empty when the string has fewer than twelve fields.
QString lobbyTitleField(const QString& commandLine);

}  // namespace vexal
