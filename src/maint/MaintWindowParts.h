#pragma once

// What the maintenance windows share: the hourglass while they work, and a progress that keeps
// the window painting (user input waits until the work is done).

#include "app/Ports.h"

class WaitCursor final
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

class PaintingProgress final : public Progress
{
public:
    void setPhase(const QString &) override {}
    void setPercent(const QString &) override {}
    void yield() override;
    // Busy shows the hourglass until the work ends.
    void setBusy(bool busy) override;
    bool busy() const { return m_busy; }

private:
    bool m_busy = false;
};
