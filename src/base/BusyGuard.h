#pragma once

// Marks a stretch of work for the length of a scope: the wait pointer while it runs, and a flag
// that tells a handler entered again meanwhile that the work is under way. Both are undone on
// every exit path, exceptions included.
class BusyGuard final
{
public:
    enum class Pointer
    {
        Wait,
        Unchanged,
    };

    // The wait pointer only.
    BusyGuard();
    // Sets flag; restores its earlier value at the end of the scope.
    explicit BusyGuard(bool &flag, Pointer pointer = Pointer::Unchanged);
    ~BusyGuard();
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    bool *m_flag = nullptr;
    bool m_old = false;
    bool m_pointer = false;
};
