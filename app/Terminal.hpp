#pragma once
// A manual backup started from a terminal: its progress redrawn on one line
// of standard error, and its question asked there as well as in the window.
#include <atomic>
#include <string>
#include <thread>

class TerminalIzleyici {
public:
    // Watches only while standard error is a terminal; asks only when
    // standard input is one too.
    TerminalIzleyici();
    // Stops and waits for the watcher, then ends the line it drew.
    ~TerminalIzleyici();
    TerminalIzleyici(const TerminalIzleyici&) = delete;
    TerminalIzleyici& operator=(const TerminalIzleyici&) = delete;

private:
    void izle();
    void sor();
    void ciz(const std::string& satir);

    std::atomic<bool> dur_{false};
    bool cizildi_ = false;  // a progress line is on the screen, unfinished
    std::thread is_;
};
