#pragma once

#include <QString>

#include <optional>

// Asks lame itself whether it takes a switches text: encodes a tenth of a second of generated
// silence with exactly these switches into a temporary file (no user file is touched).
// Returns lame's own error line when it refuses them; nothing when it accepts them, and
// nothing either when it cannot be run at all (a run would then report that itself).
// The switches are split at blanks, as the conversion script hands them over.
std::optional<QString> CheckLameSwitches(const QString& lamePath, const QString& switches);
