#pragma once

#include <QString>
#include <optional>

class UiServices;

// The catalogue the window opens. It is looked for as both programs look for it; on a first start
// with none anywhere, the user chooses between a copy of the installed demo catalogue in their
// data folder ("Tak") and an empty catalogue there ("Nie"). A folder that cannot be written to is
// said so and the window opens anyway. The working folder becomes the catalogue's, so that table
// names without a folder resolve there. Nothing when the window cannot open (the error was shown).
std::optional<QString> openCatalogue(const std::optional<QString> &option, const QString &executableDirectory, UiServices &ui);
