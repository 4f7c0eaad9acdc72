#pragma once

#include <QString>

// A per-user file in the session's runtime folder (XDG_RUNTIME_DIR), or in
// the temporary folder with the user id in its name when there is none.
QString runtimeFilePath(const QString& name);
