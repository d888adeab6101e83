#pragma once

#include <QString>

namespace core::ui {

// The decisions and texts of the start-up and shutdown, free of windows so they are tested
// directly.
class StartupRules {
public:
    // The title the program runs under; message boxes without a caption of their own use it.
    static QString applicationTitle();
    // The first status-bar panel: screens lower than 750 pixels cannot show a bill comfortably.
    static QString screenStatusText(int screenHeight);
    // Archive tools unpack into temporary folders whose names hold a dollar sign; settings
    // written there are lost when the tool cleans up.
    static bool isUnpackedArchivePath(const QString& runPath);
    static QString unpackWarning(const QString& version);
    static QString captionText(const QString& version);
    static QString exitQuestion(const QString& productWord);
    // Tool tip and message of commands whose windows are not part of this build yet.
    static QString pendingFeatureHint();
    // The first-use notes shown by "第一次用".
    static QString firstUseNotes();
};

} // namespace core::ui
