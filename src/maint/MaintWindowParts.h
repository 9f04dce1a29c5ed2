#pragma once

// A progress for maintenance windows at work: the hourglass while busy, and the window keeps
// painting while a long statement runs (user input waits until the work is done).

#include "base/BusyGuard.h"
#include "base/Ports.h"

#include <optional>

class PaintingProgress final : public Progress
{
public:
    void setPhase(const QString &) override { }
    void setPercent(const QString &) override { }
    void yield() override;
    void setBusy(bool busy) override;
    bool busy() const { return m_busy.has_value(); }

private:
    std::optional<BusyGuard> m_busy;
};
