#pragma once

// What the fuzz targets share: the input as bytes and text, an invariant check that stops the run
// in fuzzing and in the plain replay alike, and a prompt that answers nothing.

#include "base/Ports.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzing {

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// An invariant of the code under test; a broken one is a finding.
inline void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Messages a user reads: short enough for a message box whatever the input was.
inline void checkReadable(const QString &message)
{
    check(message.size() <= 2000, "a message echoes a field uncut");
}

class SilentPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return false; }
    void inform(const QString &text, const QString &, PromptIcon) override { checkReadable(text); }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &) override { return {}; }
};

} // namespace fuzzing
