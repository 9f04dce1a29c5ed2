#pragma once

// The ports a window is handed through its constructor.

class Prompt;
class Shell;
class Http;
class Clock;

struct AppServices
{
    Prompt *prompt = nullptr;
    Shell *shell = nullptr;
    Http *http = nullptr;
    Clock *clock = nullptr;
};
