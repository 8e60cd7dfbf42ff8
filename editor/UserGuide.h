#pragma once

#include <QString>

// The user guide's index page for the program in programDir: the installed guide beside the
// program's prefix (share/doc/tessel-editor), or, for a program run from this project's build
// tree, the source tree's docs/guide. Empty when there is neither.
QString userGuideIndex(const QString& programDir);
