#pragma once

#include "acquisition/ValueList.h"
#include "output/OutputFiles.h"

#include <QImage>
#include <string>
#include <string_view>

namespace kordel {

// What a save stops at instead of writing; the save dialog shows them as warnings, the command
// line reports them as errors.
inline const std::string ShortNameWarning = "Введите имя файла\n\r(более одного символа)";
inline const std::string NoBoxWarning = "Установите флажки";

// A name (UTF-8) of fewer than 2 characters, counted as the name field counts them.
bool isTooShortName(std::string_view name);

// Which of the files a save writes: the two value lists, the plot image.
struct SaveChoice {
    bool data = true;
    bool plot = true;
};

// What a run leaves to save. `plot` is null before the first drawing.
struct RunOutput {
    const ValueList& list1;
    const ValueList& list2;
    const QImage& plot;
};

// Whether a save under `basePath` can write its files: their directory exists and takes a new
// file, or else each file already stands there and may be overwritten. Throws
// Error("Cannot create file <the first file>: <the reason>") when it cannot.
void checkSaveTarget(const std::string& basePath);

enum class SaveOutcome { Saved, NameTooShort, NothingChosen };

// The save steps under the base path made from `name`: a name too short writes nothing; the
// lists go to basePath + "(1).txt" and "(2).txt", the plot, if one was drawn, to ".bmp".
// Throws Error from the writers, keeping the files written before the failure.
SaveOutcome saveRun(const std::string& basePath, std::string_view name, SaveChoice choice,
                    const RunOutput& output);

} // namespace kordel
