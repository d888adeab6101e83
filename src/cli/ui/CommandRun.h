#pragma once

#include <QString>

namespace cli::ui {

// Runs the program as a command (cli::CommandLine::requested said so): makes the application
// on Qt's offscreen platform, so no display is needed and no window ever shows, opens the
// program folder, logs in when the login is on, runs the command and returns its exit code.
// Printing commands drive the very windows a clerk uses (entry window, batch printing), hidden.
int run(int argc, char** argv, const QString& version);

} // namespace cli::ui
