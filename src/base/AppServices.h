#pragma once

// The ports a window is handed through its constructor.

#include <functional>

class Prompt;
class Shell;
class Http;
class Clock;
class QWidget;

struct AppServices
{
    Prompt *prompt = nullptr;
    Shell *shell = nullptr;
    Http *http = nullptr;
    Clock *clock = nullptr;
    // Opens the options window over parent and waits for it. The program sets it; a window that
    // finds a folder setting missing offers it. Unset in tests: nothing opens.
    std::function<void(QWidget *parent)> openOptions = nullptr;
    // Fetches the issue registration file from the data server into the data folder before the
    // import window converts price files (the download window, over parent) and waits for it. The
    // program sets it; unset, the conversion goes on with the registration file already there.
    std::function<void(QWidget *parent)> downloadRegistration = nullptr;
};
